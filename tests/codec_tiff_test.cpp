#include "imagelib/tiff_codec.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <cstring>
#include <functional>

#include "codec_test_support.h"
#include "imagelib/status.h"

namespace veska {
namespace {

using test::Image;
using test::TempDir;

int Load(const std::string& path, Image& image, TiffInfo& info) {
  return test::LoadFile(path, image, info, TiffInformation, TiffRead);
}

uint16_t Tag16(const std::string& path, uint32_t tag) {
  TIFF* tif = TIFFOpen(path.c_str(), "r");
  uint16_t value = 0;
  TIFFGetField(tif, tag, &value);
  TIFFClose(tif);
  return value;
}

// How a test file is laid out; written with libtiff's own calls.
struct Layout {
  const char* mode = "w";  // "wb" big-endian, "wl" little-endian
  int width = 40, height = 20, bits = 8, samples = 1;
  uint16_t photometric = PHOTOMETRIC_MINISBLACK, compression = COMPRESSION_NONE;
  uint16_t planar = PLANARCONFIG_CONTIG;
  uint32_t rowsPerStrip = 3, tile = 0;  // tile side, 0 for strips
  int stripsWritten = 1 << 30;           // fewer leaves the last strips without data
};

using Sample = std::function<uint32_t(int x, int y, int s)>;

// Packs the samples of rows [top, top + rows) and columns [left, left +
// columns) of one plane (or all, contiguous) MSB first, 16-bit ones natively.
std::vector<uint8_t> Pack(const Layout& l, const Sample& v, int left, int top, int columns,
                          int rows, int plane) {
  const int perPixel = l.planar == PLANARCONFIG_CONTIG ? l.samples : 1;
  const size_t rowBytes = (size_t(columns) * perPixel * l.bits + 7) / 8;
  std::vector<uint8_t> out(rowBytes * rows);
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < columns * perPixel; ++c) {
      const int x = left + c / perPixel, y = top + r, s = perPixel == 1 ? plane : c % perPixel;
      const uint32_t value = x < l.width && y < l.height ? v(x, y, s) : 0;
      uint8_t* row = out.data() + r * rowBytes;
      if (l.bits == 16) {
        const uint16_t w = uint16_t(value);
        std::memcpy(row + 2 * c, &w, 2);
        continue;
      }
      for (int b = 0; b < l.bits; ++b) {
        const size_t bit = size_t(c) * l.bits + b;
        if ((value >> (l.bits - 1 - b)) & 1) row[bit / 8] |= uint8_t(0x80 >> (bit % 8));
      }
    }
  return out;
}

void WriteTiff(const std::string& path, const Layout& l, const Sample& v,
               uint16_t* colourMap = nullptr) {
  TIFF* tif = TIFFOpen(path.c_str(), l.mode);
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, l.width);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, l.height);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, l.bits);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, l.samples);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, l.photometric);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, l.compression);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, l.planar);
  if (colourMap) TIFFSetField(tif, TIFFTAG_COLORMAP, colourMap, colourMap, colourMap);
  const int planes = l.planar == PLANARCONFIG_CONTIG ? 1 : l.samples;
  if (l.tile) {
    TIFFSetField(tif, TIFFTAG_TILEWIDTH, l.tile);
    TIFFSetField(tif, TIFFTAG_TILELENGTH, l.tile);
    for (int p = 0; p < planes; ++p)
      for (int y = 0; y < l.height; y += int(l.tile))
        for (int x = 0; x < l.width; x += int(l.tile)) {
          auto data = Pack(l, v, x, y, int(l.tile), int(l.tile), p);
          TIFFWriteEncodedTile(tif, TIFFComputeTile(tif, x, y, 0, uint16_t(p)), data.data(),
                               tmsize_t(data.size()));
        }
  } else {
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, l.rowsPerStrip);
    const int strips = (l.height + int(l.rowsPerStrip) - 1) / int(l.rowsPerStrip);
    for (int p = 0; p < planes; ++p)
      for (int s = 0; s < std::min(strips, l.stripsWritten); ++s) {
        const int top = s * int(l.rowsPerStrip);
        auto data = Pack(l, v, 0, top, l.width, std::min(int(l.rowsPerStrip), l.height - top), p);
        TIFFWriteEncodedStrip(tif, uint32_t(p * strips + s), data.data(), tmsize_t(data.size()));
      }
  }
  TIFFClose(tif);
}

