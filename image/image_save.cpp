// Saving an image object in the format of the file name's extension. Every
// writer goes through the safe writer: a failed save leaves no partial file
// and an existing file as it was.
#include <climits>
#include <cmath>
#include <cstdint>

#include "engine/plane_transforms.h"
#include "image/aimage.h"
#include "image/ascii_file.h"
#include "image/bif_file.h"
#include "image/image_file.h"
#include "imagelib/bmp_codec.h"
#include "imagelib/jpeg_codec.h"
#include "imagelib/pcx_codec.h"
#include "imagelib/png_codec.h"
#include "imagelib/status.h"
#include "imagelib/tiff_codec.h"

namespace veska {
namespace {

// Whole dots per inch as the JPEG and TIFF headers carry them.
int WholeDpi(double dpi) {
  const double whole = std::trunc(dpi);
  return whole > 0 && whole < 65536 ? int(whole) : 0;  // 0: the writer's default
}

// Pixels per metre, rounded, as the PNG and BMP headers carry them.
int32_t PixelsPerMetre(double dpi) {
  const double perMetre = std::trunc(dpi * 0.03937 * 1000 + 0.5);
  return perMetre > 0 && perMetre <= INT32_MAX ? int32_t(perMetre) : 0;
}

int SaveJpeg(AImage& image, const std::string& path) {
  JpegWriteOptions options;
  options.quality = 100;
  options.densityUnit = kJpegDensityPerInch;
  options.xDensity = options.yDensity = WholeDpi(image.Dpi());
  return JpegWrite(path, image.Buffer(), options);
}

// The 16-bit samples of plane 0 as one 16-bit grey sample per pixel.
int SaveTiff16(AImage& image, const std::string& path, const TiffWriteOptions& options) {
  const ChannelPlane* plane = image.Channels().Plane(0);
  if (plane == nullptr || !plane->Matrix().HasRows()) return status::kBadBuffer;
  ImageDesc samples;
  if (int rc = Allocate(samples, plane->Width(), plane->Height(), 16)) return rc;
  // The plane is the image's data: its samples are written even when the
  // plane is not enabled for processing.
  int rc = Copy16(plane->Matrix(), true, samples);
  if (rc == status::kOk) rc = TiffWrite(path, samples, options);
  Free(samples);
  return rc;
}

int SaveTiff(AImage& image, const std::string& path) {
  TiffWriteOptions options;
  const int dpi = WholeDpi(image.Dpi());
  options.resolution = TiffResolution{double(dpi), double(dpi), kTiffUnitInch};
  if (image.Channels().SixteenBit()) {
    options.compression = kTiffNone;
    return SaveTiff16(image, path, options);
  }
  options.compression = image.Buffer().BitsPerPixel() == 8 ? kTiffPackBits : kTiffNone;
  return TiffWrite(path, image.Buffer(), options);
}

int SavePng(AImage& image, const std::string& path) {
  PngWriteOptions options;
  const auto perMetre = uint32_t(PixelsPerMetre(image.Dpi()));
  options.physical = PngPhysical{perMetre, perMetre, kPngUnitMetre};
  return PngWrite(path, image.Buffer(), options);
}

int SaveBmp(AImage& image, const std::string& path) {
  ImageDesc& desc = image.Buffer();
  desc.header->xPelsPerMeter = desc.header->yPelsPerMeter = PixelsPerMetre(image.Dpi());
  return BmpWrite(path, desc, false);
}

}  // namespace

int Save(AImage& image, const std::string& path) {
  int format = -1;
  if (int rc = FormatFromName(path, format)) return rc;
  if (!image.Loaded() || image.Buffer().header == nullptr) return status::kBadBuffer;
  switch (format) {
    case kJpeg: return SaveJpeg(image, path);
    case kTiff: return SaveTiff(image, path);
    case kPng: return SavePng(image, path);
    case kBmp: return SaveBmp(image, path);
    case kBif: return BifWrite(path, image.Buffer());
    case kPcx: return PcxWrite(path, image.Buffer());
    case kAscii: return AsciiWrite(image, path);
    default: return status::kUnknownFormat;
  }
}

}  // namespace veska
