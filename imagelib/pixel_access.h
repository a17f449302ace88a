// Small helpers shared by the pixel operations: pixel addressing for 1, 8 and
// 24 bits per pixel, and the checks that every two-descriptor operation makes.
#pragma once

#include <cstdint>
#include <cstring>

#include "imagelib/image_desc.h"

namespace veska::pixel {

// Bit `x` of a 1-bit row; the leftmost pixel is the most significant bit.
inline int GetBit(const uint8_t* row, int x) { return (row[x >> 3] >> (7 - (x & 7))) & 1; }

inline void SetBit(uint8_t* row, int x, int value) {
  const uint8_t mask = uint8_t(0x80u >> (x & 7));
  if (value)
    row[x >> 3] |= mask;
  else
    row[x >> 3] &= uint8_t(~mask);
}

// The value of the 24-bit pixel stored at p (blue, green, red bytes): red in
// the lowest byte, blue in the highest.
inline uint32_t Value24(const uint8_t* p) {
  return uint32_t(p[2]) | uint32_t(p[1]) << 8 | uint32_t(p[0]) << 16;
}
inline void Store24(uint8_t* p, uint32_t value) {
  p[0] = uint8_t(value >> 16);
  p[1] = uint8_t(value >> 8);
  p[2] = uint8_t(value);
}

// Copies pixel `sx` of `srcRow` to pixel `dx` of `dstRow` at 1, 8 or 24 bits.
inline void CopyPixel(const uint8_t* srcRow, int sx, uint8_t* dstRow, int dx, int bits) {
  switch (bits) {
    case 1:
      SetBit(dstRow, dx, GetBit(srcRow, sx));
      break;
    case 8:
      dstRow[dx] = srcRow[sx];
      break;
    default:
      std::memcpy(dstRow + size_t(dx) * 3, srcRow + size_t(sx) * 3, 3);
      break;
  }
}

// Looks `count` 8-bit indices up in the descriptor's colour table and writes
// blue, green, red triples. An index beyond the table (a damaged or short
// table) gives black instead of a read past the table.
inline void ExpandIndices(const ImageDesc& desc, const uint8_t* indices, int count, uint8_t* bgr) {
  for (int x = 0; x < count; ++x, bgr += 3) {
    const RgbQuad e = indices[x] < desc.colours ? desc.palette[indices[x]] : RgbQuad{0, 0, 0, 0};
    bgr[0] = e.blue;
    bgr[1] = e.green;
    bgr[2] = e.red;
  }
}

// Width and height of a descriptor's processing rectangle (already validated).
inline int RectWidth(const ImageDesc& d) { return int(d.right - d.left) + 1; }
inline int RectHeight(const ImageDesc& d) { return int(d.bottom - d.top) + 1; }

// True when the two descriptors describe the same pixel memory.
inline bool SameBuffer(const ImageDesc& a, const ImageDesc& b) { return a.pixels == b.pixels; }

inline bool SameRect(const ImageDesc& a, const ImageDesc& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// Pixel-by-pixel operations may run in place, but not between two different
// rectangles of one buffer, where a pixel could be read after it was written.
inline bool OverlapsUnsafely(const ImageDesc& a, const ImageDesc& b) {
  return SameBuffer(a, b) && !SameRect(a, b);
}

// Calls f(source pixels, destination pixels, width) for every row of the
// overlap of the two processing rectangles, top row first, each pointer at the
// row's first pixel of its rectangle. For 8, 16 and 24 bits per pixel.
template <typename F>
void ForEachRowPair(ImageDesc& source, ImageDesc& destination, F&& f) {
  int width = 0, height = 0;
  RectExtent(source, destination, width, height);
  const size_t srcBytes = size_t(source.BitsPerPixel() / 8);
  const size_t dstBytes = size_t(destination.BitsPerPixel() / 8);
  for (int y = 0; y < height; ++y)
    f(static_cast<const uint8_t*>(source.Row(int(source.top) + y)) + source.left * srcBytes,
      destination.Row(int(destination.top) + y) + destination.left * dstBytes, width);
}

// Validates both descriptors with the check for `bits` depths ({1, 8, 24} or
// {8, 24}) and requires equal depth (kBitsPerPixel).
int ValidatePair1_8_24(ImageDesc& source, ImageDesc& destination);
int ValidatePair8_24(ImageDesc& source, ImageDesc& destination);
// Validates both for 8 or 24 bits and requires the given depths (kBitsPerPixel).
int ValidateConversion(ImageDesc& source, int sourceBits, ImageDesc& destination,
                       int destinationBits);

}  // namespace veska::pixel

namespace veska {

// Whole-pixel access by image coordinates (y counted from the top). A 24-bit
// pixel is one value with red in the lowest byte, green in the middle byte and
// blue in the highest byte (the buffer itself stores blue, green, red); an
// 8-bit pixel is its byte, a 16-bit pixel its little-endian word and a 1-bit
// pixel its bit.
inline uint32_t GetPixelValue(const ImageDesc& desc, int x, int y) {
  const uint8_t* row = desc.Row(y);
  switch (desc.BitsPerPixel()) {
    case 8:
      return row[x];
    case 24:
      return pixel::Value24(row + 3 * x);
    case 16:
      return uint32_t(row[2 * x]) | uint32_t(row[2 * x + 1]) << 8;
    case 1:
      return uint32_t(pixel::GetBit(row, x));
    default:
      return 0;
  }
}

inline void SetPixelValue(ImageDesc& desc, int x, int y, uint32_t value) {
  uint8_t* row = desc.Row(y);
  switch (desc.BitsPerPixel()) {
    case 8:
      row[x] = uint8_t(value);
      break;
    case 24:
      pixel::Store24(row + 3 * x, value);
      break;
    case 16:
      row[2 * x] = uint8_t(value);
      row[2 * x + 1] = uint8_t(value >> 8);
      break;
    case 1:
      pixel::SetBit(row, x, int(value & 1u));
      break;
    default:
      break;
  }
}

}  // namespace veska
