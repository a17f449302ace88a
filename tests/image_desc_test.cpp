#include "imagelib/image_desc.h"

#include <gtest/gtest.h>

#include <array>
#include <utility>

#include "codec_test_support.h"
#include "imagelib/status.h"

namespace veska {
namespace {

using Buffer = test::Image;

TEST(ImageDescAllocate, StrideDepthAndPalette) {
  struct Case { int w, bpp; uint32_t stride; int colours; };
  for (Case c : {Case{100, 8, 100, 256}, Case{101, 8, 104, 256}, Case{5, 24, 16, 0},
                 Case{33, 1, 8, 2}, Case{3, 16, 8, 0}}) {
    Buffer b;
    ASSERT_EQ(Allocate(b.d, c.w, 1, c.bpp), 0);
    EXPECT_EQ(b.d.stride, c.stride) << c.w << "x" << c.bpp;
    EXPECT_EQ(b.d.colours, c.colours);
    EXPECT_EQ(b.d.header->sizeImage, c.stride);
    EXPECT_EQ(b.d.right, uint32_t(c.w - 1));
    EXPECT_EQ(b.d.pixels, reinterpret_cast<uint8_t*>(b.d.header) + 40 + 4 * c.colours);
  }
  // A 4-bit request gives an 8-bit image with a full grey ramp.
  Buffer four;
  ASSERT_EQ(Allocate(four.d, 7, 3, 4), 0);
  EXPECT_EQ(four.d.BitsPerPixel(), 8);
  EXPECT_EQ(four.d.colours, 256);
  EXPECT_EQ(four.d.palette[200].red, 200);
  EXPECT_TRUE(IsGrayscale(four.d));
  EXPECT_EQ(four.d.imageType & kImageTypeGray, kImageTypeGray);
  // A grey table that is no ramp is no grey image.
  for (int i = 0; i < 256; ++i) four.d.palette[i] = RgbQuad{77, 77, 77, 0};
  EXPECT_FALSE(IsGrayscale(four.d));
  SetGrayPalette(four.d);
  EXPECT_TRUE(IsGrayscale(four.d));
  four.d.palette[9].blue = 10;
  EXPECT_FALSE(IsGrayscale(four.d));
  // A 1-bit table is black and white.
  Buffer one;
  ASSERT_EQ(Allocate(one.d, 8, 1, 1), 0);
  EXPECT_EQ(one.d.palette[1].green, 255);
}

TEST(ImageDescAllocate, RejectsBadRequestsWithZeroedDescriptor) {
  ImageDesc d;
  d.stride = 99;
  EXPECT_EQ(Allocate(d, 10, 10, 32), status::kBitsPerPixel);
  EXPECT_EQ(d.stride, 0u);
  EXPECT_EQ(Allocate(d, 0, 10, 8), status::kRange);
  EXPECT_EQ(Allocate(d, 10, 0, 24), status::kRange);
  EXPECT_EQ(d.header, nullptr);
  // Freeing a zeroed descriptor frees nothing and keeps it zeroed.
  EXPECT_EQ(Free(d), 0);
  EXPECT_EQ(d.pixels, nullptr);
}

TEST(ImageDescValidate, RectangleAndWidthLimits) {
  Buffer b;
  ASSERT_EQ(Allocate(b.d, 20, 10, 8), 0);
  SetRect(b.d, 15, 8, 3, 2);  // swapped
  EXPECT_EQ(Validate8_24(b.d), 0);
  std::array<uint32_t, 4> rect;
  GetRect(b.d, rect[0], rect[1], rect[2], rect[3]);
  EXPECT_EQ(rect, (std::array<uint32_t, 4>{3, 2, 15, 8}));
  SetRect(b.d, 0, 0, 20, 9);  // one column past the image
  EXPECT_EQ(Validate8_24(b.d), status::kRange);

  Buffer wide, wider, bits;
  ASSERT_EQ(Allocate(wide.d, 32768, 1, 8), 0);
  EXPECT_EQ(Validate8_24(wide.d), 0);
  ASSERT_EQ(Allocate(wider.d, 32769, 1, 24), 0);
  EXPECT_EQ(Validate8_24(wider.d), status::kRange);
  ASSERT_EQ(Allocate(bits.d, 65535, 1, 1), 0);
  EXPECT_EQ(Validate1_8_24(bits.d), 0);
  EXPECT_EQ(Validate8_24(bits.d), status::kBitsPerPixel);

  Buffer sixteen;
  ASSERT_EQ(Allocate(sixteen.d, 4, 4, 16), 0);
  EXPECT_EQ(Validate1_8_24(sixteen.d), status::kBitsPerPixel);
  EXPECT_EQ(Validate1_8_16_24(sixteen.d), 0);
  sixteen.d.header->compression = 1;
  EXPECT_EQ(Validate1_8_16_24(sixteen.d), status::kDibCompressed);

  ImageDesc empty;
  EXPECT_EQ(Validate8_24(empty), status::kBadBuffer);
}

TEST(ImageDescCopy, OverlapOfRectanglesWithTheSourcesTableAndGreyFlag) {
  Buffer src, dst;
  ASSERT_EQ(Allocate(src.d, 6, 5, 24), 0);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 6; ++x)
      for (int c = 0; c < 3; ++c) src.d.Row(y)[x * 3 + c] = uint8_t(y * 40 + x * 6 + c);
  ASSERT_EQ(Allocate(dst.d, 3, 3, 24), 0);
  SetRect(src.d, 2, 1, 5, 4);  // 4 x 4, larger than the destination
  ASSERT_EQ(Copy(src.d, dst.d), 0);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x)
      EXPECT_EQ(dst.d.Row(y)[x * 3 + 1], uint8_t((y + 1) * 40 + (x + 2) * 6 + 1));
  Buffer grey, indexed;
  ASSERT_EQ(Allocate(grey.d, 3, 3, 8), 0);
  EXPECT_EQ(Copy(src.d, grey.d), status::kBitsPerPixel);

