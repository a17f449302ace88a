#include "engine/channel_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>

#include "codec_test_support.h"
#include "engine/store_maintenance.h"
#include "imagelib/hls.h"
#include "test_progress.h"
#include "tools/sample_images.h"

namespace veska {
namespace {

using ScopedDesc = test::Image;

// Matrix cell of image pixel (x, y), y from the top.
uint16_t Cell(const LuminanceMatrix& m, int x, int y) {
  return m.Get(m.colOffset + x, m.rowOffset + m.h - 1 - y);
}

// The composite level as the grayscale conversion defines it.
int ReferenceLevel(int r, int g, int b) {
  const int mx = std::max({r, g, b}), mn = std::min({r, g, b});
  const int l = ((mx + mn) * 252 + 255) / 510;
  return (l * 255 + 126) / 252;
}

TEST(LuminanceMatrixMargins, SinglePixelFillsOnlyItsReflection) {
  LuminanceMatrix m;
  ASSERT_TRUE(m.Allocate(1, 1));
  EXPECT_EQ(m.side, 21);
  m.Set(10, 10, 77);
  m.MirrorMargins();
  for (int r = 0; r < 21; ++r)
    for (int c = 0; c < 21; ++c)
      ASSERT_EQ(m.Get(c, r), (r >= 9 && r <= 12 && c >= 9 && c <= 12) ? 77 : 0) << r << "," << c;
}

TEST(LuminanceMatrixMargins, NarrowImageReflectsOnceAndEmptyAreaIsSafe) {
  // 1 x 30: S = 50, column offset 24. The left margin reads the right margin
  // before it is filled, so only one reflected column appears on each side of
  // the first pass; the right margin then sees that column once more.
  LuminanceMatrix m;
  ASSERT_TRUE(m.Allocate(1, 30));
  ASSERT_EQ(m.colOffset, 24);  // (30 - 1) / 2 + 10
  LuminanceMatrix wide;
  ASSERT_TRUE(wide.Allocate(30, 1));
  EXPECT_EQ(wide.rowOffset, 24);
  for (int y = 0; y < 30; ++y) m.Set(24, m.rowOffset + y, uint16_t(5 + y));
  m.MirrorMargins();
  for (int c = 0; c < 50; ++c) {
    const bool filled = c >= 23 && c <= 26;
    EXPECT_EQ(m.Get(c, 15), filled ? 10 : 0) << c;
    EXPECT_EQ(m.Get(c, 0), filled ? 14 : 0) << c;  // row 0 mirrors row 19
  }
  LuminanceMatrix empty;
  ASSERT_TRUE(empty.Allocate(0, 5));
  empty.MirrorMargins();  // must not read outside the square
}

TEST(LuminanceMatrixStatistics, FirstCellMinimumAndBigCursorCap) {
  LuminanceMatrix s;
  ASSERT_TRUE(s.Allocate(3, 2));
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) s.Set(s.colOffset + x, s.rowOffset + y, 50);
  s.Set(s.colOffset, s.rowOffset, 3);  // first image-area value, unique minimum
  s.bigSize = 301;
  s.RefreshStatistics();
  EXPECT_TRUE(s.min == 3 && s.max == 50);
  EXPECT_EQ(s.bigSize, 49);  // capped to the covering size
}

TEST(Hls, GreyLightnessLevelAndRoundTrips) {
  const Hls grey = RgbToHls(Rgb(128, 128, 128));
  EXPECT_TRUE(grey.lightness == 126 && grey.saturation == 0 && grey.hue == 168);
  EXPECT_EQ(LightnessLevel(Rgb(128, 128, 128)), 128);
  // The level is the full conversion's lightness on the 0..255 scale, for
  // every ordering of the components.
  for (int r = 0; r < 256; r += 15)
    for (int g = 0; g < 256; g += 17)
      for (int b = 0; b < 256; b += 51) {
        const uint32_t c = Rgb(r, g, b);
        ASSERT_EQ(LightnessLevel(c), (RgbToHls(c).lightness * 255 + 126) / 252) << std::hex << c;
      }
  // The first seven come back exactly, the others within the scale's rounding.
  const uint32_t colours[] = {Rgb(128, 128, 128), Rgb(255, 0, 0),    Rgb(0, 255, 0),
                              Rgb(0, 0, 255),     Rgb(255, 255, 0),  Rgb(0, 0, 0),
                              Rgb(255, 255, 255), Rgb(200, 100, 50), Rgb(12, 200, 180),
                              Rgb(90, 30, 240),   Rgb(1, 2, 3)};
  for (size_t i = 0; i < std::size(colours); ++i) {
    const uint32_t c = colours[i], back = HlsToRgb(RgbToHls(c));
    for (int shift : {0, 8, 16})
      EXPECT_LE(std::abs(int((back >> shift) & 255) - int((c >> shift) & 255)), i < 7 ? 0 : 3)
          << std::hex << c << " -> " << back;
  }
}

TEST(BuildLuminance, CompositeAndPerColourPlanes) {
  auto colour = [](int x, int y) { return Rgb(40 * x + 3, 200 - 30 * y, 17 * (x + y)); };
  ScopedDesc image(5, 3, 24, colour);
  ChannelStore store;
  ASSERT_EQ(store.BuildLuminance(&image.d, false), 0);
  ASSERT_EQ(store.PlaneCount(), 1);
  const LuminanceMatrix& lum = store.Plane(0)->Matrix();
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) {
      const uint32_t p = colour(x, y);
      EXPECT_EQ(Cell(lum, x, y), ReferenceLevel(p & 255, (p >> 8) & 255, p >> 16));
    }

