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
// becomes a lane-wise choice or an equivalent integer form (each noted where
// it is used). The grey case (no spread) needs no reverse conversion of its
// own: with saturation 0 both intermediate values equal the lightness,
// whatever the hue.

constexpr int kLanes = VESKA_COLOUR_LANES;
typedef int32_t Ints __attribute__((vector_size(kLanes * 4)));
typedef float Floats __attribute__((vector_size(kLanes * 4)));

typedef uint32_t Unsigned __attribute__((vector_size(kLanes * 4)));

// a / d for 0 <= a < 2^24 and d > 0, exact (see colour_rows.h).
inline Ints Divide(Ints a, Ints d) {
  return __builtin_convertvector(
      __builtin_convertvector(a, Floats) / __builtin_convertvector(d, Floats), Ints);
}
// a / D for a >= 0: unsigned, so that the compiler's multiply-and-shift
// needs no sign correction.
template <uint32_t D>
inline Ints Over(Ints a) {
  return Ints(Unsigned(a) / D);
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

// Pixels per block: the rows are split into components a block at a time,
// in plain loops that the compiler turns into vector shuffles.
constexpr int kBlock = 64;

struct Block {
  alignas(64) int32_t r[kBlock];
  alignas(64) int32_t g[kBlock];
  alignas(64) int32_t b[kBlock];
};

inline void Split(const uint8_t* bgr, Block& out) {
  for (int i = 0; i < kBlock; ++i) {
    out.b[i] = bgr[3 * i];
    out.g[i] = bgr[3 * i + 1];
    out.r[i] = bgr[3 * i + 2];
  }
}

inline void Join(const Block& in, uint8_t* bgr) {
  for (int i = 0; i < kBlock; ++i) {
    bgr[3 * i] = uint8_t(in.b[i]);
    bgr[3 * i + 1] = uint8_t(in.g[i]);
    bgr[3 * i + 2] = uint8_t(in.r[i]);
  }
}

inline Ints At(const int32_t* p) {
  Ints v;
  __builtin_memcpy(&v, p, sizeof v);
  return v;
}
inline void Put(int32_t* p, Ints v) { __builtin_memcpy(p, &v, sizeof v); }

inline Ints LightnessLevels(const Pixels& p) {
  const Ints sum = Larger(Larger(p.r, p.g), p.b) + Smaller(Smaller(p.r, p.g), p.b);
  return Over<252>(Over<510>(sum * 252 + 255) * 255 + 126);
}

// One component from the two intermediate values and its hue. The four
// pieces of the hue circle (rising to m2 over the first sixth, m2 up to half,
// falling to m1 up to two thirds, m1 after) are one ramp
// m1 + ((m2 - m1) * w + 21) / 42 with w = t, 42, 168 - t and 0 in turn:
// w = max(0, min(t, 42, 168 - t)).
inline Ints HueValue(Ints m1, Ints m2, Ints hue) {
  const Ints t = WrapHue(hue);
  const Ints w = Larger(Smaller(Smaller(t, Ints{} + 42), 168 - t), Ints{});
  const Ints v = m1 + Over<42>((m2 - m1) * w + 21);
  return Over<252>(v * 255 + 126);
}

inline Pixels Relight(const Pixels& p, Ints level) {
  const Ints hi = Larger(Larger(p.r, p.g), p.b);
  const Ints lo = Smaller(Smaller(p.r, p.g), p.b);
  const Ints sum = hi + lo, spread = hi - lo;
  // The lightness (sum * 252 + 255) / 510 is at most 126 exactly when sum is
  // at most 256. Grey lanes divide by 1 and get saturation 0.
  const Ints grey = spread == 0;
  const Ints d = grey ? 1 : (sum <= 256 ? sum : 510 - sum);
  const Ints spreadOr1 = grey ? 1 : spread;
  const Ints s = grey ? 0 : Divide(spread * 252 + d / 2, d);
  const Ints half = spreadOr1 >> 1;
  const Ints dr = Divide((hi - p.r) * 42 + half, spreadOr1);
  const Ints dg = Divide((hi - p.g) * 42 + half, spreadOr1);
  const Ints db = Divide((hi - p.b) * 42 + half, spreadOr1);
  const Ints h = WrapHue(p.r == hi ? db - dg : (p.g == hi ? 84 + dr - db : 168 + dg - dr));

  // ((s + 252) * l + 126) / 252 is l + (l * s + 126) / 252, as 252 * l
  // divides exactly: both branches of m2 share one quotient.
  const Ints l = Over<255>(level * 252 + 127);
  const Ints q = Over<252>(l * s + 126);
  const Ints m2 = l > 126 ? l + s - q : l + q;
  const Ints m1 = 2 * l - m2;
  return {HueValue(m1, m2, h + 84), HueValue(m1, m2, h), HueValue(m1, m2, h - 84)};
}

// One block of kBlock pixels.
inline void LightnessBlock(const uint8_t* bgr, uint16_t* out) {
  Block p;
  Split(bgr, p);
  alignas(64) int32_t levels[kBlock];
  for (int i = 0; i < kBlock; i += kLanes)
    Put(levels + i, LightnessLevels({At(p.r + i), At(p.g + i), At(p.b + i)}));
  for (int i = 0; i < kBlock; ++i) out[i] = uint16_t(levels[i]);
}

inline void RelightBlock(const uint8_t* bgr, const uint8_t* levels, uint8_t* out) {
  Block p;
  Split(bgr, p);
  alignas(64) int32_t lv[kBlock];
  for (int i = 0; i < kBlock; ++i) lv[i] = levels[i];
  for (int i = 0; i < kBlock; i += kLanes) {
    const Pixels q = Relight({At(p.r + i), At(p.g + i), At(p.b + i)}, At(lv + i));
    Put(p.r + i, q.r);
    Put(p.g + i, q.g);
    Put(p.b + i, q.b);
  }
  Join(p, out);
}

// Whole blocks straight from the row; the last part through a zeroed copy.
void LightnessRow(const uint8_t* bgr, uint32_t count, uint16_t* out) {
  uint32_t x = 0;
  for (; x + kBlock <= count; x += kBlock) LightnessBlock(bgr + 3 * x, out + x);
  if (x < count) {
    uint8_t pixels[3 * kBlock] = {};
    uint16_t levels[kBlock];
    __builtin_memcpy(pixels, bgr + 3 * x, 3 * (count - x));
    LightnessBlock(pixels, levels);
    __builtin_memcpy(out + x, levels, 2 * (count - x));
  }
}

void RelightRow(const uint8_t* bgr, const uint8_t* levels, uint32_t count, uint8_t* out) {
  uint32_t x = 0;
  for (; x + kBlock <= count; x += kBlock) RelightBlock(bgr + 3 * x, levels + x, out + 3 * x);
  if (x < count) {
    uint8_t pixels[3 * kBlock] = {}, lv[kBlock] = {};
    __builtin_memcpy(pixels, bgr + 3 * x, 3 * (count - x));
    __builtin_memcpy(lv, levels + x, count - x);
    RelightBlock(pixels, lv, pixels);
    __builtin_memcpy(out + 3 * x, pixels, 3 * (count - x));
  }
}
