// The vector colour rows, written once over a lane count and compiled into
// each vector build's own translation unit (colour_rows_sse2.cpp,
// colour_rows_avx2.cpp, colour_rows_avx512.cpp).
//
// Include this header only from those files, inside a namespace of the
// build's own and after defining VESKA_COLOUR_LANES: the code is compiled
// with that build's instruction set, so it calls no inline function of other
// headers and no standard-library template, which the linker could otherwise
// share between builds.
//
// The formulas are those of imagelib/hls.cpp, branch-free: each branch there
// becomes a lane-wise choice here. The grey case (no spread) needs none of
// its own for the round trip: with saturation 0 both intermediate values equal
// the lightness, whatever the hue.

constexpr int kLanes = VESKA_COLOUR_LANES;
typedef int32_t Ints __attribute__((vector_size(kLanes * 4)));
typedef float Floats __attribute__((vector_size(kLanes * 4)));

// a / d for 0 <= a < 2^24 and d > 0, exact (see colour_rows.h).
inline Ints Divide(Ints a, Ints d) {
  return __builtin_convertvector(
      __builtin_convertvector(a, Floats) / __builtin_convertvector(d, Floats), Ints);
}
inline Ints Larger(Ints a, Ints b) { return a > b ? a : b; }
inline Ints Smaller(Ints a, Ints b) { return a < b ? a : b; }
// A hue brought back into 0..252 by one turn either way.
inline Ints WrapHue(Ints h) {
  h = h < 0 ? h + 252 : h;
  return h > 252 ? h - 252 : h;
}

struct Pixels {
  Ints r, g, b;
};

// kLanes stored pixels (blue, green, red) as three vectors.
inline Pixels LoadPixels(const uint8_t* bgr) {
  int32_t r[kLanes], g[kLanes], b[kLanes];
  for (int i = 0; i < kLanes; ++i) {
    b[i] = bgr[3 * i];
    g[i] = bgr[3 * i + 1];
    r[i] = bgr[3 * i + 2];
  }
  Pixels p;
  __builtin_memcpy(&p.r, r, sizeof r);
  __builtin_memcpy(&p.g, g, sizeof g);
  __builtin_memcpy(&p.b, b, sizeof b);
  return p;
}

inline Ints LightnessLevels(const Pixels& p) {
  const Ints sum = Larger(Larger(p.r, p.g), p.b) + Smaller(Smaller(p.r, p.g), p.b);
  const Ints l = (sum * 252 + 255) / 510;
  return (l * 255 + 126) / 252;
}

// One component from the two intermediate values and its hue.
inline Ints HueValue(Ints m1, Ints m2, Ints hue) {
  const Ints t = WrapHue(hue);
  const Ints up = m1 + ((m2 - m1) * t + 21) / 42;
  const Ints down = m1 + ((m2 - m1) * (168 - t) + 21) / 42;
  const Ints v = t < 42 ? up : (t < 126 ? m2 : (t < 168 ? down : m1));
  return (v * 255 + 126) / 252;
}

inline Pixels Relight(const Pixels& p, Ints level) {
  const Ints hi = Larger(Larger(p.r, p.g), p.b);
  const Ints lo = Smaller(Smaller(p.r, p.g), p.b);
  const Ints sum = hi + lo, spread = hi - lo;
  const Ints l = (sum * 252 + 255) / 510;
  // Grey lanes divide by 1 and have their saturation set to 0 afterwards.
  const Ints grey = spread == 0;
  const Ints d = grey ? 1 : (l <= 126 ? sum : 510 - sum);
  const Ints spreadOr1 = grey ? 1 : spread;
  const Ints s = grey ? 0 : Divide(spread * 252 + d / 2, d);
  const Ints half = spreadOr1 / 2;
  const Ints dr = Divide((hi - p.r) * 42 + half, spreadOr1);
  const Ints dg = Divide((hi - p.g) * 42 + half, spreadOr1);
  const Ints db = Divide((hi - p.b) * 42 + half, spreadOr1);
  const Ints h = WrapHue(p.r == hi ? db - dg : (p.g == hi ? 84 + dr - db : 168 + dg - dr));

  const Ints nl = (level * 252 + 127) / 255;
  const Ints m2 = nl > 126 ? nl + s - (nl * s + 126) / 252 : ((s + 252) * nl + 126) / 252;
  const Ints m1 = 2 * nl - m2;
  return {HueValue(m1, m2, h + 84), HueValue(m1, m2, h), HueValue(m1, m2, h - 84)};
}

void LightnessRow(const uint8_t* bgr, uint32_t count, uint16_t* out) {
  uint32_t x = 0;
  for (; x + kLanes <= count; x += kLanes) {
    const Ints v = LightnessLevels(LoadPixels(bgr + 3 * x));
    for (int i = 0; i < kLanes; ++i) out[x + i] = uint16_t(v[i]);
  }
  if (x < count) {
    uint8_t tail[3 * kLanes] = {};
    __builtin_memcpy(tail, bgr + 3 * x, 3 * (count - x));
    const Ints v = LightnessLevels(LoadPixels(tail));
    for (uint32_t i = 0; x + i < count; ++i) out[x + i] = uint16_t(v[i]);
  }
}

inline void RelightBlock(const uint8_t* bgr, const uint8_t* levels, uint8_t* out, uint32_t n) {
  int32_t lv[kLanes] = {};
  for (uint32_t i = 0; i < n; ++i) lv[i] = levels[i];
  Ints level;
  __builtin_memcpy(&level, lv, sizeof lv);
  const Pixels q = Relight(LoadPixels(bgr), level);
  for (uint32_t i = 0; i < n; ++i) {
    out[3 * i] = uint8_t(q.b[i]);
    out[3 * i + 1] = uint8_t(q.g[i]);
    out[3 * i + 2] = uint8_t(q.r[i]);
  }
}

void RelightRow(const uint8_t* bgr, const uint8_t* levels, uint32_t count, uint8_t* out) {
  uint32_t x = 0;
  for (; x + kLanes <= count; x += kLanes) RelightBlock(bgr + 3 * x, levels + x, out + 3 * x, kLanes);
  if (x < count) {
    uint8_t tail[3 * kLanes] = {};
    __builtin_memcpy(tail, bgr + 3 * x, 3 * (count - x));
    RelightBlock(tail, levels + x, out + 3 * x, count - x);
  }
}
