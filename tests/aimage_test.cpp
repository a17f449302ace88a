#include "image/aimage.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image_fixtures.h"
#include "tools/sample_images.h"

namespace veska {
namespace {

using fixtures::RecordingReporter;
using fixtures::ScopedDesc;

uint32_t Pattern(int x, int y) { return Rgb(10 * x, 20 * y, 5 * (x + y)); }

TEST(AImage, CopyOfARectangleCarriesPixelsFactsAndPlanes) {
  std::unique_ptr<AImage> made = MakeImage(8, 6, 24, Pattern);
  AImage& source = *made;
  source.SetFormatIndex(2);
  source.SetFromIndexed(true);
  source.SetResolution(300);
  ASSERT_EQ(source.Channels().SetMultiChannel(false), 0);
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
  ASSERT_EQ(copy.Channels().SetSingleChannel(false), 0);
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

}  // namespace
}  // namespace veska
