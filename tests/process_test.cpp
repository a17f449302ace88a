#include "image/image_process.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "codec_test_support.h"
#include "test_progress.h"
#include "tools/sample_images.h"

namespace veska {
namespace {

using test::RecordingReporter;
using ScopedDesc = test::Image;

// A loaded image of `fn` with its planes built (one per colour when multi).
void MakeSource(AImage& image, int w, int h, int bpp, const PixelFunction& fn, bool multi) {
  ScopedDesc pixels(w, h, bpp, fn);
  ASSERT_TRUE(image.Copy(pixels.d));
  image.Channels().SetMultiChannelFlag(multi);
  ASSERT_EQ(image.Channels().BuildLuminance(image.Desc(), false), 0);
}

// Expected pixels below are worked by hand from the definition for small
// cursor 1 and the plane's default big cursor (odd, covering the plane's
// range), where every one of the K = 8s scanlines through a pixel of value p
// adds p - wMin - hb (wMin, wMax: the window's values; hb: half the big
// cursor, capped at half the window's range). For the grey bowl 0..236 over
// the whole image: big 237, span 236, output 0..255, hb 118, sums -118K..118K,
// so p becomes trunc(8p * 256 * 0.999999 / 1888) for either s: 82 -> 88,
// 126 -> 136, 130 -> 141. Its 4 x 4 rectangle at (30, 20) has a window of
// 45..140: output trunc(255.999999 - 191 * 256/236) = 48 .. trunc(140 *
// 256/236) = 151, hb 48, sums -768..752, p -> trunc((16p - 720) * 104 *
// 0.999999 / 1520 + 48): 80 -> 86, 92 -> 99.
// Patterns on 64 x 48 whose window statistics change with any shift of the
// window: 0..236, and per colour 0..236, 20..240, 61..250.
uint32_t Bowl(int x, int y) { return uint32_t(2 * x + y * y / 20); }
uint32_t Colour(int x, int y) { return Rgb(Bowl(x, y), y * y / 10 + 20, 250 - 3 * x); }
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
  EXPECT_EQ(ProcessImage(dest, source, {.rect = PixelRect{85, 10, 119, 49}, .scanlines = 1}),
            status::kOk);
  MakeSource(source, 50, 50, 8, Bowl, false);
  EXPECT_EQ(ProcessImage(dest, source, {.rect = PixelRect{49, 0, 49, 7}, .scanlines = 1}),
            status::kOk);
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
  struct Pixel { int x, y; uint32_t want; };
  for (int s : {1, 2}) {
    ASSERT_EQ(ProcessImage(dest, source, {.scanlines = uint16_t(s)}), status::kOk);
    for (Pixel p : {Pixel{0, 0, 0}, {63, 0, 136}, {10, 47, 141}, {31, 20, 88}, {63, 47, 255}})
      EXPECT_EQ(GetPixelValue(*dest.Desc(), p.x, p.y), p.want) << s << ": " << p.x;
  }
  // The 4 x 4 rectangle's 24 x 24 window covers image columns 20..43 and rows
  // 10..33: values 45..140.
  ASSERT_EQ(ProcessImage(dest, source, {.rect = PixelRect{30, 20, 33, 23}, .scanlines = 2}),
            status::kOk);
  ASSERT_EQ(dest.Width(), 4);
  const uint32_t part[4][4] = {
      {86, 88, 90, 92}, {88, 90, 92, 95}, {90, 92, 95, 97}, {92, 95, 97, 99}};
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(GetPixelValue(*dest.Desc(), x, y), part[y][x]) << x << y;
  const ChannelStore& planes = dest.Channels();
  EXPECT_TRUE(dest.IsGray() == 1 && planes.PlaneCount() == 1 && planes.LastBig(0) == 237);
  EXPECT_EQ(planes.Plane(0)->Matrix().w, 4);  // rebuilt from the result
}

// Per colour the planes are 0..236, 20..240 and 61..250, each its own window;
// the green plane of the rectangle at (30, 20) has a window of 30..128 (output
// 11..125, hb 49), which takes 72 to 60. The composite plane of grey pixels
// holds their lightness levels, and the result goes back through the HLS
// scale: levels 6, 200 and 43 (of greys 6, 200 and 42) come out as 6, 216
// and 46.
TEST(ProcessImage, ColourImagePerChannelCompositeAndOneChannel) {
  AImage source, dest;
  MakeSource(source, 64, 48, 24, Colour, true);
  ASSERT_EQ(ProcessImage(dest, source, {.scanlines = 1}), status::kOk);
  ASSERT_TRUE(dest.Desc()->BitsPerPixel() == 24 && dest.IsGray() == 0);
  struct Pixel { int x, y; uint32_t want; };
  for (Pixel p : {Pixel{0, 0, Rgb(0, 0, 255)}, {63, 47, Rgb(255, 255, 0)},
                  {5, 40, Rgb(97, 186, 235)}})
    EXPECT_EQ(GetPixelValue(*dest.Desc(), p.x, p.y), p.want) << p.x << "," << p.y;

  // One channel of the colour image, through the rectangle: an 8-bit grey image.
  ASSERT_EQ(ProcessImage(dest, source,
                         {.rect = PixelRect{30, 20, 33, 23}, .channel = 1, .scanlines = 1}),
            status::kOk);
  ASSERT_TRUE(dest.Desc()->BitsPerPixel() == 8 && dest.IsGray() == 1);
  EXPECT_EQ(GetPixelValue(*dest.Desc(), 1, 3), 60u);

  // Composite lightness of grey pixels.
  MakeSource(source, 64, 48, 24, [](int x, int y) { return Bowl(x, y) * 0x010101u; }, false);
  ASSERT_EQ(ProcessImage(dest, source, {.channel = 2, .scanlines = 1}, ResultPlanes::kKeepResults),
            status::kOk);
  EXPECT_EQ(dest.Desc()->BitsPerPixel(), 8);  // channel 2 of one plane: the composite
  ASSERT_EQ(ProcessImage(dest, source, {.scanlines = 1}, ResultPlanes::kKeepResults), status::kOk);
  for (Pixel p : {Pixel{3, 4, 6}, {60, 40, 216}, {21, 0, 46}})
    EXPECT_EQ(GetPixelValue(*dest.Desc(), p.x, p.y), Rgb(p.want, p.want, p.want)) << p.x;
}

TEST(ProcessImage, DisabledChannelsAndProgressTexts) {
  AImage source, dest;
  MakeSource(source, 24, 24, 24, Colour, true);
  source.Channels().SetEnabled(2, false);
  testutil::CountingProgress sink;
  ASSERT_EQ(ProcessImage(dest, source, {.scanlines = 1, .progress = &sink}), status::kOk);
  EXPECT_EQ(sink.texts, (std::vector<std::string>{"Processing channel 1 of 3...",
                                                  "Processing channel 2 of 3...",
                                                  "Channel 3 of 3 disabled..."}));
  EXPECT_EQ(sink.destroys, 1);
  EXPECT_EQ(Channel(GetPixelValue(*dest.Desc(), 7, 7), 2), 0u);
  EXPECT_TRUE(dest.Channels().Flat(2));

  for (int i = 0; i < 2; ++i) source.Channels().SetEnabled(i, false);
  ASSERT_EQ(ProcessImage(dest, source, {.scanlines = 1}, ResultPlanes::kKeepResults), status::kOk);
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
  EXPECT_EQ(ProcessImage(dest, source, {.scanlines = 1, .progress = &sink}), status::kCancelled);
  EXPECT_TRUE(sink.steps == 150 && sink.destroys == 1 && reporter.shown.empty());
  EXPECT_EQ(dest.Desc()->pixels, pixels);
  EXPECT_EQ(GetPixelValue(*dest.Desc(), 5, 9), Colour(5, 9));
  EXPECT_EQ(dest.Channels().Plane(2)->Matrix().w, 24);

  // A failure is returned, not shown: the caller reports it.
  EXPECT_EQ(ProcessImage(dest, source, {.rect = PixelRect{30, 30, 40, 40}, .scanlines = 1}),
            status::kRange);
  EXPECT_TRUE(reporter.shown.empty());
}

}  // namespace
}  // namespace veska