TEST(TiffCodec, RoundTripsEachDepthWithItsCompressionsAndResolution) {
  TempDir dir;
  const std::string path = dir.File("a.tif");
  struct Case { int bits; int option; uint16_t compression; };
  for (Case c : {Case{8, kTiffPackBits, 32773}, Case{8, kTiffLzw, 5}, Case{24, kTiffNone, 1},
                 Case{24, kTiffLzw, 5}, Case{1, kTiffCcittRle, 2}, Case{1, kTiffGroup4, 4},
                 Case{1, kTiffGroup3, 3}, Case{1, kTiffPackBits, 32773}}) {
    SCOPED_TRACE(::testing::Message() << c.bits << " bits, option " << c.option);
    Image source(45, 13, c.bits);
    test::FillPattern(source.d);
    ASSERT_EQ(TiffWrite(path, source.d, {c.option, {300, 300, kTiffUnitInch}}), 0);
    EXPECT_EQ(Tag16(path, TIFFTAG_COMPRESSION), c.compression);
    TiffResolution res;
    ASSERT_EQ(TiffGetResolution(path, res), 0);
    EXPECT_EQ(res.x, 300);
    EXPECT_EQ(res.unit, kTiffUnitInch);
    Image back;
    TiffInfo info;
    ASSERT_EQ(Load(path, back, info), 0);
    EXPECT_EQ(info.bitsPerPixel, c.bits == 24 ? 24 : 8);
    if (c.bits != 1) {
      EXPECT_EQ(test::MaxDiff(source.d, back.d), 0);
      continue;
    }
    for (int x = 0; x < 45; ++x)  // 1-bit samples read as 0 and 255
      EXPECT_EQ(back.d.Row(7)[x], (source.d.Row(7)[x / 8] >> (7 - x % 8)) & 1 ? 255 : 0) << x;
  }
  // An 8-bit colour-table image becomes a palette file.
  Image indexed(20, 10, 8);
  test::FillPattern(indexed.d);
  indexed.d.palette[5] = RgbQuad{1, 2, 3, 0};
  ASSERT_EQ(TiffWrite(path, indexed.d), 0);
  Image back;
  TiffInfo info;
  ASSERT_EQ(Load(path, back, info), 0);
  EXPECT_EQ(info.photometric, PHOTOMETRIC_PALETTE);
  EXPECT_EQ(back.d.palette[5].red, 3);
  EXPECT_EQ(test::MaxDiff(indexed.d, back.d), 0);
}

TEST(TiffCodec, SixteenBitGreyWritesUncompressedAndReadsBack) {
  TempDir dir;
  const std::string path = dir.File("d.tif");
  Image deep(30, 7, 16);
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 30; ++x) {
      const int v = 1000 * y + 77 * x + 40000 * (x == 3);
      deep.d.Row(y)[2 * x] = uint8_t(v), deep.d.Row(y)[2 * x + 1] = uint8_t(v >> 8);
    }
  ASSERT_EQ(TiffWrite(path, deep.d), 0);
  EXPECT_EQ(Tag16(path, TIFFTAG_BITSPERSAMPLE), 16);
  TiffInfo info;
  ASSERT_EQ(TiffInformation(path, info), 0);
  EXPECT_EQ(info.bitsPerPixel, 16);
  std::vector<uint16_t> samples(30 * 7);
  ASSERT_EQ(TiffRead16(path, samples.data(), 30, 7), 0);
  EXPECT_EQ(samples[6 * 30 + 3], 6000 + 231 + 40000);
  EXPECT_EQ(samples[2 * 30 + 29], 2000 + 77 * 29);

  for (int option : {kTiffLzw, kTiffPackBits}) EXPECT_EQ(TiffWrite(path, deep.d, {option}), -9);
  Image colour(4, 4, 24), grey(4, 4, 8);
  EXPECT_EQ(TiffWrite(path, colour.d, {kTiffPackBits}), status::kBadCompression);
  EXPECT_EQ(TiffWrite(path, grey.d, {kTiffGroup4}), status::kBadCompression);
  EXPECT_EQ(TiffWrite(path, grey.d, {6}), status::kBadCompression);
}

