// Loading an image object: detect the format, check the file's facts against
// the limits, read the pixels, bring them to one of the two working depths,
// take the resolution, and build the channel store.
#include <cmath>
#include <memory>
#include <new>

#include "image/aimage.h"
#include "image/ascii_file.h"
#include "image/bif_file.h"
#include "image/file_facts.h"
#include "image/image_file.h"
#include "image/primary_plane.h"
#include "imagelib/bmp_codec.h"
#include "imagelib/image_ops.h"
#include "imagelib/jpeg_codec.h"
#include "imagelib/pcx_codec.h"
#include "imagelib/png_codec.h"
#include "imagelib/status.h"
#include "imagelib/tiff_codec.h"

namespace veska {
namespace {

constexpr int kWhiteIsZero = 0;

// How a file states its resolution.
enum class ResolutionUnit { kNone, kPerInch, kPerMillimetre };

// Values at or above this, in the file's own unit, are taken as no
// resolution (they could not be kept as pixels per metre).
constexpr double kLargestResolution = 1e6;

void ApplyResolution(AImage& image, ResolutionUnit unit, double value) {
  if (!std::isfinite(value) || value >= kLargestResolution) unit = ResolutionUnit::kNone;
  switch (unit) {
    case ResolutionUnit::kPerInch: image.SetResolution(value); break;
    case ResolutionUnit::kPerMillimetre: image.SetResolutionDpmm(value); break;
    case ResolutionUnit::kNone: image.SetResolution(kDefaultDpi); break;
  }
}

void ApplyJpegResolution(AImage& image, const FileFacts& facts) {
  if (facts.densityUnit == kJpegDensityPerInch)
    ApplyResolution(image, ResolutionUnit::kPerInch, facts.xDensity);
  else if (facts.densityUnit == kJpegDensityPerCm)
    ApplyResolution(image, ResolutionUnit::kPerMillimetre, facts.xDensity / 10.0);
  else
    ApplyResolution(image, ResolutionUnit::kNone, 0);
}

void ApplyTiffResolution(AImage& image, const std::string& path) {
  TiffResolution r;
  if (TiffGetResolution(path, r) != status::kOk) r.unit = kTiffUnitNone;
  if (r.unit == kTiffUnitInch)
    ApplyResolution(image, ResolutionUnit::kPerInch, r.x);
  else if (r.unit == kTiffUnitCentimetre)
    ApplyResolution(image, ResolutionUnit::kPerMillimetre, r.x / 10.0);
  else
    ApplyResolution(image, ResolutionUnit::kNone, 0);
}

// Only a pHYs chunk in pixels per metre states a resolution.
void ApplyPngResolution(AImage& image, const std::string& path) {
  PngPhysical p;
  if (PngGetPhysical(path, p) == status::kOk && p.unit == kPngUnitMetre && p.x > 0)
    ApplyResolution(image, ResolutionUnit::kPerMillimetre, p.x / 1000.0);
  else
    ApplyResolution(image, ResolutionUnit::kNone, 0);
}

void ApplyBmpResolution(AImage& image) {
  const int32_t perMetre = image.Buffer().header->xPelsPerMeter;
  if (perMetre == 0)
    ApplyResolution(image, ResolutionUnit::kNone, 0);
  else
    ApplyResolution(image, ResolutionUnit::kPerInch,
                    std::trunc(perMetre * 0.001 / 0.03937 + 0.5));
}

// Grey samples of 9 to 16 bits: they become the channel store's one plane
// (the image's primary data, marked 16-bit), the working buffer shows their
// 8-bit rendition. A file whose white is zero has its samples inverted within
// the sample depth, so the plane (and a 16-bit file saved from it) shows what
// the working buffer shows.
int ReadTiff16(AImage& image, const std::string& path, const FileFacts& facts) {
  const int width = facts.width, height = facts.height;
  std::unique_ptr<uint16_t[]> samples(new (std::nothrow) uint16_t[size_t(width) * height]);
  if (!samples) return status::kNoMemory;
  if (int rc = TiffRead16(path, samples.get(), width, height)) return rc;
  ChannelStore& store = image.Channels();
  if (int rc = StartPrimaryPlane(store, image.Buffer(), width, height)) return rc;
  const bool invert = facts.photometric == kWhiteIsZero;
  const uint16_t white = uint16_t((1u << facts.bitsPerSample) - 1);
  LuminanceMatrix& m = store.Plane(0)->Matrix();
  for (int y = 0; y < height; ++y) {
    const uint16_t* in = samples.get() + size_t(y) * width;
    uint16_t* out = ImageRow(m, y);
    for (int x = 0; x < width; ++x) out[x] = invert ? uint16_t(white - in[x]) : in[x];
  }
  FinishPrimaryPlane(store);
  store.SetSixteenBit(true);
  return RenderWorkingBuffer(store, image.Buffer());
}

int ReadTiff(AImage& image, const std::string& path, const FileFacts& facts) {
  ImageDesc& desc = image.Buffer();
  if (facts.bitsPerSample > 8) {
    if (facts.samplesPerPixel == 3) return status::kColour16BitTiff;
    if (int rc = ReadTiff16(image, path, facts)) return rc;
  } else {
    if (int rc = TiffRead(path, desc)) return rc;
    // White is zero: the grey levels are shown the other way round.
    if (facts.photometric == kWhiteIsZero && desc.BitsPerPixel() == 8) {
      if (int rc = Negative(desc, desc)) return rc;
    }
  }
  ApplyTiffResolution(image, path);
  return status::kOk;
}

int ReadPixels(AImage& image, const std::string& path, int format, const FileFacts& facts) {
  ImageDesc& desc = image.Buffer();
  int rc = status::kOk;
  switch (format) {
    case kJpeg:
      if ((rc = JpegRead(path, desc)) == status::kOk) ApplyJpegResolution(image, facts);
      return rc;
    case kTiff:
      return ReadTiff(image, path, facts);
    case kPng:
      if ((rc = PngRead(path, desc)) == status::kOk) ApplyPngResolution(image, path);
      return rc;
    case kBmp:
      if ((rc = BmpRead(path, desc)) == status::kOk) ApplyBmpResolution(image);
      return rc;
    case kBif: rc = BifRead(path, desc); break;
    case kPcx: rc = PcxRead(path, desc); break;
    case kAscii: rc = AsciiRead(path, image); break;
    default: return status::kUnknownFormat;
  }
  if (rc == status::kOk) ApplyResolution(image, ResolutionUnit::kNone, 0);
  return rc;
}

// Replaces an 8-bit colour-table buffer by its 24-bit expansion, keeping the
// resolution the read put into the header.
int ExpandToColour(ImageDesc& desc) {
  ImageDesc wide;
  if (int rc = Allocate(wide, desc.Width(), desc.Height(), 24)) return rc;
  if (int rc = ExpandTo24(desc, wide)) {
    Free(wide);
    return rc;
  }
  wide.header->xPelsPerMeter = desc.header->xPelsPerMeter;
  wide.header->yPelsPerMeter = desc.header->yPelsPerMeter;
  Free(desc);
  desc = wide;
  return status::kOk;
}

// Everything after the checks; the object has been freed and is freed again
// by the caller when this fails.
int LoadChecked(AImage& image, const std::string& path, int format, const FileFacts& facts) {
  ImageDesc& desc = image.Buffer();
  if (int rc = Allocate(desc, facts.width, facts.height, facts.bitsPerPixel)) return rc;
  if (int rc = ReadPixels(image, path, format, facts)) return rc;

  bool fromIndexed = facts.fromIndexed;
  if ((format == kBif || format == kPcx || format == kAscii) && desc.BitsPerPixel() == 8 &&
      !IsGrayscale(desc))
    fromIndexed = true;
  image.SetFormatIndex(format);

  const bool oneSample = facts.samplesPerPixel == 1;
  if (oneSample && desc.BitsPerPixel() != 24 && !IsGrayscale(desc)) {
    if (int rc = ExpandToColour(desc)) return rc;
  }
  // A buffer expanded to 24 bits is a colour image, whatever the file held.
  if (format == kBmp)
    image.SetGray(desc.imageType & kImageTypeGray);
  else
    image.SetGray(oneSample && desc.BitsPerPixel() != 24 ? 1 : 0);
  image.SetFromIndexed(fromIndexed);

  ChannelStore& store = image.Channels();
  if (store.PlaneCount() == 0) {
    if (int rc = store.BuildLuminance(&desc, false)) return rc;
  }
  store.SetImage(&desc);
  image.SetLoaded(true);
  return status::kOk;
}

}  // namespace

int Load(AImage& image, const std::string& path, const LoadOptions& options, int* formatIndex) {
  int format = -1;
  if (int rc = DetectFormat(path, format)) return rc;
  if (formatIndex != nullptr) *formatIndex = format;
  FileFacts facts;
  if (int rc = ReadFileFacts(path, format, options, facts)) return rc;
  if (int rc = CheckLoadLimits(facts)) return rc;
  image.Free();
  const int rc = LoadChecked(image, path, format, facts);
  if (rc != status::kOk) image.Free();
  return rc;
}

}  // namespace veska
