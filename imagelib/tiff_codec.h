// TIFF files through libtiff.
//
// The 8-bit reader takes grey and palette files of up to 8 bits per sample
// (any compression, strips or tiles, either byte order) into an 8-bit buffer
// with their stored values, grey levels scaled to 0..255 (a file whose white
// is zero is not inverted here); colour files of up to 16 bits per sample and
// any photometric interpretation libtiff can turn into RGB into a 24-bit
// buffer, reduced to 8 bits (rounded). An alpha sample (straight or
// premultiplied) is flattened onto white; grey files with alpha read into an
// 8-bit buffer. Grey files of 9 to 16 bits per sample without alpha go
// through the 16-bit reader instead. The writer takes 1, 8, 16 and 24-bit
// descriptors.
#pragma once

#include <cstdint>
#include <string>

#include "imagelib/codec_common.h"
#include "imagelib/image_desc.h"

namespace veska {

// Resolution units as TIFF stores them.
constexpr int kTiffUnitNone = 1;
constexpr int kTiffUnitInch = 2;
constexpr int kTiffUnitCentimetre = 3;

// Compression options of the writer; each maps to a TIFF compression value.
enum TiffCompressionOption {
  kTiffNone = 0,      // 1
  kTiffLzw = 1,       // 5
  kTiffPackBits = 2,  // 32773
  kTiffCcittRle = 3,  // 2, modified Huffman run length
  kTiffGroup4 = 4,    // 4, CCITT T.6
  kTiffGroup3 = 5,    // 3, CCITT T.4
};

struct TiffInfo : ImageFileInfo {
  int photometric = 0;  // 0 white is zero, 1 black is zero, 2 RGB, 3 palette, ...
  bool alpha = false;   // grey or RGB samples followed by one alpha sample
};

struct TiffResolution {
  double x = 0;  // 0 when the file states none
  double y = 0;
  int unit = kTiffUnitInch;
};

struct TiffWriteOptions {
  int compression = kTiffNone;  // must suit the depth, else the write fails with -9
  // A unit outside 1..3 or a value not above 0 and below 32768 gives 72 per inch.
  TiffResolution resolution{72, 72, kTiffUnitInch};
};

// Reads the first image directory. -4 no file, -6 unreadable.
int TiffInformation(const std::string& path, TiffInfo& info);
// The first image's resolution and unit.
int TiffGetResolution(const std::string& path, TiffResolution& resolution);

// Decodes a file into `desc` (8 bits for grey and palette files, else 24).
// -8 samples the reader does not take (above), -6 truncated or corrupt.
int TiffRead(const std::string& path, ImageDesc& desc);

// Decodes a grey file of 9 to 16 bits per sample into `samples`, `width`
// values per row, the top row first; file pixels beyond width x height are
// dropped, samples beyond the file's size are left as they are. Values are
// the stored ones (white-is-zero files are not inverted). -8 other sample
// depths, -26 not a one-sample grey file, -6 truncated or corrupt.
int TiffRead16(const std::string& path, uint16_t* samples, int width, int height);

// Writes the processing rectangle. -9 a compression the depth does not allow
// (8 bits: none, LZW, PackBits; 16 bits: none; 24 bits: none, LZW; 1 bit:
// all), -10 cannot create, -3 write failure (the target is then left as it
// was).
int TiffWrite(const std::string& path, ImageDesc& desc, const TiffWriteOptions& options = {});

// Applies the file's resolution: per inch as it is, per centimetre
// converted (118 per cm is 299.72 dpi), anything else 72 dpi. Returns the
// dpi kept.
double TiffApplyResolution(const TiffResolution& resolution, ImageDesc& desc);

}  // namespace veska
