#include "image/aimage.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "image/primary_plane.h"
#include "image_file_support.h"
#include "imagelib/resample.h"
#include "tools/sample_images.h"

namespace veska {
namespace {

using test::PlaneSample;
using test::Pixels;
using test::RecordingReporter;
using ScopedDesc = test::Image;

uint32_t Pattern(int x, int y) { return Rgb(10 * x, 20 * y, 5 * (x + y)); }

TEST(AImage, CopyOfARectangleCarriesPixelsFactsAndPlanes) {
  std::unique_ptr<AImage> made = MakeImage(8, 6, 24, Pattern);
  AImage& source = *made;
  source.SetFormatIndex(2);
  source.SetFromIndexed(true);
  source.SetResolution(300);
  ASSERT_EQ(source.Channels().SetMultiChannel(), 0);
  SetRect(*source.Desc(), 1, 1, 2, 2);

  AImage copy;
  ASSERT_TRUE(copy.Copy(source, PixelRect{2, 1, 5, 4}));
  ASSERT_TRUE(copy.Width() == 4 && copy.Height() == 4);
  EXPECT_EQ(GetPixelValue(*copy.Desc(), 3, 0), Pattern(5, 1));
  EXPECT_EQ(GetPixelValue(*copy.Desc(), 0, 3), Pattern(2, 4));
  EXPECT_TRUE(copy.FormatIndex() == 2 && copy.FromIndexed() && copy.Dpi() == 300.0);
  ASSERT_EQ(copy.Channels().PlaneCount(), 3);
  const LuminanceMatrix& green = copy.Channels().Plane(1)->Matrix();
  EXPECT_EQ(green.w, 4);
  EXPECT_EQ(green.Get(green.colOffset, green.rowOffset), 20 * 4);  // bottom-left = (2, 4)
  EXPECT_EQ(source.Desc()->right, 2u);  // the source's rectangle is restored

  // The store of the copy rebuilds from the copy's own pixels.
  ASSERT_EQ(copy.Channels().SetSingleChannel(), 0);
  EXPECT_EQ(copy.Channels().Plane(0)->Matrix().w, 4);

  ASSERT_TRUE(copy.Copy(copy, PixelRect{1, 1, 2, 2}));  // onto itself
  EXPECT_EQ(GetPixelValue(*copy.Desc(), 0, 0), Pattern(3, 2));

  RecordingReporter reporter;
  AImage bad;
  EXPECT_FALSE(bad.Copy(source, PixelRect{6, 0, 9, 2}));
  EXPECT_EQ(reporter.shown, std::vector<std::string>{"Error -1: Range error"});
  EXPECT_FALSE(bad.Loaded());
}

TEST(AImage, PasteFromAPackedDib) {
  ScopedDesc colour(6, 4, 24, Pattern);
  std::vector<uint8_t> block;
  ASSERT_EQ(MakePackedDib(colour.d, block), 0);
  reinterpret_cast<BitmapInfoHeader*>(block.data())->xPelsPerMeter = 11811;

  AImage image;
  ASSERT_TRUE(image.CreateFromPackedDib(block.data(), block.size(), 1u));
  EXPECT_TRUE(image.IsGray() == 0 && image.Dpi() == 300.0);
  EXPECT_EQ(image.Desc()->header->xPelsPerMeter, 11810);  // rewritten from 300 dpi
  EXPECT_EQ(GetPixelValue(*image.Desc(), 5, 3), Pattern(5, 3));
  EXPECT_EQ(image.Channels().PlaneCount(), 3);
  ASSERT_TRUE(image.CreateFromPackedDib(block.data(), block.size(), 0u));
  EXPECT_EQ(image.Channels().PlaneCount(), 1);

  ScopedDesc grey(4, 4, 8, [](int x, int) { return uint32_t(x); });
  ASSERT_EQ(MakePackedDib(grey.d, block), 0);
  ASSERT_TRUE(image.CreateFromPackedDib(block.data(), block.size()));
  EXPECT_TRUE(image.IsGray() == 1 && image.Dpi() == 72.0);  // no resolution in the block

  RecordingReporter reporter;
  reinterpret_cast<BitmapInfoHeader*>(block.data())->bitCount = 4;
  EXPECT_FALSE(image.CreateFromPackedDib(block.data(), block.size()));
  EXPECT_EQ(reporter.shown, std::vector<std::string>{"Error -26: Bits per pixel not supported"});
}

// Images in the state a load leaves them: pixels with their store built (one
// plane per colour when `multi`), or (MakeSampleImage) 16-bit primary samples.
std::unique_ptr<AImage> Derived(int w, int h, int bpp, const PixelFunction& value, bool multi) {
  std::unique_ptr<AImage> image = MakeImage(w, h, bpp, value);
  if (multi) image->Channels().SetMultiChannel();
  return image;
}

uint32_t Pixel(const AImage& image, int x, int y) { return GetPixelValue(*image.Desc(), x, y); }

// The planes, read through their offsets, agree with the pixels: a derived
// store holds what a fresh build from the pixels holds; primary planes render
// to the pixels.
void ExpectStoreFollowsPixels(AImage& image) {
  const ChannelStore& store = image.Channels();
  const int w = image.Width(), h = image.Height();
  ChannelStore fresh;
  fresh.SetMultiChannelFlag(store.MultiChannel());
  ASSERT_EQ(fresh.BuildLuminance(image.Desc(), true), 0);
  ScopedDesc rendition(w, h, 8, [](int, int) { return 0u; });
  ASSERT_EQ(RenderWorkingBuffer(store, rendition.d), 0);
  const bool derived = store.Derived();
  for (int i = 0; i < store.PlaneCount(); ++i) {
    ASSERT_TRUE(store.Plane(i)->Width() == w && store.Plane(i)->Height() == h) << i;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        ASSERT_EQ(derived ? PlaneSample(image, x, y, i) : Pixel(image, x, y),
                  derived ? ImageRow(fresh.Plane(i)->Matrix(), y)[x]
                          : GetPixelValue(rendition.d, x, y))
            << i << " at " << x << "," << y;
  }
}

uint32_t Colour(int x, int y) { return Rgb(20 * x + 1, 30 * y + 2, 7 * x + 11 * y); }
uint16_t Wide(int x, int y) { return uint16_t(1000 + 9000 * x + 700 * y); }

TEST(AImageOps, TurnsAndFlipsMoveThePixelsAndTheirPlanes) {
  // 5 x 2: an odd difference between width and height.
  for (int mode : {0, 1, 2}) {
    auto image = Derived(5, 2, 24, Colour, true);
    ASSERT_TRUE(image->Rotate(Turn(mode)));
    const int w = image->Width(), h = image->Height();
    EXPECT_EQ(w, mode == 1 ? 5 : 2);
    EXPECT_EQ(Pixel(*image, mode == 2 ? 0 : w - 1, mode == 0 ? 0 : h - 1), Colour(0, 0)) << mode;
    ExpectStoreFollowsPixels(*image);
  }
  std::unique_ptr<AImage> images[] = {Derived(5, 2, 24, Colour, false),
                                      MakeSampleImage(5, 2, true, Wide)};
  for (auto& image : images) {
    const std::vector<uint32_t> before = Pixels(*image);
    for (int step = 0; step < 8; ++step) {  // four quarter turns, then two flips twice
      ASSERT_TRUE(step < 4 ? image->Rotate(Turn::kClockwise90) : image->Flip(Flip(step / 6)));
      ExpectStoreFollowsPixels(*image);
    }
    EXPECT_EQ(Pixels(*image), before);
    ASSERT_TRUE(image->Flip(Flip::kLeftRight));
    EXPECT_EQ(Pixel(*image, 4, 0), before[0]);
    ASSERT_TRUE(image->Rotate(Turn::kCounterClockwise90));
    EXPECT_EQ(Pixel(*image, 0, 0), before[0]);  // the top right turned left
  }
}

TEST(AImageOps, ResizeRebuildsTheStoreAndResamplesSixteenBitPlanes) {
  // The pixel arithmetic is the image library's; the store must follow it.
  auto grown = Derived(3, 4, 24, Colour, true);
  ASSERT_TRUE(grown->Resize(7, 9, 0));
  EXPECT_EQ(Pixel(*grown, 6, 8), Colour(2, 3));  // replicated: x * 3 / 7, y * 4 / 9
  ExpectStoreFollowsPixels(*grown);

  // 16-bit samples are resampled as samples and the pixels follow them.
  for (int method : {0, 1}) {
    for (auto [w, h] : {std::pair{11, 5}, std::pair{3, 2}}) {
      auto image = MakeSampleImage(6, 4, true, Wide);
      std::vector<uint16_t> source, expected(size_t(w * h));
      for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) source.push_back(uint16_t(Wide(x, y)));
      ASSERT_EQ(ResamplePlane16(source.data(), 6, 4, expected.data(), w, h, method), 0);
      ASSERT_TRUE(image->Resize(w, h, method));
      ASSERT_TRUE(image->Channels().SixteenBit() && !image->Channels().Derived());
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
          ASSERT_EQ(PlaneSample(*image, x, y), expected[size_t(y * w + x)]);
      ExpectStoreFollowsPixels(*image);
    }
  }
}

TEST(AImageOps, MixWeightsClipAndKeepSixteenBits) {
  struct Case { uint32_t p, s; int w1, w2; uint32_t out; };
  for (Case c : {Case{200, 100, 50, 50, 150}, Case{200, 100, 100, 100, 255},
                 Case{100, 200, 70, -40, 20}, Case{100, 200, 100, -100, 0}}) {
    for (int bpp : {8, 24}) {
      const uint32_t scale = bpp == 8 ? 1 : 0x010101;
      auto primary = Derived(4, 3, bpp, [&](int, int) { return c.p * scale; }, false);
      auto secondary = Derived(4, 3, bpp, [&](int, int) { return c.s * scale; }, false);
      secondary->SetResolution(300);
      ASSERT_TRUE(primary->Mix(*secondary, c.w1, c.w2));
      EXPECT_EQ(Pixel(*primary, 3, 2), c.out * scale) << c.p << " " << c.s << " " << c.w1;
      EXPECT_EQ(primary->Dpi(), 300.0);
      ExpectStoreFollowsPixels(*primary);
    }
  }
  // Constant planes are flat but keep their values; a channel the user
  // disabled counts as 0.
  auto p = Derived(2, 2, 24, [](int, int) { return Rgb(100, 100, 100); }, true);
  auto s = Derived(2, 2, 24, [](int, int) { return Rgb(50, 50, 50); }, true);
  p->Channels().Plane(2)->SetFlat(false);
  p->Channels().SetEnabled(2, false);
  ASSERT_TRUE(p->Mix(*s, 100, 100));
  EXPECT_EQ(Pixel(*p, 1, 1), Rgb(150, 150, 50));

  auto a = MakeSampleImage(4, 3, true, [](int x, int) { return uint16_t(40000 + x); });
  auto b = MakeSampleImage(4, 3, true, [](int, int) { return uint16_t(30000); });
  ASSERT_TRUE(a->Mix(*b, 50, 50));
  EXPECT_EQ(PlaneSample(*a, 2, 1), 35001u);
  ExpectStoreFollowsPixels(*a);
  ASSERT_TRUE(a->Mix(*a, 100, 100));  // with itself
  EXPECT_EQ(PlaneSample(*a, 0, 0), 65535u);

  // A secondary turned with an odd width-height difference lies elsewhere in
  // its matrix; its pixels still pair with the primary's.
  auto turned = MakeSampleImage(5, 2, true, Wide);
  ASSERT_TRUE(turned->Rotate(Turn::kCounterClockwise90));
  auto zero = MakeSampleImage(2, 5, true, [](int, int) { return uint16_t(0); });
  ASSERT_TRUE(zero->Mix(*turned, 0, 100));
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 2; ++x) ASSERT_EQ(PlaneSample(*zero, x, y), PlaneSample(*turned, x, y));
}

