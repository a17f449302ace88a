#include "imagelib/pcx_codec.h"

#include <gtest/gtest.h>

#include "codec_test_support.h"
#include "imagelib/status.h"

namespace veska {
namespace {

using Bytes = std::vector<uint8_t>;
using test::Image;
using test::TempDir;

int Load(const std::string& path, Image& image) {
  ImageFileInfo info;
  return test::LoadFile(path, image, info, PcxInformation, PcxRead);
}

TEST(PcxCodec, WritesVersion5WithTrailerAndRoundTripsGreyAndOneBit) {
  TempDir dir;
  const std::string path = dir.File("g.pcx");
  Image source(33, 17, 8);  // odd width: lines padded to an even byte count
  test::FillPattern(source.d);
  for (int x = 0; x < 33; ++x) source.d.Row(4)[x] = 0xC7;  // a long run of a marker-like byte
  ASSERT_EQ(PcxWrite(path, source.d), 0);
  const Bytes file = test::ReadBytes(path);
  ASSERT_GT(file.size(), 128u + 769u);
  EXPECT_EQ(file[1], 5);
  EXPECT_EQ(file[66] | file[67] << 8, 34);
  EXPECT_EQ(file[file.size() - 769], 12);
  EXPECT_EQ(file[file.size() - 3], 255);  // the last grey entry

  Image back;
  ASSERT_EQ(Load(path, back), 0);
  EXPECT_EQ(test::MaxDiff(source.d, back.d), 0);
  EXPECT_TRUE(back.d.imageType & kImageTypeGray);

  // One bit, through its two-colour table.
  Image bilevel(21, 5, 1);
  test::FillPattern(bilevel.d);
  bilevel.d.palette[0] = RgbQuad{0, 0, 200, 0};
  ASSERT_EQ(PcxWrite(dir.File("b.pcx"), bilevel.d), 0);
  Image backBilevel;
  ASSERT_EQ(Load(dir.File("b.pcx"), backBilevel), 0);
  EXPECT_EQ(backBilevel.d.palette[0].red, 200);
  for (int x = 0; x < 21; ++x)
    EXPECT_EQ(backBilevel.d.Row(2)[x], (bilevel.d.Row(2)[x / 8] >> (7 - x % 8)) & 1) << x;

  Image colour(8, 8, 24);
  EXPECT_EQ(PcxWrite(dir.File("c.pcx"), colour.d), status::kBitsPerPixel);
  EXPECT_FALSE(test::fs::exists(dir.File("c.pcx")));
}

TEST(PcxCodec, ReadsThreePlaneColourAndRefusesBadFiles) {
  TempDir dir;
  // 2 x 2, three planes of 2 bytes a line; the red plane of the first line is
  // one run that continues into the green plane.
  Bytes file(128, 0);
  file[0] = 10, file[1] = 5, file[2] = 1, file[3] = 8;
  file[8] = 1, file[10] = 1, file[65] = 3, file[66] = 2;
  const Bytes data = {0xC3, 40, 50, 60, 70, 1, 2, 3, 4, 5, 6};
  file.insert(file.end(), data.begin(), data.end());
  const std::string path = dir.File("rgb.pcx");
  test::WriteBytes(path, file);
  Image image;
  ASSERT_EQ(Load(path, image), 0);
  EXPECT_EQ(Bytes(image.d.Row(0), image.d.Row(0) + 6), (Bytes{60, 40, 40, 70, 50, 40}));
  EXPECT_EQ(Bytes(image.d.Row(1), image.d.Row(1) + 6), (Bytes{5, 3, 1, 6, 4, 2}));

  for (size_t keep : {0, 60, 130, 138}) {  // cut in the header or in the data
    test::Truncate(path, dir.File("cut.pcx"), keep);
    Image target(2, 2, 24);
    EXPECT_EQ(PcxRead(dir.File("cut.pcx"), target.d), status::kBadPcx) << keep;
  }
  file[65] = 4;  // four 8-bit planes: not a layout the reader takes
  test::WriteBytes(path, file);
  ImageFileInfo info;
  EXPECT_EQ(PcxInformation(path, info), status::kBitsPerPixel);
  file[0] = 'G';
  test::WriteBytes(path, file);
  EXPECT_EQ(PcxInformation(path, info), status::kBadPcx);
}

}  // namespace
}  // namespace veska
