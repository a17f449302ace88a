#include "image/file_facts.h"

#include "image/ascii_file.h"
#include "image/image_file.h"
#include "engine/luminance_matrix.h"
#include "imagelib/bmp_codec.h"
#include "imagelib/jpeg_codec.h"
#include "imagelib/pcx_codec.h"
#include "imagelib/png_codec.h"
#include "imagelib/status.h"
#include "imagelib/tiff_codec.h"

namespace veska {
namespace {

constexpr int kPngPaletteType = 3;
constexpr int kTiffPalette = 3;

void TakeBasic(const ImageFileInfo& info, FileFacts& facts) {
  static_cast<ImageFileInfo&>(facts) = info;
}

// A one-sample 8-bit image of the given size (BIF and ASCII files).
void GreyFacts(int width, int height, FileFacts& facts) {
  facts.width = width;
  facts.height = height;
  facts.bitsPerSample = 8;
  facts.samplesPerPixel = 1;
  facts.bitsPerPixel = 8;
}

int JpegFacts(const std::string& path, FileFacts& facts) {
  JpegInfo info;
  if (int rc = JpegInformation(path, info)) return rc;
  TakeBasic(info, facts);
  facts.densityUnit = info.densityUnit;
  facts.xDensity = info.xDensity;
  return status::kOk;
}

int TiffFacts(const std::string& path, FileFacts& facts) {
  TiffInfo info;
  if (int rc = TiffInformation(path, info)) return rc;
  TakeBasic(info, facts);
  if (facts.bitsPerPixel == 16) facts.bitsPerPixel = 8;  // shown as its 8-bit rendition
  facts.photometric = info.photometric;
  facts.fromIndexed = info.photometric == kTiffPalette;
  return status::kOk;
}

int PngFacts(const std::string& path, FileFacts& facts) {
  PngInfo info;
  if (int rc = PngInformation(path, info)) return rc;
  if (info.colourType == kPngPaletteType) return status::kBitsPerPixel;
  TakeBasic(info, facts);
  return status::kOk;
}

int BmpFacts(const std::string& path, FileFacts& facts) {
  BmpInfo info;
  if (int rc = BmpInformation(path, info)) return rc;
  TakeBasic(info, facts);
  facts.bitsPerPixel = info.header.bitCount;
  facts.fromIndexed = info.header.clrUsed != 0 && info.header.bitCount < 16;
  return status::kOk;
}

int PcxFacts(const std::string& path, FileFacts& facts) {
  ImageFileInfo info;
  if (int rc = PcxInformation(path, info)) return rc;
  TakeBasic(info, facts);
  return status::kOk;
}

int BifFacts(const LoadOptions& options, FileFacts& facts) {
  if (!options.bifSize) return status::kCancelled;
  GreyFacts(options.bifSize->width, options.bifSize->height, facts);
  return status::kOk;
}

int AsciiFacts(const std::string& path, FileFacts& facts) {
  int columns = 0, rows = 0;
  if (int rc = AsciiInformation(path, columns, rows)) return rc;
  GreyFacts(columns, rows, facts);
  return status::kOk;
}

}  // namespace

int ReadFileFacts(const std::string& path, int formatIndex, const LoadOptions& options,
                  FileFacts& facts) {
  facts = FileFacts{};
  switch (formatIndex) {
    case kJpeg: return JpegFacts(path, facts);
    case kTiff: return TiffFacts(path, facts);
    case kPng: return PngFacts(path, facts);
    case kBmp: return BmpFacts(path, facts);
    case kBif: return BifFacts(options, facts);
    case kPcx: return PcxFacts(path, facts);
    case kAscii: return AsciiFacts(path, facts);
    default: return status::kUnknownFormat;
  }
}

int CheckLoadLimits(const FileFacts& f) {
  if (f.width < kMinimumImageSide || f.height < kMinimumImageSide)
    return status::kBelowMinimumSize;
  if (f.bitsPerPixel != 8 && f.bitsPerPixel != 24) return status::kBitsPerPixel;
  if (f.samplesPerPixel != 1 && f.samplesPerPixel != 3) return status::kSamplesPerPixel;
  const bool bitsOk = f.bitsPerPixel == 24 ? f.bitsPerSample > 3
                                           : f.bitsPerSample >= 4 && f.bitsPerSample <= 16;
  if (!bitsOk) return status::kBitsPerSample;
  if (f.width == 0 || f.height == 0) return status::kZeroSize;
  // The largest image whose channel planes the engine can hold.
  if (f.width > kMaxMatrixImageSide || f.height > kMaxMatrixImageSide) return status::kMaxSize;
  return status::kOk;
}

}  // namespace veska