  ASSERT_EQ(Allocate(indexed.d, 4, 4, 8), 0);
  indexed.d.palette[3] = RgbQuad{1, 2, 3, 0};
  indexed.d.imageType = 0;
  ASSERT_EQ(Copy(indexed.d, grey.d), 0);
  EXPECT_EQ(grey.d.palette[3].red, 3);
  EXPECT_EQ(grey.d.imageType & kImageTypeGray, 0u);

  // 1-bit pixels run from the high bit; a rectangle need not start on a byte.
  Buffer bits, out;
  ASSERT_EQ(Allocate(bits.d, 16, 1, 1), 0);
  ASSERT_EQ(Allocate(out.d, 8, 1, 1), 0);
  bits.d.Row(0)[0] = 0x0F, bits.d.Row(0)[1] = 0x80;  // pixels 4 to 8 set
  SetRect(bits.d, 3, 0, 10, 0);
  ASSERT_EQ(Copy(bits.d, out.d), 0);
  EXPECT_EQ(out.d.Row(0)[0], 0x7C);  // pixels 3 to 10: 0 1 1 1 1 1 0 0
}

TEST(ImageDescPackedDib, RoundTripsTheProcessingRectangle) {
  Buffer src;
  ASSERT_EQ(Allocate(src.d, 9, 7, 8), 0);
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 9; ++x) src.d.Row(y)[x] = uint8_t(10 * y + x);
  SetRect(src.d, 1, 2, 5, 6);
  std::vector<uint8_t> block;
  ASSERT_EQ(MakePackedDib(src.d, block), 0);
  ASSERT_EQ(block.size(), 40u + 1024u + 8u * 5u);

  ImageDesc view;
  ASSERT_EQ(AttachPackedDib(block.data(), block.size(), view), 0);
  EXPECT_EQ(view.Width(), 5);
  EXPECT_EQ(view.Height(), 5);
  EXPECT_TRUE(view.imageType & kImageTypeGray);
  EXPECT_EQ(view.Row(0)[0], 21);
  EXPECT_EQ(view.Row(4)[4], 65);

  EXPECT_EQ(AttachPackedDib(block.data(), block.size() - 1, view), status::kRange);
  reinterpret_cast<BitmapInfoHeader*>(block.data())->compression = 1;
  EXPECT_EQ(AttachPackedDib(block.data(), block.size(), view), status::kDibCompressed);
  reinterpret_cast<BitmapInfoHeader*>(block.data())->bitCount = 4;
  EXPECT_EQ(AttachPackedDib(block.data(), block.size(), view), status::kBitsPerPixel);
}

TEST(ImageDescResolution, DotsPerInchAndPerMillimetre) {
  Buffer b;
  ASSERT_EQ(Allocate(b.d, 2, 2, 8), 0);
  EXPECT_EQ(SetResolution(b.d, 0), 72.0);  // no resolution: the default
  EXPECT_EQ(b.d.header->yPelsPerMeter, 2834);
  EXPECT_NEAR(SetResolutionDpmm(b.d, 10), 254.0, 0.011);
  EXPECT_EQ(b.d.header->xPelsPerMeter, 10000);
}

// One owner frees a block: moving hands it on and empties the source, Release
// hands it to a caller who frees it (the sanitizer build sees a double free or
// a leak), and a new allocation frees what the owner held.
TEST(ImageBuffer, ExactlyOneOwnerFreesTheBlock) {
  ImageBuffer a;
  ASSERT_EQ(a.Allocate(4, 3, 8), 0);
  const BitmapInfoHeader* block = a.desc().header;
  ImageBuffer b = std::move(a);
  EXPECT_EQ(a.desc().header, nullptr);
  EXPECT_EQ(b.desc().header, block);
  a = std::move(b);
  EXPECT_TRUE(a.desc().header == block && b.desc().header == nullptr);
  ASSERT_EQ(a.Allocate(5, 2, 24), 0);
  EXPECT_EQ(a.desc().Width(), 5);
  ImageDesc released = a.Release();
  EXPECT_EQ(a.desc().header, nullptr);
  EXPECT_EQ(Free(released), 0);
}

}  // namespace
}  // namespace veska
