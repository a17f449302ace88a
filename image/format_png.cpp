// PNG files (.png): libpng's reader and writer; only a pHYs chunk in pixels
// per metre states a resolution. Palette files read with their colour table
// (expanded to colour unless it is a grey ramp, as any palette file is), 1, 2
// and 4-bit files as 8 bits, an alpha channel flattened onto white. A 16-bit
// grey file becomes the image's 16-bit plane, and a 16-bit store is written
// back as 16-bit grey.
#include <memory>
#include <new>

#include "image/format_support.h"
#include "imagelib/png_codec.h"
#include "imagelib/status.h"

namespace veska {
namespace {

int Facts(const std::string& path, const LoadOptions&, FileFacts& facts) {
  PngInfo info;
  if (int rc = PngInformation(path, info)) return rc;
  TakeBasic(info, facts);
  // Samples of fewer than 8 bits are read as 8.
  if (facts.bitsPerSample < 8) facts.bitsPerSample = 8;
  facts.alpha = info.hasAlpha;
  if (info.hasAlpha) --facts.samplesPerPixel;
  return status::kOk;
}

bool SixteenBitGrey(const FileFacts& facts) {
  return facts.bitsPerSample > 8 && facts.samplesPerPixel == 1 && !facts.alpha;
}

int ReadPng16(AImage& image, const std::string& path, const FileFacts& facts) {
  const int width = facts.width, height = facts.height;
  std::unique_ptr<uint16_t[]> samples(new (std::nothrow) uint16_t[size_t(width) * height]);
  if (!samples) return status::kNoMemory;
  if (int rc = PngRead16(path, samples.get(), width, height)) return rc;
  return AdoptSixteenBitSamples(image, samples.get(), width, height);
}

int Read(AImage& image, const std::string& path, const FileFacts& facts) {
  if (int rc = SixteenBitGrey(facts) ? ReadPng16(image, path, facts)
                                     : PngRead(path, image.Buffer()))
    return rc;
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
  if (image.Channels().SixteenBit()) {
    ImageBuffer samples;
    if (int rc = SixteenBitSamples(image, samples)) return rc;
    return PngWrite(path, samples.desc(), options);
  }
  return PngWrite(path, image.Buffer(), options);
}

}  // namespace

// A colour-table image (a palette file) counts as coming from an indexed file.
extern const FileFormatEntry kPngFormat = {kPng, "PNG", ".png", Facts, Read, Write, true, false};

}  // namespace veska
