#include "imagelib/tiff_codec.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include "image_file_support.h"
#include "imagelib/status.h"

namespace veska {
namespace {

using test::Image;
using test::Layout;
using test::Tag16;
using test::TempDir;
using test::WriteTiff;

int Load(const std::string& path, Image& image, TiffInfo& info) {
  return test::LoadFile(path, image, info, TiffInformation, TiffRead);
}

TEST(TiffCodec, RoundTripsEachDepthWithItsCompressions) {
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
  // A unit with no resolution is none (the units: FileFormat.ResolutionFromEachUnit).
  EXPECT_DOUBLE_EQ(TiffApplyResolution({0, 0, kTiffUnitInch}, back.d), 72);
}

TEST(TiffCodec, WriterRefusesCompressionsTheDepthCannotTake) {
  TempDir dir;
  const std::string path = dir.File("d.tif");
  Image deep(30, 7, 16), colour(4, 4, 24), grey(4, 4, 8);
  for (int option : {kTiffLzw, kTiffPackBits})
    EXPECT_EQ(TiffWrite(path, deep.d, {option}), status::kBadCompression);
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
  // 4-bit palette with a 16-bit colour map.
  std::vector<uint16_t> map(16);
  for (int i = 0; i < 16; ++i) map[size_t(i)] = uint16_t(i * 4096);
  l = Layout{}, l.bits = 4, l.photometric = PHOTOMETRIC_PALETTE;
  WriteTiff(path, l, [](int x, int y, int) { return uint32_t(x + y) % 16; }, map.data());
  Image image;
  TiffInfo info;
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
  l = Layout{}, l.width = l.height = 30000, l.rowsPerStrip = 1, l.stripsWritten = 1;
  WriteTiff(bad, l, [](int, int, int) { return 0u; });
  Image target(40, 20, 8);
  EXPECT_EQ(TiffRead(bad, target.d), status::kBadTif);
  TiffInfo info;
  EXPECT_EQ(TiffInformation(dir.File("none.tif"), info), status::kFileNotFound);
}

}  // namespace
}  // namespace veska