  ASSERT_EQ(store.SetMultiChannel(), 0);
  ASSERT_EQ(store.PlaneCount(), 3);
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(Cell(store.Plane(i)->Matrix(), 4, 2), (colour(4, 2) >> (8 * i)) & 255) << i;
}

TEST(BuildLuminance, FlatAndDisabledPlanes) {
  ScopedDesc flat(4, 4, 8, [](int, int) { return 37u; });
  ChannelStore store;
  ASSERT_EQ(store.BuildLuminance(&flat.d, false), 0);
  const ChannelPlane& p = *store.Plane(0);
  EXPECT_TRUE(p.Max() == 37 && p.Min() == 37 && p.Flat() && !p.Enabled() && !p.FullRange());
  EXPECT_EQ(p.BigCursor(), 3);

  ScopedDesc ramp(16, 16, 8, [](int x, int y) { return uint32_t(x + 16 * y); });
  ChannelStore rebuilt;
  ASSERT_EQ(rebuilt.BuildLuminance(&ramp.d, false), 0);
  EXPECT_EQ(rebuilt.BigCursor(0), 257);
  rebuilt.Plane(0)->SetLastUsed(5, 41);
  rebuilt.SetEnabled(0, false);
  ASSERT_EQ(rebuilt.BuildLuminance(&ramp.d, false), 0);
  const ChannelPlane& d = *rebuilt.Plane(0);
  EXPECT_TRUE(d.Max() == 0 && d.Flat() && Cell(d.Matrix(), 15, 15) == 0);
  EXPECT_EQ(d.LastBig(), 41);  // kept across the rebuild
}

TEST(BuildLuminance, SwitchingModesDerivedOrNot) {
  ScopedDesc image(6, 6, 24, [](int x, int y) { return Rgb(x * 40, y * 40, 90); });
  ChannelStore store;
  ASSERT_EQ(store.BuildLuminance(&image.d, false), 0);
  store.SetCursors(0, 3, 9);
  store.Plane(0)->SetLastUsed(3, 9);
  ASSERT_EQ(store.SetMultiChannel(), 0);
  ASSERT_EQ(store.PlaneCount(), 3);
  EXPECT_EQ(store.SmallCursor(0), 1);
  EXPECT_EQ(store.LastBig(0), 0);
  EXPECT_TRUE(store.Flat(2));  // blue is constant

  // Primary data: the planes go and nothing is rebuilt from the pixels.
  store.SetDerived(false);
  ASSERT_EQ(store.SetSingleChannel(), 0);
  EXPECT_EQ(store.PlaneCount(), 0);
}

TEST(BuildLuminance, ProgressTextsAndCancel) {
  ScopedDesc image(4, 5, 24, [](int x, int y) { return Rgb(x, y, 9 + x); });
  ChannelStore store;
  store.SetMultiChannelFlag(true);
  testutil::CountingProgress sink;
  ASSERT_EQ(store.BuildLuminance(&image.d, false, &sink), 0);
  EXPECT_EQ(sink.texts, (std::vector<std::string>{
                            "Building luminance matrix for channel 1 of 3...",
                            "Building luminance matrix for channel 2 of 3...",
                            "Building luminance matrix for channel 3 of 3..."}));
  EXPECT_EQ(sink.steps, 15);  // one per image row and plane
  EXPECT_EQ(sink.destroys, 1);

  store.SetEnabled(1, false);
  testutil::CountingProgress cancelling(7);
  EXPECT_EQ(store.BuildLuminance(&image.d, false, &cancelling), 100);
  EXPECT_EQ(cancelling.texts[1], "Channel 2 of 3 disabled...");
  EXPECT_EQ(cancelling.destroys, 1);
  ChannelStore composite;  // one plane: the text names no channel
  testutil::CountingProgress one;
  ASSERT_EQ(composite.BuildLuminance(&image.d, false, &one), 0);
  EXPECT_EQ(one.texts, std::vector<std::string>{"Building luminance matrix..."});
}

