// PNG files (.png): libpng's reader and writer; only a pHYs chunk in pixels
// per metre states a resolution. Palette files are refused (kBitsPerPixel).
#include "image/format_support.h"
#include "imagelib/png_codec.h"
#include "imagelib/status.h"

namespace veska {
namespace {

constexpr int kPngPaletteType = 3;

int Facts(const std::string& path, const LoadOptions&, FileFacts& facts) {
  PngInfo info;
  if (int rc = PngInformation(path, info)) return rc;
  if (info.colourType == kPngPaletteType) return status::kBitsPerPixel;
  TakeBasic(info, facts);
  return status::kOk;
}

int Read(AImage& image, const std::string& path, const FileFacts&) {
  if (int rc = PngRead(path, image.Buffer())) return rc;
  PngPhysical p;
  if (PngGetPhysical(path, p) == status::kOk && p.unit == kPngUnitMetre && p.x > 0)
    ApplyResolution(image, ResolutionUnit::kPerMillimetre, p.x / 1000.0);
  else
    ApplyResolution(image, ResolutionUnit::kNone, 0);
  return status::kOk;
}

int Write(AImage& image, const std::string& path) {
  PngWriteOptions options;
  const auto perMetre = uint32_t(PixelsPerMetre(image.Dpi()));
  options.physical = PngPhysical{perMetre, perMetre, kPngUnitMetre};
  return PngWrite(path, image.Buffer(), options);
}

}  // namespace

extern const FileFormatEntry kPngFormat = {kPng, "PNG", ".png", Facts, Read, Write, false, false};

}  // namespace veska
