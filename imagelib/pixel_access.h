// Whole-pixel access to a buffer by image coordinates (y counted from the top).
// A 24-bit pixel is one value with red in the lowest byte, green in the middle
// byte and blue in the highest byte (the buffer itself stores blue, green,
// red); an 8-bit pixel is its byte, a 16-bit pixel its little-endian word and a
// 1-bit pixel its bit.
#pragma once

#include <cstdint>

#include "imagelib/image_desc.h"

namespace veska {

inline uint32_t GetPixelValue(const ImageDesc& desc, int x, int y) {
  const uint8_t* row = desc.Row(y);
  switch (desc.BitsPerPixel()) {
    case 8:
      return row[x];
    case 24: {
      const uint8_t* p = row + 3 * x;
      return uint32_t(p[2]) | uint32_t(p[1]) << 8 | uint32_t(p[0]) << 16;
    }
    case 16:
      return uint32_t(row[2 * x]) | uint32_t(row[2 * x + 1]) << 8;
    case 1:
      return (row[x >> 3] >> (7 - (x & 7))) & 1u;
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
    case 24: {
      uint8_t* p = row + 3 * x;
      p[0] = uint8_t(value >> 16);
      p[1] = uint8_t(value >> 8);
      p[2] = uint8_t(value);
      break;
    }
    case 16:
      row[2 * x] = uint8_t(value);
      row[2 * x + 1] = uint8_t(value >> 8);
      break;
    case 1: {
      const auto mask = uint8_t(0x80u >> (x & 7));
      row[x >> 3] = (value & 1u) ? uint8_t(row[x >> 3] | mask) : uint8_t(row[x >> 3] & ~mask);
      break;
    }
    default:
      break;
  }
}

}  // namespace veska
