// JPEG files (.jpg, .jpeg, .jpe): libjpeg's reader and writer; the JFIF
// density is the resolution, and the writer uses quality 100. CMYK and YCCK
// files read as RGB; the EXIF orientation is applied as the file loads, so
// the image (and any file saved from it, which carries no orientation) is
// upright.
#include <utility>

#include "image/format_support.h"
#include "imagelib/image_ops.h"
#include "imagelib/jpeg_codec.h"
#include "imagelib/status.h"

namespace veska {
namespace {

// EXIF orientations: the stored image mirrored, turned, or both.
constexpr int kUpright = 1;
constexpr int kMirrored = 2;
constexpr int kHalfTurned = 3;
constexpr int kUpsideDown = 4;
constexpr int kTransposed = 5;    // mirror of the clockwise quarter turn
constexpr int kClockwise = 6;
constexpr int kTransversed = 7;   // mirror of the counter-clockwise quarter turn
constexpr int kCounterClockwise = 8;

bool ExchangesSides(int orientation) { return orientation >= kTransposed; }

int Facts(const std::string& path, const LoadOptions&, FileFacts& facts) {
  JpegInfo info;
  if (int rc = JpegInformation(path, info)) return rc;
  TakeBasic(info, facts);
  if (facts.samplesPerPixel == 4) facts.samplesPerPixel = 3;  // CMYK and YCCK read as RGB
  facts.densityUnit = info.densityUnit;
  facts.xDensity = info.xDensity;
  facts.orientation = info.orientation;
  if (ExchangesSides(info.orientation)) std::swap(facts.width, facts.height);
  return status::kOk;
}

// Decodes the file and turns and flips its pixels upright into `desc`,
// which has the upright size.
int ReadUpright(const std::string& path, int orientation, ImageDesc& desc) {
  if (!ExchangesSides(orientation)) {
    if (int rc = JpegRead(path, desc)) return rc;
  } else {
    ImageBuffer stored;
    if (int rc = stored.Allocate(desc.Height(), desc.Width(), desc.BitsPerPixel())) return rc;
    if (int rc = JpegRead(path, stored.desc())) return rc;
    const bool clockwise = orientation == kTransposed || orientation == kClockwise;
    if (int rc = RotateQuarter(clockwise ? kQuarterClockwise : kQuarterCounterClockwise,
                               stored.desc(), desc))
      return rc;
  }
  const bool mirror = orientation == kMirrored || orientation == kHalfTurned ||
                      orientation == kTransposed || orientation == kTransversed;
  const bool flip = orientation == kHalfTurned || orientation == kUpsideDown;
  if (mirror) {
    if (int rc = Mirror(desc, desc)) return rc;
  }
  if (flip) {
    if (int rc = FlipVertical(desc, desc)) return rc;
  }
  if (desc.BitsPerPixel() == 8) {
    SetGrayPalette(desc);
    FinishColourTable(desc);
  }
  return status::kOk;
}

int Read(AImage& image, const std::string& path, const FileFacts& facts) {
  if (facts.orientation == kUpright) {
    if (int rc = JpegRead(path, image.Buffer())) return rc;
  } else {
    if (int rc = ReadUpright(path, facts.orientation, image.Buffer())) return rc;
  }
  if (facts.densityUnit == kJpegDensityPerInch)
    ApplyResolution(image, ResolutionUnit::kPerInch, facts.xDensity);
  else if (facts.densityUnit == kJpegDensityPerCm)
    ApplyResolution(image, ResolutionUnit::kPerMillimetre, facts.xDensity / 10.0);
  else
    ApplyResolution(image, ResolutionUnit::kNone, 0);
  return status::kOk;
}

int Write(AImage& image, const std::string& path) {
  JpegWriteOptions options;
  options.quality = 100;
  options.densityUnit = kJpegDensityPerInch;
  options.xDensity = options.yDensity = WholeDpi(image.Dpi());
  return JpegWrite(path, image.Buffer(), options);
}

}  // namespace

extern const FileFormatEntry kJpegFormat = {
    kJpeg, "JPEG", ".jpg", Facts, Read, Write, false, false, {".jpeg", ".jpe"}};

}  // namespace veska
