// TIFF files (.tif, .tiff): libtiff's reader and writer. Grey samples of 9
// to 16 bits become the channel store's primary plane; a store holding such a
// plane is written back as 16-bit grey samples, other images as 8 or 24 bits.
// Colour samples of 16 bits are reduced to 8; an alpha sample is flattened
// onto white.
#include <memory>
#include <new>

#include "image/format_support.h"
#include "imagelib/image_ops.h"
#include "imagelib/status.h"
#include "imagelib/tiff_codec.h"

namespace veska {
namespace {

constexpr int kWhiteIsZero = 0;
constexpr int kTiffPalette = 3;

int Facts(const std::string& path, const LoadOptions&, FileFacts& facts) {
  TiffInfo info;
  if (int rc = TiffInformation(path, info)) return rc;
  TakeBasic(info, facts);
  if (facts.bitsPerPixel == 16) facts.bitsPerPixel = 8;  // shown as its 8-bit rendition
  facts.photometric = info.photometric;
  facts.fromIndexed = info.photometric == kTiffPalette;
  facts.alpha = info.alpha;
  if (info.alpha) --facts.samplesPerPixel;
  return status::kOk;
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

// Grey samples of 9 to 16 bits become the image's 16-bit plane. A file whose
// white is zero has its samples inverted within the sample depth, so the
// plane (and a 16-bit file saved from it) shows what the working buffer shows.
int ReadTiff16(AImage& image, const std::string& path, const FileFacts& facts) {
  const int width = facts.width, height = facts.height;
  std::unique_ptr<uint16_t[]> samples(new (std::nothrow) uint16_t[size_t(width) * height]);
  if (!samples) return status::kNoMemory;
  if (int rc = TiffRead16(path, samples.get(), width, height)) return rc;
  if (facts.photometric == kWhiteIsZero) {
    const uint16_t white = uint16_t((1u << facts.bitsPerSample) - 1);
    for (size_t i = 0; i < size_t(width) * height; ++i) samples[i] = uint16_t(white - samples[i]);
  }
  return AdoptSixteenBitSamples(image, samples.get(), width, height);
}

int Read(AImage& image, const std::string& path, const FileFacts& facts) {
  ImageDesc& desc = image.Buffer();
  if (facts.bitsPerSample > 8 && facts.samplesPerPixel == 1 && !facts.alpha) {
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

int Write(AImage& image, const std::string& path) {
  TiffWriteOptions options;
  const int dpi = WholeDpi(image.Dpi());
  options.resolution = TiffResolution{double(dpi), double(dpi), kTiffUnitInch};
  if (image.Channels().SixteenBit()) {
    options.compression = kTiffNone;
    ImageBuffer samples;
    if (int rc = SixteenBitSamples(image, samples)) return rc;
    return TiffWrite(path, samples.desc(), options);
  }
  options.compression = image.Buffer().BitsPerPixel() == 8 ? kTiffPackBits : kTiffNone;
  return TiffWrite(path, image.Buffer(), options);
}

}  // namespace

extern const FileFormatEntry kTiffFormat = {
    kTiff, "TIFF", ".tif", Facts, Read, Write, false, false, {".tiff"}};

}  // namespace veska
