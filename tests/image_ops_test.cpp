#include "imagelib/image_ops.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "codec_test_support.h"
#include "imagelib/resample.h"
#include "imagelib/status.h"
#include "tools/sample_images.h"

namespace veska {
namespace {


struct Image : test::Image {
  using test::Image::Image;
  uint32_t At(int x, int y) const { return GetPixelValue(d, x, y); }
  void Set(int x, int y, uint32_t v) { SetPixelValue(d, x, y, v); }
  // Distinct values everywhere (and different bytes per channel).
  Image& Pattern() {
    for (int y = 0; y < d.Height(); ++y)
      for (int x = 0; x < d.Width(); ++x)
        Set(x, y, (uint32_t(x * 17 + y * 71 + 5) & 255) | uint32_t(x * 3 + y) << 8 | (x ^ y) << 16);
    return *this;
  }
  std::vector<uint8_t> Bytes() const {
    const auto* p = reinterpret_cast<const uint8_t*>(d.header);
    return {p, p + 40 + 4 * size_t(d.colours) + size_t(d.stride) * d.Height()};
  }
};

void ExpectSamePixels(const Image& a, const Image& b) {
  ASSERT_EQ(a.d.Width(), b.d.Width());
  ASSERT_EQ(a.d.Height(), b.d.Height());
  for (int y = 0; y < a.d.Height(); ++y)
    for (int x = 0; x < a.d.Width(); ++x) ASSERT_EQ(a.At(x, y), b.At(x, y)) << x << "," << y;
}

// The colour of pixel (x, y) of an 8-bit image through its table.
uint32_t TableColour(const Image& img, int x, int y) {
  const RgbQuad e = img.d.palette[img.At(x, y)];
  return Rgb(e.red, e.green, e.blue);
}

TEST(ImageOpsOrientation, EveryPixelMovesCopiedOrInPlace) {
  for (int bits : {8, 24}) {
    Image src(6, 4, bits), cw(4, 6, bits), ccw(4, 6, bits), half(6, 4, bits);
    Image mirror(6, 4, bits), flip(6, 4, bits);
    src.Pattern();
    ASSERT_EQ(RotateQuarter(kQuarterClockwise, src.d, cw.d), 0);
    ASSERT_EQ(RotateByAngle(90, src.d, ccw.d), 0);
    ASSERT_EQ(RotateByAngle(-180, src.d, half.d), 0);
    ASSERT_EQ(Mirror(src.d, mirror.d), 0);
    ASSERT_EQ(FlipVertical(src.d, flip.d), 0);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 6; ++x) {
        EXPECT_EQ(cw.At(3 - y, x), src.At(x, y));
        EXPECT_EQ(ccw.At(y, 5 - x), src.At(x, y));
        EXPECT_EQ(half.At(5 - x, 3 - y), src.At(x, y));
        EXPECT_EQ(mirror.At(5 - x, y), src.At(x, y));
        EXPECT_EQ(flip.At(x, 3 - y), src.At(x, y));
      }
    // In place (even sizes, so no middle row or column stays put), each undoes itself.
    ASSERT_EQ(Mirror(mirror.d, mirror.d), 0);
    ASSERT_EQ(FlipVertical(flip.d, flip.d), 0);
    ASSERT_EQ(RotateByAngle(540, half.d, half.d), 0);
    for (const Image* back : {&mirror, &flip, &half}) ExpectSamePixels(*back, src);
  }
}

TEST(ImageOpsOrientation, OneBitRowsNotOnByteBoundaries) {
  Image src(11, 3, 1), cw(3, 11, 1), back(11, 3, 1);
  for (int x = 0; x < 11; x += 3) src.d.Row(1)[x >> 3] |= uint8_t(0x80 >> (x & 7));
  ASSERT_EQ(RotateQuarter(kQuarterClockwise, src.d, cw.d), 0);
  EXPECT_EQ(cw.d.Row(9)[0], 0x40);  // source (9, 1) -> destination (1, 9)
  ASSERT_EQ(RotateQuarter(kQuarterCounterClockwise, cw.d, back.d), 0);
  EXPECT_EQ(back.Bytes(), src.Bytes());
}

TEST(ImageOpsResize, SelectionRuleByAxis) {
  EXPECT_EQ(ChooseResampleMethod(1, 100, 100, 200, 50), ResampleMethod::kBilinear);
  EXPECT_EQ(ChooseResampleMethod(1, 100, 100, 100, 50), ResampleMethod::kBilinear);
  EXPECT_EQ(ChooseResampleMethod(1, 100, 100, 50, 50), ResampleMethod::kBlockAverage);
  EXPECT_EQ(ChooseResampleMethod(0, 100, 100, 200, 200), ResampleMethod::kReplicate);
  EXPECT_EQ(ChooseResampleMethod(7, 100, 100, 50, 50), ResampleMethod::kReplicate);
}

TEST(ImageOpsResize, SameSizeCopiesAndReplicationPicksSourcePixels) {
  for (int bits : {8, 24}) {
    Image src(5, 3, bits), same(5, 3, bits), big(13, 7, bits), small(2, 2, bits);
    src.Pattern();
    ASSERT_EQ(Resize(src.d, same.d, kResizeInterpolate), 0);
    ExpectSamePixels(same, src);
    ASSERT_EQ(Resize(src.d, big.d, kResizeReplicate), 0);
    ASSERT_EQ(Resize(src.d, small.d, kResizeReplicate), 0);
    for (int y = 0; y < 7; ++y)
      for (int x = 0; x < 13; ++x) ASSERT_EQ(big.At(x, y), src.At(x * 5 / 13, y * 3 / 7));
    EXPECT_EQ(small.At(1, 1), src.At(2, 1));
  }
}

TEST(ImageOpsResize, BilinearAndBlockAverageArithmetic) {
  Image two(2, 1, 8), four(4, 1, 8);
  two.Set(1, 0, 200);
  ASSERT_EQ(Resize(two.d, four.d, kResizeInterpolate), 0);
  EXPECT_EQ(four.At(0, 0), 0u);
  EXPECT_EQ(four.At(1, 0), 100u);
  EXPECT_EQ(four.At(2, 0), 200u);
  EXPECT_EQ(four.At(3, 0), 200u);  // the right neighbour is clamped to the edge

  Image src(4, 4, 24), half(2, 2, 24);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) src.Set(x, y, uint32_t(x + 4 * y) * 0x010203u);
  ASSERT_EQ(Resize(src.d, half.d, kResizeInterpolate), 0);
  // Top-left block holds 0, 1, 4, 5 (times 1, 2, 3 per channel): truncated means.
  EXPECT_EQ(half.At(0, 0), 2u * 0x010000 + 5u * 0x100 + 7u);
  EXPECT_EQ(half.At(1, 1), (10u + 11 + 14 + 15) / 4 * 0x010000 + 25u * 0x100 + 37u);
}

