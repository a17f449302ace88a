#include "engine/plane_transforms.h"

#include <gtest/gtest.h>

#include <functional>

namespace veska {
namespace {

// Fills a w x h image area with distinct values; value(x, y) with y from the top.
uint16_t Value(int x, int y) { return uint16_t(1000 + 37 * y + x); }

void FillArea(LuminanceMatrix& m, int w, int h) {
  ASSERT_TRUE(m.Allocate(w, h));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) m.Set(m.colOffset + x, m.rowOffset + h - 1 - y, Value(x, y));
  m.MirrorMargins();
}

// Image pixel (x, y), y from the top, read through the recorded offsets.
uint16_t Pixel(const LuminanceMatrix& m, int x, int y) {
  return m.Get(m.colOffset + x, m.rowOffset + m.h - 1 - y);
}

using Mapping = std::function<void(int w, int h, int x, int y, int& nx, int& ny)>;

void ExpectImageMoved(int w, int h, const std::function<void(LuminanceMatrix&)>& op,
                      bool swapsAxes, const Mapping& where) {
  LuminanceMatrix m;
  FillArea(m, w, h);
  op(m);
  ASSERT_EQ(m.w, swapsAxes ? h : w);
  ASSERT_EQ(m.h, swapsAxes ? w : h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      int nx, ny;
      where(w, h, x, y, nx, ny);
      ASSERT_EQ(Pixel(m, nx, ny), Value(x, y)) << w << "x" << h << " at " << x << "," << y;
    }
}

TEST(PlaneTransforms, TurnsAndFlipsKeepTheImageAreaWhereTheOffsetsSay) {
  // Even and odd differences between width and height: with an odd one the two
  // margins of the short side differ by one cell.
  for (auto [w, h] : {std::pair{6, 4}, std::pair{5, 2}, std::pair{2, 7}, std::pair{3, 3}}) {
    ExpectImageMoved(w, h, [](LuminanceMatrix& m) { RotateMatrix(m, 0); }, true,
                     [](int, int hh, int x, int y, int& nx, int& ny) { nx = hh - 1 - y; ny = x; });
    ExpectImageMoved(w, h, [](LuminanceMatrix& m) { RotateMatrix(m, 1); }, false,
                     [](int ww, int hh, int x, int y, int& nx, int& ny) {
                       nx = ww - 1 - x;
                       ny = hh - 1 - y;
                     });
    ExpectImageMoved(w, h, [](LuminanceMatrix& m) { RotateMatrix(m, 2); }, true,
                     [](int ww, int, int x, int y, int& nx, int& ny) { nx = y; ny = ww - 1 - x; });
    ExpectImageMoved(w, h, [](LuminanceMatrix& m) { FlipMatrix(m, true); }, false,
                     [](int ww, int, int x, int y, int& nx, int& ny) { nx = ww - 1 - x; ny = y; });
    ExpectImageMoved(w, h, [](LuminanceMatrix& m) { FlipMatrix(m, false); }, false,
                     [](int, int hh, int x, int y, int& nx, int& ny) { nx = x; ny = hh - 1 - y; });
  }
}

TEST(PlaneTransforms, QuarterTurnOfWideImageSwapsGeometry) {
  LuminanceMatrix m;
  ASSERT_TRUE(m.Allocate(300, 100));
  ASSERT_EQ(m.side, 320);
  ASSERT_EQ(m.rowOffset, 110);
  RotateMatrix(m, 0);
  EXPECT_EQ(m.h, 300);
  EXPECT_EQ(m.w, 100);
  EXPECT_EQ(m.rowOffset, 10);
  EXPECT_EQ(m.colOffset, 110);
}

TEST(PlaneTransforms, WholeSquareRestoredByInverseSequences) {
  LuminanceMatrix m, ref;
  FillArea(m, 7, 4);
  FillArea(ref, 7, 4);
  FlipMatrix(m, true);
  FlipMatrix(m, true);
  for (int i = 0; i < 4; ++i) RotateMatrix(m, 0);
  RotateMatrix(m, 1);
  RotateMatrix(m, 1);
  RotateMatrix(m, 2);
  RotateMatrix(m, 0);
  ASSERT_EQ(m.rowOffset, ref.rowOffset);
  ASSERT_EQ(m.colOffset, ref.colOffset);
  for (int r = 0; r < m.side; ++r)
    for (int c = 0; c < m.side; ++c) ASSERT_EQ(m.Get(c, r), ref.Get(c, r)) << r << "," << c;
}

TEST(PlaneRenditions, Render8StretchesOnlyWideRanges) {
  LuminanceMatrix m;
  ASSERT_TRUE(m.Allocate(3, 1));
  m.Set(m.colOffset + 0, m.rowOffset, 0);
  m.Set(m.colOffset + 1, m.rowOffset, 500);
  m.Set(m.colOffset + 2, m.rowOffset, 1000);
  m.RefreshStatistics();
  ImageDesc out;
  ASSERT_EQ(Allocate(out, 3, 1, 8), 0);
  Render8(m, true, out);
  EXPECT_EQ(out.pixels[0], 0);
  EXPECT_EQ(out.pixels[1], 128);  // 127.5 rounds away from zero
  EXPECT_EQ(out.pixels[2], 255);
  Render8(m, false, out);
  EXPECT_EQ(out.pixels[2], 0);

  m.Set(m.colOffset + 1, m.rowOffset, 77);
  m.Set(m.colOffset + 2, m.rowOffset, 200);
  m.RefreshStatistics();
  Render8(m, true, out);
  EXPECT_EQ(out.pixels[1], 77);
  EXPECT_EQ(out.pixels[2], 200);
  Free(out);

  ImageDesc wide;
  ASSERT_EQ(Allocate(wide, 3, 1, 16), 0);
  m.Set(m.colOffset + 2, m.rowOffset, 65535);
  Copy16(m, true, wide);
  EXPECT_EQ(reinterpret_cast<uint16_t*>(wide.pixels)[2], 65535);
  Free(wide);
}

}  // namespace
}  // namespace veska