TEST(AImageOps, FailuresLeaveImageAndStoreAsTheyWere) {
  RecordingReporter reporter;
  auto image = MakeSampleImage(6, 3, true, Wide);
  auto colour = Derived(6, 3, 24, Colour, false);
  auto small = MakeSampleImage(5, 3, true, Wide);
  const std::vector<uint32_t> before = Pixels(*image);
  EXPECT_FALSE(image->Resize(20000, 2, 1));  // no matrix that wide
  EXPECT_FALSE(image->Resize(0, 2, 1));
  EXPECT_FALSE(image->Mix(*colour, 50, 50));
  EXPECT_FALSE(image->Mix(*small, 50, 50));
  EXPECT_FALSE(image->Rotate(Turn(3)));
  EXPECT_EQ(reporter.shown,
            (std::vector<std::string>{"Error -14: Insufficient memory for function ",
                                      "Error -1: Range error",
                                      "Error -26: Bits per pixel not supported",
                                      "Error -100: Cannot mix images that are different sizes",
                                      "Error -1: Range error"}));
  EXPECT_EQ(Pixels(*image), before);
  EXPECT_EQ(PlaneSample(*image, 5, 2), Wide(5, 2));
  EXPECT_TRUE(image->Width() == 6 && image->Channels().SixteenBit());
  ExpectStoreFollowsPixels(*image);
  auto derived = Derived(6, 3, 24, Colour, true);
  EXPECT_FALSE(derived->Resize(3, 20000, 0));
  EXPECT_EQ(derived->Channels().Plane(2)->Matrix().h, 3);
  ExpectStoreFollowsPixels(*derived);
}

