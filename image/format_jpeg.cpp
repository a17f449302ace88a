// JPEG files (.jpg): libjpeg's reader and writer; the JFIF density is the
// resolution, and the writer uses quality 100.
#include "image/format_support.h"
#include "imagelib/jpeg_codec.h"
#include "imagelib/status.h"

namespace veska {
namespace {

int Facts(const std::string& path, const LoadOptions&, FileFacts& facts) {
  JpegInfo info;
  if (int rc = JpegInformation(path, info)) return rc;
  TakeBasic(info, facts);
  facts.densityUnit = info.densityUnit;
  facts.xDensity = info.xDensity;
  return status::kOk;
}

int Read(AImage& image, const std::string& path, const FileFacts& facts) {
  if (int rc = JpegRead(path, image.Buffer())) return rc;
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

extern const FileFormatEntry kJpegFormat = {kJpeg, "JPEG", ".jpg", Facts,
                                            Read,  Write,  false,  false};

}  // namespace veska
