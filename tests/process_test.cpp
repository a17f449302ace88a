#include "engine/process.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "image_fixtures.h"
#include "test_progress.h"

namespace veska {
namespace {

using fixtures::PixelFn;
using fixtures::RecordingReporter;
using fixtures::Rgb;
using fixtures::ScopedDesc;

// A loaded image of `fn` with its planes built (one per colour when multi).
void MakeSource(AImage& image, int w, int h, int bpp, const PixelFn& fn, bool multi) {
  ScopedDesc pixels(w, h, bpp, fn);
  ASSERT_TRUE(image.Copy(pixels.d));
  image.Channels().SetMultiChannelFlag(multi);
  ASSERT_EQ(image.Channels().BuildLuminance(image.Desc(), false, false), 0);
}

// The whole pipeline for one pixel value p, written from the definitions for
// the case the tests use: small cursor 1 and the plane's default big cursor,
// which covers every window's values. The big cursor's centre then sits at
// wMin + hb on every scanline, so each of the K = 8s scanlines through a pixel
// adds p - wMin - hb to its sum, whatever the scanline's path.
struct Reference {
  int planeMin, planeMax;  // the plane's statistics
  int wMin, wMax;          // the values inside the kernel's window
  int s;

  uint8_t operator()(int p) const {
    const int big = std::max((planeMax - planeMin + 1) / 2 * 2 + 1, 3);
    const int span = std::min(planeMax - planeMin + 1 < big ? big - 1 : big, planeMax - planeMin);
    const double k = double(256) / span;
    const int outMin = std::max(0, int(std::trunc(255 + 0.999999 - (planeMax - wMin) * k)));
    const int outMax = std::min(255, int(std::trunc((wMax - planeMin) * k + 0)));
    const int K = 8 * s, hb = std::min(big >> 1, (wMax - wMin + 1) / 2);
    const int lo = -hb * K, hi = hb * K - (wMax - wMin + 1 <= 2 * hb ? K : 0);
    const double scale = 0.999999 / (hi - lo) * (outMax - outMin + 1);
    return uint8_t(std::trunc(double(K * (p - wMin - hb) - lo) * scale + outMin));
  }
};

// Patterns on 64 x 48 whose window statistics change with any shift of the
// window: 0..236, and per colour 0..236, 20..240, 61..250.
uint32_t Bowl(int x, int y) { return uint32_t(2 * x + y * y / 20); }
uint32_t Colour(int x, int y) { return Rgb(Bowl(x, y), y * y / 10 + 20, 250 - 3 * x); }
// The composite level of a grey pixel g (through the HLS lightness scale).
int Level(int g) { return ((2 * g * 252 + 255) / 510 * 255 + 126) / 252; }
uint32_t Channel(uint32_t rgb, int i) { return (rgb >> (8 * i)) & 255; }

TEST(PlaceWindow, CentredPushedInsideAndNeverPastTheFarEdge) {
  struct Case { int w, h; PixelRect rect; std::array<int, 5> want; };  // N, starts, offsets
  const Case cases[] = {
      {50, 50, {25, 25, 25, 25}, {16, 28, 27, 7, 7}},          // halves of 15: 7
      {1000, 800, {450, 380, 549, 419}, {120, 450, 450, 10, 40}},
      {300, 100, {0, 20, 9, 79}, {80, 0, 120, 10, 10}},         // left edge: column 0
      // Odd halves one cell inside the far margin's reach: the centred window
      // would end past the matrix and is moved back inside.
      {50, 50, {49, 0, 49, 7}, {24, 46, 44, 13, 8}},
      {120, 60, {85, 10, 119, 49}, {56, 84, 42, 11, 8}},
      {50, 50, {0, 0, 7, 0}, {24, 2, 46, 8, 13}},
  };
  for (const Case& c : cases) {
    LuminanceMatrix m;
    ASSERT_TRUE(m.Allocate(c.w, c.h));
    const WindowPlacement p = PlaceWindow(m, c.rect);
    EXPECT_EQ((std::array{p.side, p.colStart, p.rowStart, p.col0, p.row0}), c.want)
        << c.w << "x" << c.h << " at " << c.rect.left << "," << c.rect.top;
  }
  // The same rectangles run end to end: the kernel and the range adjustment
  // read only inside the matrix.
  AImage source, dest;
  MakeSource(source, 120, 60, 8, Bowl, false);
  EXPECT_TRUE(ProcessImage(dest, source, PixelRect{85, 10, 119, 49}, kAllChannels, 1, true, false));
  MakeSource(source, 50, 50, 8, Bowl, false);
  EXPECT_TRUE(ProcessImage(dest, source, PixelRect{49, 0, 49, 7}, kAllChannels, 1, true, false));
}

TEST(OutputRange, PlaneRangeAndWindowAdjustment) {
  ChannelPlane plane;
  ASSERT_TRUE(plane.AllocateMatrix(8, 8));  // S = 28
  plane.SetFullRange(false);
  // Full range off: the plane's own range, scaled by 255 / 65535 (truncated)
  // for 16-bit data; 257 x 255 / 65535 is exactly 1.
  struct Case { uint16_t max, min; int lo, hi; };
  int lo, hi;
  for (Case c : {Case{255, 3, 3, 255}, Case{256, 3, 0, 0}, Case{3000, 100, 0, 11},
                 Case{65535, 257, 1, 255}}) {
    plane.SetStatistics(c.max, c.min);
    OutputRange(plane, lo, hi);
    EXPECT_EQ(std::pair(lo, hi), std::pair(c.lo, c.hi)) << c.max;
  }

  // Plane 0..173 with big 175, window values 50..119: the output keeps the
  // window's share of the range.
  LuminanceMatrix& m = plane.Matrix();
  for (int r = 0; r < 28; ++r)
    for (int c = 0; c < 28; ++c) m.Set(c, r, r < 24 && c < 24 ? 50 : 173);
  m.Set(5, 6, 119);
  m.Set(27, 27, 0);
  plane.SetStatistics(173, 0);
  plane.SetCursors(1, 175);
  plane.SetFullRange(true);
  auto adjusted = [&plane] {
    int lo = 0, hi = 255;
    AdjustOutputRange(lo, hi, plane, 0, 0, 24);
    return std::pair{lo, hi};
  };
  EXPECT_EQ(adjusted(), std::pair(73, 176));
  plane.SetCursors(5, 5);  // big not above small: the middle of the range
  EXPECT_EQ(adjusted(), std::pair(127, 127));
  plane.SetStatistics(50, 50);  // constant plane: nothing to divide by
  plane.SetCursors(1, 3);
  EXPECT_EQ(adjusted(), std::pair(0, 255));
}

TEST(ProcessImage, GreyImageWholeAndRectangle) {
  AImage source, dest;
  MakeSource(source, 64, 48, 8, Bowl, false);
  for (int s : {1, 2}) {
    ASSERT_TRUE(ProcessImage(dest, source, std::nullopt, kAllChannels, uint16_t(s), true, false));
    const Reference whole{0, 236, 0, 236, s};
    for (auto [x, y] : {std::pair{0, 0}, {63, 0}, {10, 47}, {31, 20}})
      EXPECT_EQ(GetPixelValue(*dest.Desc(), x, y), whole(int(Bowl(x, y)))) << s << ": " << x;
  }
  // The 4 x 4 rectangle's 24 x 24 window covers image columns 20..43 and rows
  // 10..33: values 45..140.
  ASSERT_TRUE(ProcessImage(dest, source, PixelRect{30, 20, 33, 23}, kAllChannels, 2, true, false));
  ASSERT_EQ(dest.Width(), 4);
  const Reference part{0, 236, 45, 140, 2};
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x)
      EXPECT_EQ(GetPixelValue(*dest.Desc(), x, y), part(int(Bowl(30 + x, 20 + y)))) << x << y;
  const ChannelStore& planes = dest.Channels();
  EXPECT_TRUE(dest.IsGray() == 1 && planes.PlaneCount() == 1 && planes.LastBig(0) == 237);
  EXPECT_EQ(planes.Plane(0)->Matrix().w, 4);  // rebuilt from the result
}

TEST(ProcessImage, ColourImagePerChannelCompositeAndOneChannel) {
  AImage source, dest;
  MakeSource(source, 64, 48, 24, Colour, true);
  ASSERT_TRUE(ProcessImage(dest, source, std::nullopt, kAllChannels, 1, true, false));
  ASSERT_TRUE(dest.Desc()->BitsPerPixel() == 24 && dest.IsGray() == 0);
  const Reference channels[] = {{0, 236, 0, 236, 1}, {20, 240, 20, 240, 1}, {61, 250, 61, 250, 1}};
  for (auto [x, y] : {std::pair{0, 0}, {63, 47}, {5, 40}})
    for (int i = 0; i < 3; ++i)
      EXPECT_EQ(Channel(GetPixelValue(*dest.Desc(), x, y), i),
                channels[i](int(Channel(Colour(x, y), i))))
          << x << "," << y << " channel " << i;

  // One channel of the colour image, through the rectangle: an 8-bit grey image.
  ASSERT_TRUE(ProcessImage(dest, source, PixelRect{30, 20, 33, 23}, 1, 1, true, false));
  ASSERT_TRUE(dest.Desc()->BitsPerPixel() == 8 && dest.IsGray() == 1);
  const Reference green{20, 240, 10 * 10 / 10 + 20, 33 * 33 / 10 + 20, 1};
  EXPECT_EQ(GetPixelValue(*dest.Desc(), 1, 3), green(int(Channel(Colour(31, 23), 1))));

  // Composite lightness of grey pixels: the new level goes through the HLS scale.
  MakeSource(source, 64, 48, 24, [](int x, int y) { return Bowl(x, y) * 0x010101u; }, false);
  ASSERT_TRUE(ProcessImage(dest, source, std::nullopt, 2, 1, false, false));
  EXPECT_EQ(dest.Desc()->BitsPerPixel(), 8);  // channel 2 of one plane: the composite
  ASSERT_TRUE(ProcessImage(dest, source, std::nullopt, kAllChannels, 1, false, false));
  const Reference lum{0, Level(236), 0, Level(236), 1};
  for (auto [x, y] : {std::pair{3, 4}, {60, 40}, {21, 0}}) {
    const int v = lum(Level(int(Bowl(x, y))));
    const int level = ((v * 252 + 127) / 255 * 255 + 126) / 252;
    EXPECT_EQ(GetPixelValue(*dest.Desc(), x, y), Rgb(level, level, level));
  }
}

TEST(ProcessImage, DisabledChannelsAndProgressTexts) {
  AImage source, dest;
  MakeSource(source, 24, 24, 24, Colour, true);
  source.Channels().SetEnabled(2, false);
  testutil::CountingProgress sink;
  ASSERT_TRUE(ProcessImage(dest, source, std::nullopt, kAllChannels, 1, true, true, &sink));
  EXPECT_EQ(sink.texts, (std::vector<std::string>{"Processing channel 1 of 3...",
                                                  "Processing channel 2 of 3...",
                                                  "Channel 3 of 3 disabled..."}));
  EXPECT_EQ(sink.destroys, 1);
  EXPECT_EQ(Channel(GetPixelValue(*dest.Desc(), 7, 7), 2), 0u);
  EXPECT_TRUE(dest.Channels().Flat(2));

  for (int i = 0; i < 2; ++i) source.Channels().SetEnabled(i, false);
  ASSERT_TRUE(ProcessImage(dest, source, std::nullopt, kAllChannels, 1, false, false));
  EXPECT_EQ(GetPixelValue(*dest.Desc(), 3, 3), 0u);
  EXPECT_FALSE(dest.Channels().Enabled(0));
}

TEST(ProcessImage, CancelLeavesTheDestinationUntouched) {
  AImage source, dest;
  MakeSource(source, 24, 24, 24, Colour, true);
  ASSERT_TRUE(dest.Copy(source));
  const uint8_t* pixels = dest.Desc()->pixels;
  RecordingReporter reporter;
  testutil::CountingProgress sink(150);  // about 100 steps per channel: inside channel 2
  EXPECT_FALSE(ProcessImage(dest, source, std::nullopt, kAllChannels, 1, true, true, &sink));
  EXPECT_TRUE(sink.steps == 150 && sink.destroys == 1 && reporter.shown.empty());
  EXPECT_EQ(dest.Desc()->pixels, pixels);
  EXPECT_EQ(GetPixelValue(*dest.Desc(), 5, 9), Colour(5, 9));
  EXPECT_EQ(dest.Channels().Plane(2)->Matrix().w, 24);

  EXPECT_FALSE(ProcessImage(dest, source, PixelRect{30, 30, 40, 40}, kAllChannels, 1, true, false));
  EXPECT_EQ(reporter.shown, std::vector<std::string>{"Error -1: Range error"});
}

}  // namespace
}  // namespace veska