TEST(ChannelStoreCopy, RectangleSettingsAndFailure) {
  ScopedDesc image(6, 4, 8, [](int x, int y) { return uint32_t(10 * y + x); });
  ChannelStore source;
  ASSERT_EQ(source.BuildLuminance(&image.d, false), 0);
  source.SetCursors(0, 5, 21);
  ChannelStore copy;
  ASSERT_EQ(copy.CopyFrom(source, PixelRect{1, 1, 3, 2}, true), 0);
  const LuminanceMatrix& m = copy.Plane(0)->Matrix();
  ASSERT_EQ(m.w, 3);
  ASSERT_EQ(m.h, 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(Cell(m, x, y), 10 * (y + 1) + x + 1);
  EXPECT_EQ(m.Get(m.colOffset - 1, m.rowOffset), Cell(m, 0, 1));  // margins mirrored
  EXPECT_EQ(m.max, 35);  // the source's statistics
  EXPECT_EQ(copy.BigCursor(0), 21);
  EXPECT_TRUE(copy.Derived());

  EXPECT_EQ(copy.CopyFrom(source, PixelRect{7, 0, 9, 2}, true), -1);
  EXPECT_EQ(copy.Plane(0)->Matrix().w, 3);  // unchanged
}

TEST(WriteBack, CompositeChangesOnlyTheLightnessAndLeavesTheSourceAlone) {
  // Channel order, disabled channels and row order of single results are
  // checked through whole processing runs; here a coloured composite, and a
  // grey result of a colour-table source, whose table stays as it was.
  ChannelStore store;
  ASSERT_EQ(store.SetChannelCount(1), 1);
  std::vector<ChannelResult> results(1);
  ASSERT_TRUE(results[0].Allocate(3, 2));
  for (int y = 0; y < 2; ++y) std::fill(results[0].Rows()[y], results[0].Rows()[y] + 3, 64);
  ScopedDesc colour(3, 2, 24, [](int, int y) { return y == 0 ? Rgb(255, 0, 0) : Rgb(0, 255, 0); });
  ScopedDesc dest(9, 9, 8, [](int, int) { return 0u; });  // its old buffer is replaced
  ASSERT_EQ(store.WriteBack(results, dest.d, colour.d, PixelRect{0, 0, 2, 1}, false), 0);
  ASSERT_EQ(dest.d.Width(), 3);
  EXPECT_EQ(GetPixelValue(dest.d, 0, 0), Rgb(128, 0, 0));
  EXPECT_EQ(GetPixelValue(dest.d, 0, 1), Rgb(0, 128, 0));

  ScopedDesc source(3, 2, 8, [](int x, int) { return uint32_t(x); });
  source.d.palette[1] = RgbQuad{0, 0, 255, 0};
  source.d.imageType = 0;
  ScopedDesc grey;
  ASSERT_EQ(store.WriteBack(results, grey.d, source.d, PixelRect{0, 0, 2, 1}, true), 0);
  EXPECT_TRUE(source.d.palette[1].red == 255 && source.d.palette[1].blue == 0);
  EXPECT_TRUE(IsGrayscale(grey.d));
}

// A one-plane store whose w x h image area holds `value` everywhere.
void MakeConstant(ChannelStore& store, int w, int h, uint16_t value, bool sixteenBit) {
  ASSERT_EQ(store.SetChannelCount(1), 1);
  LuminanceMatrix& m = store.Plane(0)->Matrix();
  ASSERT_TRUE(m.Allocate(w, h));
  for (int r = m.rowOffset; r < m.rowOffset + h; ++r)
    for (int c = m.colOffset; c < m.colOffset + w; ++c) m.rows[r][c] = value;
  m.RefreshStatistics();
  m.MirrorMargins();
  store.SetDerived(false);
  store.SetSixteenBit(sixteenBit);
}

TEST(StoreMix, WeightsClipSubtractAndRescaleDepths) {
  struct Case { uint16_t a; bool aWide; uint16_t b; bool bWide; int wA, wB; uint16_t expected; };
  const Case cases[] = {
      {200, false, 100, false, 50, 50, 150},   {200, false, 100, false, 100, 100, 255},
      {100, false, 200, false, 70, -40, 20},  {100, false, 200, false, 0, -100, 0},
      {100, false, 0, false, 0, 100, 0},       {40000, true, 30000, true, 100, 100, 65535},
      // An 8-bit secondary is scaled up into a 16-bit store: 51 counts as 13107.
      {1000, true, 51, false, 50, 50, 7053},
      // A 16-bit secondary is scaled by its plane 0's range, here 1 (3000..3000):
      // 10 x 100 - 1 x (3000 x 255 / 1) < 0.
      {10, false, 3000, true, 100, -1, 0},
  };
  for (const Case& c : cases) {
    ChannelStore a, b;
    MakeConstant(a, 4, 3, c.a, c.aWide);
    MakeConstant(b, 4, 3, c.b, c.bWide);
    EXPECT_EQ(MixStores(a, b, c.wA, c.wB), 0);
    const LuminanceMatrix& m = a.Plane(0)->Matrix();
    EXPECT_EQ(m.Get(m.colOffset + 2, m.rowOffset + 1), c.expected)
        << c.a << " " << c.b << " " << c.wA << " " << c.wB;
    // Margins are refilled from the mixed values; the statistics only widen.
    EXPECT_EQ(m.Get(m.colOffset - 1, m.rowOffset - 1), c.expected);
    EXPECT_EQ(a.Plane(0)->Max(), std::max(c.a, c.expected));
    EXPECT_EQ(a.Plane(0)->Min(), std::min(c.a, c.expected));
  }
}

}  // namespace
}  // namespace veska
