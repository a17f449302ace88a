#include "imagelib/jpeg_codec.h"

#include <gtest/gtest.h>

#include <cstdio>

#include <jpeglib.h>

#include "image_file_support.h"
#include "imagelib/status.h"

namespace veska {
namespace {

using test::Image;
using test::TempDir;

int Load(const std::string& path, Image& image, JpegInfo& info) {
  return test::LoadFile(path, image, info, JpegInformation, JpegRead);
}

// Every entry of every quantisation table the file carries.
std::vector<int> QuantisationEntries(const std::string& path) {
  jpeg_decompress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  jpeg_create_decompress(&c);
  FILE* f = std::fopen(path.c_str(), "rb");
  jpeg_stdio_src(&c, f);
  jpeg_read_header(&c, TRUE);
  std::vector<int> entries;
  for (JQUANT_TBL* table : c.quant_tbl_ptrs)
    if (table) entries.insert(entries.end(), table->quantval, table->quantval + DCTSIZE2);
  jpeg_destroy_decompress(&c);
  std::fclose(f);
  return entries;
}

TEST(JpegCodec, RoundTripsGreyAndColourWithinTheCodersError) {
  TempDir dir;
  const std::string path = dir.File("a.jpg");
  for (int bits : {8, 24}) {
    SCOPED_TRACE(bits);
    Image source(48, 32, bits);
    test::FillPattern(source.d);
    ASSERT_EQ(JpegWrite(path, source.d, {100, false, kJpegDensityPerInch, 300, 65535}), 0);
    for (int q : QuantisationEntries(path)) ASSERT_EQ(q, 1);
    Image back;
    JpegInfo info;
    ASSERT_EQ(Load(path, back, info), 0);
    EXPECT_EQ(info.width, 48);
    EXPECT_EQ(info.height, 32);
    EXPECT_EQ(info.samplesPerPixel, bits / 8);
    EXPECT_EQ(info.frame, JpegFrame::kBaseline);
    EXPECT_EQ(info.densityUnit, kJpegDensityPerInch);
    EXPECT_EQ(info.yDensity, 65535);  // the largest density
    EXPECT_EQ(JpegApplyResolution(info, back.d), 300);
    EXPECT_LE(test::MaxDiff(source.d, back.d), 3);
  }
  // An 8-bit colour-table image is written as three components.
  Image indexed(16, 16, 8);
  indexed.d.palette[0] = RgbQuad{255, 0, 0, 0};
  ASSERT_EQ(JpegWrite(path, indexed.d, {90, true, kJpegDensityPerCm, 118, 118}), 0);
  Image back;
  JpegInfo info;
  ASSERT_EQ(Load(path, back, info), 0);
  EXPECT_EQ(info.frame, JpegFrame::kProgressive);
  EXPECT_EQ(info.bitsPerPixel, 24);
  EXPECT_GT(back.d.Row(3)[3 * 5], 240);  // blue
  EXPECT_LT(back.d.Row(3)[3 * 5 + 2], 15);
  EXPECT_DOUBLE_EQ(JpegApplyResolution(info, back.d), 299.72);
}

TEST(JpegCodec, BadFilesFailWithTheFormatsCode) {
  TempDir dir;
  JpegInfo info;
  // Five components, made with the library itself.
  test::WriteJpeg(dir.File("five.jpg"), {8, 8, 5, JCS_UNKNOWN, JCS_UNKNOWN, false, {}},
                  [](int, int, int) { return uint8_t(0); });
  EXPECT_EQ(JpegInformation(dir.File("five.jpg"), info), status::kBadJpeg);

  const std::string good = dir.File("good.jpg"), cut = dir.File("cut.jpg");
  Image source(40, 40, 24);
  test::FillPattern(source.d);
  ASSERT_EQ(JpegWrite(good, source.d), 0);
  const size_t size = test::ReadBytes(good).size();
  for (size_t keep : {size_t(0), size_t(2), size_t(100), size / 2, size - 10}) {
    test::Truncate(good, cut, keep);
    Image target(40, 40, 24);
    EXPECT_EQ(JpegRead(cut, target.d), status::kBadJpeg) << keep;
  }
  test::WriteBytes(cut, std::vector<uint8_t>(500, 0x42));
  EXPECT_EQ(JpegInformation(cut, info), status::kBadJpeg);
  EXPECT_EQ(JpegInformation(dir.File("none.jpg"), info), status::kFileNotFound);
}

}  // namespace
}  // namespace veska
