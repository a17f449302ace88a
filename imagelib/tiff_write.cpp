// Writing TIFF files: one strip-organised image with the descriptor's depth.
#include <cstring>
#include <vector>

#include "imagelib/safe_file.h"
#include "imagelib/status.h"
#include "imagelib/tiff_codec.h"
#include "imagelib/tiff_io.h"

namespace veska {
namespace {

// TIFF compression value of each writer option.
constexpr uint16_t kCompressionOf[] = {COMPRESSION_NONE,      COMPRESSION_LZW,
                                       COMPRESSION_PACKBITS,  COMPRESSION_CCITTRLE,
                                       COMPRESSION_CCITTFAX4, COMPRESSION_CCITTFAX3};

bool Allowed(int depth, int option) {
  switch (depth) {
    case 1: return true;
    case 8: return option == kTiffNone || option == kTiffLzw || option == kTiffPackBits;
    case 16: return option == kTiffNone;
    case 24: return option == kTiffNone || option == kTiffLzw;
    default: return false;
  }
}

TiffResolution Checked(const TiffResolution& r) {
  const bool valid = r.unit >= kTiffUnitNone && r.unit <= kTiffUnitCentimetre && r.x > 0 &&
                     r.x < 32768 && r.y > 0 && r.y < 32768;
  return valid ? r : TiffWriteOptions{}.resolution;
}

uint16_t Photometric(const ImageDesc& desc) {
  switch (desc.BitsPerPixel()) {
    case 1:  // two levels: zero is whichever table entry is the darker
      return desc.colours >= 2 &&
                     EntryBrightness(desc.palette[0]) > EntryBrightness(desc.palette[1])
                 ? PHOTOMETRIC_MINISWHITE
                 : PHOTOMETRIC_MINISBLACK;
    case 8: return IsGrayscale(desc) ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_PALETTE;
    case 16: return PHOTOMETRIC_MINISBLACK;
    default: return PHOTOMETRIC_RGB;
  }
}

bool SetColourMap(TIFF* tif, const ImageDesc& desc) {
  std::vector<uint16_t> red(256), green(256), blue(256);
  for (int i = 0; i < 256 && i < desc.colours; ++i) {
    red[size_t(i)] = uint16_t(desc.palette[i].red * 257);
    green[size_t(i)] = uint16_t(desc.palette[i].green * 257);
    blue[size_t(i)] = uint16_t(desc.palette[i].blue * 257);
  }
  return TIFFSetField(tif, TIFFTAG_COLORMAP, red.data(), green.data(), blue.data()) != 0;
}

bool SetTags(TIFF* tif, const ImageDesc& desc, int option, const TiffResolution& res) {
  const int depth = desc.BitsPerPixel();
  const uint16_t photometric = Photometric(desc);
  bool ok = TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, uint32_t(RectWidth(desc))) &&
            TIFFSetField(tif, TIFFTAG_IMAGELENGTH, uint32_t(RectHeight(desc))) &&
            TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, depth == 24 ? 8 : depth) &&
            TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, depth == 24 ? 3 : 1) &&
            TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, photometric) &&
            TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) &&
            TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT) &&
            TIFFSetField(tif, TIFFTAG_COMPRESSION, kCompressionOf[option]) &&
            TIFFSetField(tif, TIFFTAG_XRESOLUTION, float(res.x)) &&
            TIFFSetField(tif, TIFFTAG_YRESOLUTION, float(res.y)) &&
            TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, uint16_t(res.unit));
  if (ok && photometric == PHOTOMETRIC_PALETTE) ok = SetColourMap(tif, desc);
  return ok && TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif, 0));
}

// One rectangle row as TIFF stores it: red, green, blue for colour, 16-bit
// samples in the machine's order (the descriptor keeps them little-endian).
void PrepareRow(const ImageDesc& desc, int y, uint8_t* row) {
  ExtractRectRow(desc, y, row);
  const int width = RectWidth(desc);
  if (desc.BitsPerPixel() == 24) {
    for (int x = 0; x < width; ++x) std::swap(row[3 * x], row[3 * x + 2]);
  } else if (desc.BitsPerPixel() == 16) {
    for (int x = 0; x < width; ++x) {
      const uint16_t v = Le16(row + 2 * x);
      std::memcpy(row + 2 * x, &v, 2);
    }
  }
}

int WriteImage(TIFF* tif, const ImageDesc& desc, int option, const TiffResolution& res) {
  if (!SetTags(tif, desc, option, res)) return status::kDiskFull;
  Bytes row = AllocateBytes(RectRowBytes(desc));
  if (!row) return status::kNoMemory;
  for (int y = 0; y < RectHeight(desc); ++y) {
    PrepareRow(desc, y, row.get());
    if (TIFFWriteScanline(tif, row.get(), uint32_t(y), 0) < 0) return status::kDiskFull;
  }
  return TIFFFlush(tif) ? status::kOk : status::kDiskFull;
}

}  // namespace

int TiffWrite(const std::string& path, ImageDesc& desc, const TiffWriteOptions& options) {
  if (int rc = Validate1_8_16_24(desc)) return rc;
  const int option = options.compression;
  if (option < kTiffNone || option > kTiffGroup3 || !Allowed(desc.BitsPerPixel(), option))
    return status::kBadCompression;
  SafeFile out;
  if (int rc = out.Open(path)) return rc;
  {
    TiffPtr tif = OpenTiffStream(out.stream(), path.c_str(), "w");
    if (!tif) return status::kDiskFull;
    if (int rc = WriteImage(tif.get(), desc, option, Checked(options.resolution))) return rc;
  }
  return out.Commit();
}

}  // namespace veska
