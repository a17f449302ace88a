// BMP files (.bmp): our own reader and writer (imagelib/bmp_codec.h). The
// header's pixels per metre are the resolution; the grey flag follows the
// read buffer's image type.
#include <cmath>

#include "image/format_support.h"
#include "imagelib/bmp_codec.h"
#include "imagelib/status.h"

namespace veska {
namespace {

int Facts(const std::string& path, const LoadOptions&, FileFacts& facts) {
  BmpInfo info;
  if (int rc = BmpInformation(path, info)) return rc;
  TakeBasic(info, facts);
  facts.bitsPerPixel = info.header.bitCount;
  facts.fromIndexed = info.header.clrUsed != 0 && info.header.bitCount < 16;
  return status::kOk;
}

int Read(AImage& image, const std::string& path, const FileFacts&) {
  if (int rc = BmpRead(path, image.Buffer())) return rc;
  const int32_t perMetre = image.Buffer().header->xPelsPerMeter;
  if (perMetre == 0)
    ApplyResolution(image, ResolutionUnit::kNone, 0);
  else
    ApplyResolution(image, ResolutionUnit::kPerInch,
                    std::trunc(perMetre * 0.001 / 0.03937 + 0.5));
  return status::kOk;
}

int Write(AImage& image, const std::string& path) {
  ImageDesc& desc = image.Buffer();
  desc.header->xPelsPerMeter = desc.header->yPelsPerMeter = PixelsPerMetre(image.Dpi());
  return BmpWrite(path, desc, false);
}

}  // namespace

extern const FileFormatEntry kBmpFormat = {kBmp, "BMP", ".bmp", Facts, Read, Write, false, true};

}  // namespace veska
