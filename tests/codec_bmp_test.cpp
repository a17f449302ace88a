#include "imagelib/bmp_codec.h"

#include <gtest/gtest.h>

#include <cstring>

#include "codec_test_support.h"
#include "imagelib/status.h"

namespace veska {
namespace {

using Bytes = std::vector<uint8_t>;
using test::Image;
using test::TempDir;

void Put(Bytes& v, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) v.push_back(uint8_t(value >> (8 * i)));
}

Bytes InfoHeader(int width, int height, int bits, uint32_t compression = 0) {
  Bytes h;
  Put(h, 40, 4), Put(h, uint32_t(width), 4), Put(h, uint32_t(height), 4), Put(h, 1, 2);
  Put(h, uint32_t(bits), 2), Put(h, compression, 4), Put(h, 0, 4), Put(h, 3780, 4);
  Put(h, 3780, 4), Put(h, 0, 4), Put(h, 0, 4);
  return h;
}

// File header, info header, colour table (or masks), pixel data.
Bytes BmpFile(const Bytes& info, const Bytes& table, const Bytes& pixels) {
  Bytes f = {'B', 'M'};
  const uint32_t offset = uint32_t(14 + info.size() + table.size());
  Put(f, offset + uint32_t(pixels.size()), 4), Put(f, 0, 4), Put(f, offset, 4);
  f.insert(f.end(), info.begin(), info.end());
  f.insert(f.end(), table.begin(), table.end());
  f.insert(f.end(), pixels.begin(), pixels.end());
  return f;
}

int Load(const std::string& path, Image& image, BmpInfo& info) {
  return test::LoadFile(path, image, info, BmpInformation, BmpRead);
}

TEST(BmpCodec, RoundTripsEveryWrittenDepthAndTheRectangle) {
  TempDir dir;
  struct Case { int bits; bool rle; bool colourTable; };
  for (Case c : {Case{8, false, false}, Case{8, true, false}, Case{8, true, true},
                 Case{24, false, false}, Case{1, false, false}}) {
    SCOPED_TRACE(::testing::Message() << c.bits << " rle " << c.rle);
    Image source(37, 21, c.bits);
    test::FillPattern(source.d);
    if (c.colourTable) source.d.palette[3] = RgbQuad{10, 200, 30, 0};
    SetResolution(source.d, 300);
    ASSERT_EQ(BmpWrite(dir.File("a.bmp"), source.d, c.rle), 0);
    Image back;
    BmpInfo info;
    ASSERT_EQ(Load(dir.File("a.bmp"), back, info), 0);
    EXPECT_EQ(info.header.bitCount, c.bits);
    EXPECT_EQ(info.header.compression, c.rle ? 1u : 0u);
    EXPECT_EQ(info.bitsPerPixel, c.bits == 24 ? 24 : 8);
    EXPECT_EQ(BmpApplyResolution(back.d), 300);
    for (int y = 0; y < 21; ++y)
      for (int x = 0; x < 37; ++x) {
        const uint8_t* s = source.d.Row(y);
        const uint8_t want = c.bits == 1 ? (s[x / 8] >> (7 - x % 8)) & 1 : s[x * c.bits / 8];
        ASSERT_EQ(back.d.Row(y)[x * (c.bits == 24 ? 3 : 1)], want) << x << "," << y;
      }
    if (c.bits < 24) {
      EXPECT_EQ(back.d.palette[3].green, c.colourTable ? 200 : c.bits == 1 ? 0 : 3);
    }
    EXPECT_EQ((back.d.imageType & kImageTypeGray) != 0, c.bits == 8 && !c.colourTable);
  }
  Image colour(40, 30, 24);
  test::FillPattern(colour.d);
  SetRect(colour.d, 10, 5, 29, 14);
  ASSERT_EQ(BmpWrite(dir.File("r.bmp"), colour.d), 0);
  Image part;
  BmpInfo info;
  ASSERT_EQ(Load(dir.File("r.bmp"), part, info), 0);
  EXPECT_EQ(info.width, 20);
  EXPECT_EQ(info.height, 10);
  EXPECT_EQ(0, std::memcmp(part.d.Row(9), colour.d.Row(14) + 30, 60));
  // A count byte holds at most 255: a run of 256 is coded as 255 and 1.
  Image flat(256, 1, 8);
  std::memset(flat.d.Row(0), 7, 256);
  ASSERT_EQ(BmpWrite(dir.File("f.bmp"), flat.d, true), 0);
  const Bytes file = test::ReadBytes(dir.File("f.bmp"));
  EXPECT_EQ(Bytes(file.begin() + 54 + 1024, file.end()), (Bytes{255, 7, 1, 7, 0, 1}));
}

TEST(BmpCodec, ReadsOtherHeadersDepthsAndCodings) {
  TempDir dir;
  const std::string path = dir.File("o.bmp");
  Image image;
  const auto load = [&](const Bytes& file) {
    test::WriteBytes(path, file);
    Free(image.d);
    BmpInfo info;
    return Load(path, image, info);
  };
  // 4 bits, 3 x 2, bottom-up: the bottom row holds indices 1 2 3.
  ASSERT_EQ(load(BmpFile(InfoHeader(3, 2, 4), {0, 0, 0, 0, 9, 9, 9, 0, 50, 60, 70, 0, 1, 2, 3, 0},
                         {0x12, 0x30, 0, 0, 0x33, 0x30, 0, 0})),
            0);
  EXPECT_EQ(image.d.Row(1)[1], 2);
  EXPECT_EQ(image.d.Row(0)[0], 3);
  EXPECT_EQ(image.d.palette[2].red, 70);
  // 16 bits with 5-6-5 masks: pure red and pure green.
  Bytes masks;
  Put(masks, 0xF800, 4), Put(masks, 0x07E0, 4), Put(masks, 0x001F, 4);
  ASSERT_EQ(load(BmpFile(InfoHeader(2, 1, 16, 3), masks, {0x00, 0xF8, 0xE0, 0x07})), 0);
  EXPECT_EQ(Bytes(image.d.pixels, image.d.pixels + 6), (Bytes{0, 0, 255, 0, 255, 0}));
  // 32 bits with the default masks, stored top-down.
  ASSERT_EQ(load(BmpFile(InfoHeader(1, -2, 32), {}, {1, 2, 3, 0, 4, 5, 6, 0})), 0);
  EXPECT_EQ(image.d.Row(0)[2], 3);
  EXPECT_EQ(image.d.Row(1)[0], 4);
  // OS/2 core header, 8 bits, 3-byte table entries.
  Bytes core, table(256 * 3, 0);
  Put(core, 12, 4), Put(core, 2, 2), Put(core, 1, 2), Put(core, 1, 2), Put(core, 8, 2);
  table[3 * 7 + 2] = 99;
  ASSERT_EQ(load(BmpFile(core, table, {7, 0, 0, 0})), 0);
  EXPECT_EQ(image.d.Row(0)[0], 7);
  EXPECT_EQ(image.d.palette[7].red, 99);
  // 8-bit run-length coding with a literal run and a move, 5 x 2.
  ASSERT_EQ(load(BmpFile(InfoHeader(5, 2, 8, 1), {},
                         {2, 7, 0, 3, 1, 2, 3, 0, 0, 0, 0, 2, 3, 0, 1, 9, 0, 1})),
            0);
  EXPECT_EQ(Bytes(image.d.Row(1), image.d.Row(1) + 5), (Bytes{7, 7, 1, 2, 3}));
  EXPECT_EQ(Bytes(image.d.Row(0), image.d.Row(0) + 5), (Bytes{0, 0, 0, 9, 0}));
}

TEST(BmpCodec, BadFilesFailWithTheFormatsCode) {
  TempDir dir;
  const std::string good = dir.File("good.bmp"), bad = dir.File("bad.bmp");
  Image source(30, 20, 24);
  ASSERT_EQ(BmpWrite(good, source.d), 0);
  for (size_t keep : {0, 10, 30, 60, 500, 1853}) {
    test::Truncate(good, bad, keep);
    Image target(30, 20, 24);
    EXPECT_EQ(BmpRead(bad, target.d), status::kBadBmp) << keep;
  }
  // A header that claims far more pixels than the file holds.
  test::WriteBytes(bad, BmpFile(InfoHeader(30000, 30000, 24), {}, Bytes(64, 0)));
  Image target(30, 20, 24);
  EXPECT_EQ(BmpRead(bad, target.d), status::kBadBmp);
  // Run-length data that stops before the end of the image.
  test::WriteBytes(bad, BmpFile(InfoHeader(4, 3, 8, 1), Bytes(1024, 0), {4, 1, 0, 0}));
  Image grey(4, 3, 8);
  EXPECT_EQ(BmpRead(bad, grey.d), status::kBadBmp);
  // Run-length data cannot be stored top-down.
  const Bytes rows = {4, 1, 0, 0, 4, 1, 0, 0, 4, 1, 0, 1};
  test::WriteBytes(bad, BmpFile(InfoHeader(4, 3, 8, 1), Bytes(1024, 0), rows));
  EXPECT_EQ(BmpRead(bad, grey.d), 0);
  test::WriteBytes(bad, BmpFile(InfoHeader(4, -3, 8, 1), Bytes(1024, 0), rows));
  BmpInfo info;
  EXPECT_EQ(BmpInformation(bad, info), status::kBadBmp);
  test::WriteBytes(bad, BmpFile(InfoHeader(4, 3, 7), {}, Bytes(64, 0)));
  EXPECT_EQ(BmpInformation(bad, info), status::kBitsPerPixel);
  test::WriteBytes(bad, Bytes{'P', 'K', 3, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  EXPECT_EQ(BmpInformation(bad, info), status::kBadBmp);
  EXPECT_EQ(BmpInformation(dir.File("none.bmp"), info), status::kFileNotFound);
  // The reader's depth must match the file's.
  EXPECT_EQ(BmpRead(good, grey.d), status::kBitsPerPixel);
}

}  // namespace
}  // namespace veska