TEST(AImageOps, NegativeGrayscaleAndExpansion) {
  auto colour = Derived(3, 2, 24, Colour, true);
  ASSERT_TRUE(colour->MakeNegative());
  EXPECT_EQ(Pixel(*colour, 2, 1), 0xFFFFFF - Colour(2, 1));
  ExpectStoreFollowsPixels(*colour);
  ASSERT_TRUE(colour->ConvertToGrayscale());
  EXPECT_TRUE(colour->IsGray() == 1 && colour->Desc()->BitsPerPixel() == 8);
  ExpectStoreFollowsPixels(*colour);

  auto deep = MakeSampleImage(3, 2, true, Wide);
  ASSERT_TRUE(deep->MakeNegative());
  EXPECT_EQ(PlaneSample(*deep, 1, 1), 65535 - Wide(1, 1));
  ExpectStoreFollowsPixels(*deep);

  auto indexed = Derived(3, 2, 8, [](int x, int) { return uint32_t(x); }, false);
  indexed->Desc()->palette[2] = RgbQuad{30, 20, 10, 0};
  ASSERT_TRUE(indexed->ExpandTo24Bits());
  EXPECT_TRUE(Pixel(*indexed, 2, 0) == Rgb(10, 20, 30) && indexed->IsGray() == 0);
  ExpectStoreFollowsPixels(*indexed);
}

}  // namespace
}  // namespace veska