TEST(ImageOpsResize, Plane16UsesTheSameArithmetic) {
  const uint16_t wide[2] = {0, 65535};
  uint16_t out[4];
  ASSERT_EQ(ResamplePlane16(wide, 2, 1, out, 4, 1, kResizeInterpolate), 0);
  EXPECT_EQ(out[1], 32767);
  EXPECT_EQ(out[3], 65535);
  EXPECT_EQ(ResamplePlane16(wide, 0, 1, out, 4, 1, 1), status::kRange);

  Image src(9, 7, 8);
  src.Pattern();
  std::vector<uint16_t> plane(9 * 7);
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 9; ++x) plane[y * 9 + x] = uint16_t(src.At(x, y));
  for (auto [w, h] : {std::pair{20, 3}, std::pair{4, 3}, std::pair{9, 15}}) {
    Image dst(w, h, 8);
    std::vector<uint16_t> resized(size_t(w * h));
    ASSERT_EQ(Resize(src.d, dst.d, kResizeInterpolate), 0);
    ASSERT_EQ(ResamplePlane16(plane.data(), 9, 7, resized.data(), w, h, kResizeInterpolate), 0);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) ASSERT_EQ(resized[y * w + x], dst.At(x, y)) << w << "x" << h;
  }
}

TEST(ImageOpsResize, ColourTableImageInterpolatesInRgb) {
  Image src(4, 4, 8);
  src.d.palette[0] = RgbQuad{0, 0, 250, 0};   // red
  src.d.palette[1] = RgbQuad{240, 0, 0, 0};   // blue
  src.d.imageType = 0;
  for (int y = 0; y < 4; ++y)
    for (int x = 2; x < 4; ++x) src.Set(x, y, 1);
  Image dst(10, 6, 8), wide(4, 4, 24), expected(10, 6, 24);
  ASSERT_EQ(Resize(src.d, dst.d, kResizeInterpolate), 0);
  ASSERT_EQ(ExpandTo24(src.d, wide.d), 0);
  ASSERT_EQ(Resize(wide.d, expected.d, kResizeInterpolate), 0);
  EXPECT_FALSE(IsGrayscale(dst.d));
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 10; ++x) ASSERT_EQ(TableColour(dst, x, y), expected.At(x, y));
}

