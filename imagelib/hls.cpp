#include "imagelib/hls.h"

#include <algorithm>

namespace veska {
namespace {

constexpr int kRgbMax = 255;

// One component from the two intermediate values and a hue (0..252 after
// wrapping): a linear ramp over the first sixth, flat up to half, a falling
// ramp up to two thirds, flat after.
int HueValue(int m1, int m2, int hue) {
  if (hue < 0) hue += kHlsMax;
  if (hue > kHlsMax) hue -= kHlsMax;
  if (hue < kHlsMax / 6) return m1 + ((m2 - m1) * hue + kHlsMax / 12) / (kHlsMax / 6);
  if (hue < kHlsMax / 2) return m2;
  if (hue < kHlsMax * 2 / 3)
    return m1 + ((m2 - m1) * (kHlsMax * 2 / 3 - hue) + kHlsMax / 12) / (kHlsMax / 6);
  return m1;
}

int ToRgbScale(int value) { return (value * kRgbMax + kHlsMax / 2) / kHlsMax; }

// HLS lightness from the largest and smallest of the three components.
int Lightness(int cMax, int cMin) { return ((cMax + cMin) * kHlsMax + kRgbMax) / (2 * kRgbMax); }

}  // namespace

Hls RgbToHls(uint32_t rgb) {
  const int r = int(rgb & 0xFF), g = int((rgb >> 8) & 0xFF), b = int((rgb >> 16) & 0xFF);
  const int cMax = std::max({r, g, b});
  const int cMin = std::min({r, g, b});
  Hls out;
  out.lightness = Lightness(cMax, cMin);
  if (cMax == cMin) {
    out.saturation = 0;
    out.hue = kHueUndefined;
    return out;
  }
  const int spread = cMax - cMin;
  const int d = out.lightness <= kHlsMax / 2 ? cMax + cMin : 2 * kRgbMax - cMax - cMin;
  out.saturation = (spread * kHlsMax + d / 2) / d;
  auto delta = [&](int x) { return ((cMax - x) * (kHlsMax / 6) + spread / 2) / spread; };
  if (r == cMax)
    out.hue = delta(b) - delta(g);
  else if (g == cMax)
    out.hue = kHlsMax / 3 + delta(r) - delta(b);
  else
    out.hue = kHlsMax * 2 / 3 + delta(g) - delta(r);
  if (out.hue < 0) out.hue += kHlsMax;
  if (out.hue > kHlsMax) out.hue -= kHlsMax;
  return out;
}

uint32_t HlsToRgb(const Hls& hls) {
  const int l = hls.lightness, s = hls.saturation, h = hls.hue;
  if (s == 0) {
    const auto v = uint32_t(ToRgbScale(l));
    return v | v << 8 | v << 16;
  }
  const int m2 = l > kHlsMax / 2 ? l + s - (l * s + kHlsMax / 2) / kHlsMax
                                 : ((s + kHlsMax) * l + kHlsMax / 2) / kHlsMax;
  const int m1 = 2 * l - m2;
  const auto r = uint32_t(ToRgbScale(HueValue(m1, m2, h + kHlsMax / 3)));
  const auto g = uint32_t(ToRgbScale(HueValue(m1, m2, h)));
  const auto b = uint32_t(ToRgbScale(HueValue(m1, m2, h - kHlsMax / 3)));
  return (r & 0xFF) | (g & 0xFF) << 8 | (b & 0xFF) << 16;
}

uint8_t LightnessLevel(uint32_t rgb) {
  // The lightness alone, without the hue and saturation RgbToHls also works out.
  const int r = int(rgb & 0xFF), g = int((rgb >> 8) & 0xFF), b = int((rgb >> 16) & 0xFF);
  return uint8_t(ToRgbScale(Lightness(std::max({r, g, b}), std::min({r, g, b}))));
}

int LightnessFromLevel(int level) { return (level * kHlsMax + 127) / kRgbMax; }

}  // namespace veska
