#include "imagelib/png_codec.h"

#include <gtest/gtest.h>
#include <png.h>

#include "image_file_support.h"
#include "imagelib/status.h"

namespace veska {
namespace {

using test::Image;
using test::TempDir;
using test::WritePng;

int Load(const std::string& path, Image& image, PngInfo& info) {
  return test::LoadFile(path, image, info, PngInformation, PngRead);
}

TEST(PngCodec, RoundTripsEachDepth) {
  TempDir dir;
  const std::string path = dir.File("a.png");
  struct Case { int bits; bool interlace; bool colourTable; };
  for (Case c : {Case{8, false, false}, Case{24, false, false}, Case{24, true, false},
                 Case{8, true, true}}) {
    SCOPED_TRACE(::testing::Message() << c.bits << " interlaced " << c.interlace);
    Image source(45, 13, c.bits);
    test::FillPattern(source.d);
    if (c.colourTable) source.d.palette[7] = RgbQuad{9, 8, 7, 0}, source.d.Row(0)[7] = 7;
    PngWriteOptions options;
    options.interlace = c.interlace;
    ASSERT_EQ(PngWrite(path, source.d, options), 0);
    Image back;
    PngInfo info;
    ASSERT_EQ(Load(path, back, info), 0);
    EXPECT_EQ(info.interlaced, c.interlace);
    EXPECT_EQ(info.bitsPerPixel, c.colourTable ? 24 : c.bits);
    if (c.colourTable)
      EXPECT_EQ(back.d.Row(0)[3 * 7], 9);  // pixel (7, 0) holds index 7
    else
      EXPECT_EQ(test::MaxDiff(source.d, back.d), 0);
  }
  // One bit, the light entry first: written as two grey levels, inverted.
  Image bilevel(19, 3, 1);
  test::FillPattern(bilevel.d);
  std::swap(bilevel.d.palette[0], bilevel.d.palette[1]);
  ASSERT_EQ(PngWrite(path, bilevel.d), 0);
  Image back;
  PngInfo info;
  ASSERT_EQ(Load(path, back, info), 0);
  for (int x = 0; x < 19; ++x)
    EXPECT_EQ(back.d.Row(1)[x], (bilevel.d.Row(1)[x / 8] >> (7 - x % 8)) & 1 ? 0 : 255) << x;
}

// 16-bit grey loads as whole samples (colour and alpha at 16 bits are reduced
// to 8: common_files_test.cpp, with the palettes).
TEST(PngCodec, ReadsInterlacedSixteenBitGreyFromOtherWriters) {
  TempDir dir;
  const std::string path = dir.File("o.png");
  auto sample = [](int x, int y) { return uint16_t((x * 12 + y) << 8 | (x * 7 + y * 3)); };
  WritePng(path, 21, 11, 16, PNG_COLOR_TYPE_GRAY, true, [&](int y, std::vector<uint8_t>& row) {
    for (int x = 0; x < 21; ++x) {
      row[2 * x] = uint8_t(sample(x, y) >> 8);
      row[2 * x + 1] = uint8_t(sample(x, y));
    }
  });
  PngInfo info;
  ASSERT_EQ(PngInformation(path, info), 0);
  EXPECT_TRUE(info.bitsPerSample == 16 && info.interlaced);
  std::vector<uint16_t> samples(21 * 11);
  ASSERT_EQ(PngRead16(path, samples.data(), 21, 11), 0);
  for (int y = 0; y < 11; ++y)
    for (int x = 0; x < 21; ++x) ASSERT_EQ(samples[size_t(y * 21 + x)], sample(x, y)) << x << y;
}

TEST(PngCodec, BadFilesFailWithItsCode) {
  TempDir dir;
  const std::string good = dir.File("good.png"), cut = dir.File("cut.png");
  Image source(40, 30, 24);
  test::FillPattern(source.d);
  ASSERT_EQ(PngWrite(good, source.d), 0);
  const size_t size = test::ReadBytes(good).size();
  for (size_t keep : {size_t(4), size_t(30), size / 2, size - 5}) {
    test::Truncate(good, cut, keep);
    Image target(40, 30, 24);
    EXPECT_EQ(PngRead(cut, target.d), status::kBadPng) << keep;
  }
  std::vector<uint8_t> corrupt = test::ReadBytes(good);
  corrupt[size / 2] ^= 0x55;  // a flipped bit in the image data: its checksum fails
  test::WriteBytes(cut, corrupt);
  Image target(40, 30, 24);
  EXPECT_EQ(PngRead(cut, target.d), status::kBadPng);
  PngInfo info;
  EXPECT_EQ(PngInformation(dir.File("none.png"), info), status::kFileNotFound);
}

}  // namespace
}  // namespace veska