TEST(ImageOpsResize, MedianCutKeepsManyColoursClose) {
  Image src(40, 40, 24), dst(40, 40, 8);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x) src.Set(x, y, Rgb(x * 6, y * 6, (x + y) * 3));
  ASSERT_EQ(ReduceTo256Colours(src.d, dst.d), 0);
  std::set<uint32_t> used;
  int worst = 0, total = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x) {
      used.insert(dst.At(x, y));
      const uint32_t a = src.At(x, y), b = TableColour(dst, x, y);
      for (int s = 0; s < 24; s += 8) {
        const int error = std::abs(int(a >> s & 255) - int(b >> s & 255));
        worst = std::max(worst, error);
        total += error;
      }
    }
  EXPECT_GT(used.size(), 200u);
  // Each channel within two 8-level cells, and on average within half of one.
  EXPECT_LE(worst, 16);
  EXPECT_LE(total, 4 * 40 * 40 * 3);
}

TEST(ImageOps, FailuresLeaveTheDestinationAlone) {
  Image src(5, 3, 8), dst(3, 5, 24), other(5, 3, 8);
  src.Pattern();
  const auto before = dst.Bytes();
  EXPECT_EQ(RotateQuarter(kQuarterClockwise, src.d, dst.d), status::kBitsPerPixel);
  EXPECT_EQ(Mirror(src.d, dst.d), status::kBitsPerPixel);
  EXPECT_EQ(Resize(src.d, dst.d, kResizeInterpolate), status::kBitsPerPixel);
  ImageDesc broken = dst.d;
  broken.pixels = nullptr;
  EXPECT_EQ(Resize(src.d, broken, 0), status::kBadBuffer);
  EXPECT_EQ(dst.Bytes(), before);
  EXPECT_EQ(RotateQuarter(kQuarterClockwise, src.d, src.d), status::kRange);
  EXPECT_EQ(Resize(src.d, src.d, kResizeInterpolate), status::kRange);
  EXPECT_EQ(RotateByAngle(45, src.d, other.d), -50);
  ImageDesc shifted = src.d;
  shifted.left = 1;
  EXPECT_EQ(Mirror(src.d, shifted), status::kRange);  // same buffer, other rectangle
}

TEST(ImageOpsTone, NegativeAndLookupTables) {
  for (int bits : {8, 24}) {
    Image src(5, 3, bits), once(5, 3, bits), twice(5, 3, bits);
    src.Pattern();
    ASSERT_EQ(Negative(src.d, once.d), 0);
    EXPECT_EQ(once.At(0, 0), (bits == 8 ? 0xFFu : 0xFFFFFFu) - src.At(0, 0));
    ASSERT_EQ(Negative(once.d, twice.d), 0);
    ExpectSamePixels(twice, src);
  }
  // A colour-table image keeps its indices; its colours are inverted.
  Image pal(3, 1, 8), neg(3, 1, 8);
  pal.d.palette[2] = RgbQuad{10, 20, 30, 0};
  pal.Set(1, 0, 2);
  ASSERT_EQ(Negative(pal.d, neg.d), 0);
  EXPECT_EQ(neg.At(1, 0), 2u);
  EXPECT_EQ(TableColour(neg, 1, 0), Rgb(225, 235, 245));

  LookupTables t;
  for (int v = 0; v < 256; ++v) {
    t.red[v] = uint8_t(v / 2);
    t.green[v] = uint8_t(255 - v);
    t.blue[v] = uint8_t(v);
  }
  Image rgb(2, 1, 24);
  rgb.Set(0, 0, Rgb(200, 50, 100));
  ASSERT_EQ(ApplyLookupTables(t, rgb.d, rgb.d), 0);
  EXPECT_EQ(rgb.At(0, 0), Rgb(100, 205, 100));
  // Unequal tables on a grey image go to its colour table.
  Image gray(2, 1, 8), mapped(2, 1, 8);
  gray.Set(1, 0, 80);
  ASSERT_EQ(ApplyLookupTables(t, gray.d, mapped.d), 0);
  EXPECT_EQ(mapped.At(1, 0), 80u);
  EXPECT_EQ(TableColour(mapped, 1, 0), Rgb(40, 175, 80));
  EXPECT_FALSE(IsGrayscale(mapped.d));
}

