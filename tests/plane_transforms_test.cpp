#include "engine/plane_transforms.h"

#include <gtest/gtest.h>

#include <utility>

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

TEST(PlaneTransforms, TurnsAndFlipsKeepTheImageAreaWhereTheOffsetsSay) {
  // Where pixel (x, y) of a w x h image lands: {new x, new y}.
  struct Move {
    void (*op)(LuminanceMatrix&);
    bool swapsAxes;
    std::pair<int, int> (*to)(int w, int h, int x, int y);
  };
  const Move moves[] = {
      {[](LuminanceMatrix& m) { RotateMatrix(m, 0); }, true,
       [](int, int h, int x, int y) { return std::pair{h - 1 - y, x}; }},
      {[](LuminanceMatrix& m) { RotateMatrix(m, 1); }, false,
       [](int w, int h, int x, int y) { return std::pair{w - 1 - x, h - 1 - y}; }},
      {[](LuminanceMatrix& m) { RotateMatrix(m, 2); }, true,
       [](int w, int, int x, int y) { return std::pair{y, w - 1 - x}; }},
      {[](LuminanceMatrix& m) { FlipMatrix(m, true); }, false,
       [](int w, int, int x, int y) { return std::pair{w - 1 - x, y}; }},
      {[](LuminanceMatrix& m) { FlipMatrix(m, false); }, false,
       [](int, int h, int x, int y) { return std::pair{x, h - 1 - y}; }},
  };
  // Even and odd differences between width and height: with an odd one the two
  // margins of the short side differ by one cell.
  for (auto [w, h] : {std::pair{6, 4}, std::pair{5, 2}, std::pair{2, 7}, std::pair{3, 3}})
    for (const Move& move : moves) {
      LuminanceMatrix m;
      FillArea(m, w, h);
      move.op(m);
      ASSERT_EQ(m.w, move.swapsAxes ? h : w);
      ASSERT_EQ(m.h, move.swapsAxes ? w : h);
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
          const auto [nx, ny] = move.to(w, h, x, y);
          ASSERT_EQ(Pixel(m, nx, ny), Value(x, y)) << w << "x" << h << " at " << x << "," << y;
        }
    }
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
  auto set = [&m](uint16_t a, uint16_t b, uint16_t c) {
    m.Set(m.colOffset, m.rowOffset, a);
    m.Set(m.colOffset + 1, m.rowOffset, b);
    m.Set(m.colOffset + 2, m.rowOffset, c);
    m.RefreshStatistics();
  };
  ImageDesc out;
  ASSERT_EQ(Allocate(out, 3, 1, 8), 0);
  set(0, 500, 1000);
  Render8(m, true, out);
  EXPECT_TRUE(out.pixels[0] == 0 && out.pixels[2] == 255);
  EXPECT_EQ(out.pixels[1], 128);  // 127.5 rounds away from zero
  Render8(m, false, out);
  EXPECT_EQ(out.pixels[2], 0);
  set(0, 77, 200);
  Render8(m, true, out);
  EXPECT_TRUE(out.pixels[1] == 77 && out.pixels[2] == 200);
  Free(out);

  ImageDesc wide;
  ASSERT_EQ(Allocate(wide, 3, 1, 16), 0);
  m.Set(m.colOffset + 2, m.rowOffset, 65535);  // raw samples, whatever the statistics
  Copy16(m, true, wide);
  EXPECT_EQ(reinterpret_cast<uint16_t*>(wide.pixels)[2], 65535);
  Free(wide);
}

}  // namespace
}  // namespace veska
