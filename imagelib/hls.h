// Integer conversion between RGB and hue, lightness, saturation on a scale of
// 252 (so that a sixth of the hue circle is a whole 42). Pixels are 32-bit
// values with red in the lowest byte, green in the middle and blue in the
// highest byte.
#pragma once

#include <cstdint>

namespace veska {

constexpr int kHlsMax = 252;
// The hue given to a grey pixel, whose hue is undefined.
constexpr int kHueUndefined = kHlsMax * 2 / 3;

struct Hls {
  int hue = 0;
  int lightness = 0;
  int saturation = 0;
};

Hls RgbToHls(uint32_t rgb);
uint32_t HlsToRgb(const Hls& hls);

// The 8-bit lightness of a pixel: its HLS lightness rescaled to 0..255.
uint8_t LightnessLevel(uint32_t rgb);
// The HLS lightness (0..252) that stands for an 8-bit level.
int LightnessFromLevel(int level);

}  // namespace veska