TEST(ImageOpsConvert, ExpandAndGrayscale) {
  Image pal(3, 2, 8), rgb(3, 2, 24), wrong(3, 2, 8);
  pal.d.palette[7] = RgbQuad{1, 2, 3, 0};
  pal.Set(2, 1, 7);
  pal.Set(0, 0, 255);
  pal.d.colours = 200;  // a short table: index 255 lies beyond it
  ASSERT_EQ(ExpandTo24(pal.d, rgb.d), 0);
  EXPECT_EQ(rgb.At(2, 1), Rgb(3, 2, 1));
  EXPECT_EQ(rgb.At(1, 1), 0u);
  EXPECT_EQ(rgb.At(0, 0), 0u);
  const auto before = wrong.Bytes();
  EXPECT_EQ(ExpandTo24(pal.d, wrong.d), status::kBitsPerPixel);
  pal.d.colours = 0;
  EXPECT_EQ(ExpandTo24(pal.d, rgb.d), status::kRange);
  EXPECT_EQ(Grayscale(pal.d, wrong.d), status::kBitsPerPixel);
  EXPECT_EQ(wrong.Bytes(), before);

  // Lightness: the mean of the largest and smallest channel.
  const std::pair<uint32_t, uint32_t> cases[] = {{0x808080, 128}, {0xFF0000, 128}, {0x000000, 0},
                                                 {0xFFFFFF, 255}, {0x0AC832, 105}, {0x00FF00, 128}};
  Image colour(6, 1, 24), grey(6, 1, 8);
  grey.d.palette[3] = RgbQuad{9, 9, 1, 0};
  for (int i = 0; i < 6; ++i) colour.Set(i, 0, cases[i].first);
  ASSERT_EQ(Grayscale(colour.d, grey.d), 0);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(grey.At(i, 0), cases[i].second) << i;
  EXPECT_TRUE(IsGrayscale(grey.d));
}

TEST(ImageOpsMix, AddSubtractAndChannelMasks) {
  Image a(2, 1, 24), b(2, 1, 24), out(2, 1, 24);
  a.Set(0, 0, 0xC8C8C8);  // 200
  b.Set(0, 0, 0x646464);  // 100
  // Subtracting ignores the primary weight: (200 x 100 - 100 x |w2|) / 100.
  const int weights[][3] = {{50, 50, 150}, {100, 100, 255}, {70, -40, 160}, {-30, 60, 140}};
  for (const auto& w : weights) {
    ASSERT_EQ(MixPixels(a.d, b.d, out.d, w[0], w[1]), 0);
    EXPECT_EQ(out.At(0, 0), uint32_t(w[2]) * 0x010101u) << w[0] << "," << w[1];
  }
  ASSERT_EQ(MixPixels(b.d, a.d, out.d, 100, -100), 0);
  EXPECT_EQ(out.At(0, 0), 0u);
  // Primary red disabled, secondary blue disabled (channel 0 red, 2 blue).
  ASSERT_EQ(MixPixels(a.d, b.d, a.d, 100, 100, 0b110, 0b011), 0);
  EXPECT_EQ(a.At(0, 0), Rgb(100, 255, 200));
  EXPECT_EQ(MixPixels(a.d, b.d, out.d, 101, 0), status::kRange);
  Image gray(2, 1, 8);
  EXPECT_EQ(MixPixels(a.d, gray.d, out.d, 50, 50), status::kBitsPerPixel);
}

}  // namespace
}  // namespace veska