TEST(TiffCodec, ReadsFilesLaidOutByOtherWriters) {
  TempDir dir;
  const std::string path = dir.File("f.tif");
  const auto deep = [](int x, int y, int) { return uint32_t(x * 1601 + y * 97) & 0xFFFF; };
  Layout l;
  std::vector<uint16_t> samples(40 * 20);
  // 16-bit grey: big-endian in strips of 3 rows, LZW-coded tiles, 12 bits.
  for (Layout variant : {Layout{"wb", 40, 20, 16}, Layout{"wl", 40, 20, 16, 1, 1, 5, 1, 0, 16},
                         Layout{"wb", 40, 20, 12, 1, 1, 32773}}) {
    SCOPED_TRACE(variant.bits);
    const uint32_t mask = (1u << variant.bits) - 1;
    WriteTiff(path, variant, [&](int x, int y, int s) { return deep(x, y, s) & mask; });
    ASSERT_EQ(TiffRead16(path, samples.data(), 40, 20), 0);
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 40; ++x) ASSERT_EQ(samples[size_t(y * 40 + x)], deep(x, y, 0) & mask);
  }
  // 8-bit white-is-zero in LZW tiles: the stored values, not inverted.
  l.photometric = PHOTOMETRIC_MINISWHITE, l.compression = COMPRESSION_LZW, l.tile = 16;
  WriteTiff(path, l, [](int x, int y, int) { return uint32_t(x * 5 + y); });
  Image image;
  TiffInfo info;
  ASSERT_EQ(Load(path, image, info), 0);
  EXPECT_EQ(info.photometric, PHOTOMETRIC_MINISWHITE);
  EXPECT_EQ(image.d.Row(19)[39], 39 * 5 + 19);
  // 4-bit palette with a 16-bit colour map.
  std::vector<uint16_t> map(16);
  for (int i = 0; i < 16; ++i) map[size_t(i)] = uint16_t(i * 4096);
  l = Layout{}, l.bits = 4, l.photometric = PHOTOMETRIC_PALETTE;
  WriteTiff(path, l, [](int x, int y, int) { return uint32_t(x + y) % 16; }, map.data());
  Free(image.d);
  ASSERT_EQ(Load(path, image, info), 0);
  EXPECT_EQ(image.d.Row(3)[10], 13);
  EXPECT_EQ(image.d.palette[13].green, 13 * 16);
  // RGB in separate planes.
  l = Layout{}, l.samples = 3, l.photometric = PHOTOMETRIC_RGB, l.planar = PLANARCONFIG_SEPARATE;
  WriteTiff(path, l, [](int x, int y, int s) { return uint32_t(x + 10 * s + y); });
  Free(image.d);
  ASSERT_EQ(Load(path, image, info), 0);
  EXPECT_EQ(image.d.Row(2)[3 * 7], 7 + 20 + 2);  // blue
  EXPECT_EQ(image.d.Row(2)[3 * 7 + 2], 7 + 2);   // red
  EXPECT_EQ(TiffRead16(path, samples.data(), 40, 20), status::kTifBitsPerSample);
}

TEST(TiffCodec, TruncatedAndOverclaimingFilesFailWithTheFormatsCode) {
  TempDir dir;
  const std::string good = dir.File("good.tif"), bad = dir.File("bad.tif");
  Layout l;
  for (int compression : {COMPRESSION_NONE, COMPRESSION_LZW}) {
    l.compression = uint16_t(compression);
    WriteTiff(good, l, [](int x, int y, int) { return uint32_t(x * y); });
    for (size_t keep : {size_t(0), size_t(5), size_t(300)}) {
      test::Truncate(good, bad, keep);
      Image target(40, 20, 8);
      EXPECT_EQ(TiffRead(bad, target.d), status::kBadTif) << keep;
    }
    l.stripsWritten = 3;  // the directory is whole, the data stops early
    WriteTiff(bad, l, [](int x, int y, int) { return uint32_t(x * y); });
    l.stripsWritten = 1 << 30;
    Image target(40, 20, 8);
    EXPECT_EQ(TiffRead(bad, target.d), status::kBadTif) << compression;
  }
  // A directory that claims 30000 x 30000 pixels over one strip of data.
  TIFF* tif = TIFFOpen(bad.c_str(), "w");
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, 30000);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, 30000);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 1);
  std::vector<uint8_t> row(30000);
  TIFFWriteEncodedStrip(tif, 0, row.data(), tmsize_t(row.size()));
  TIFFClose(tif);
  Image target(40, 20, 8);
  EXPECT_EQ(TiffRead(bad, target.d), status::kBadTif);
  TiffInfo info;
  EXPECT_EQ(TiffInformation(dir.File("none.tif"), info), status::kFileNotFound);
}

TEST(TiffCodec, ResolutionUnitsConvertToDotsPerInch) {
  Image image(2, 2, 8);
  EXPECT_DOUBLE_EQ(TiffApplyResolution({118, 118, kTiffUnitCentimetre}, image.d), 299.72);
  EXPECT_DOUBLE_EQ(TiffApplyResolution({200, 200, kTiffUnitInch}, image.d), 200);
  EXPECT_DOUBLE_EQ(TiffApplyResolution({200, 200, kTiffUnitNone}, image.d), 72);
  EXPECT_DOUBLE_EQ(TiffApplyResolution({0, 0, kTiffUnitInch}, image.d), 72);
}

}  // namespace
}  // namespace veska
