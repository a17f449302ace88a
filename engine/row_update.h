// The innermost step of the contrast kernel: advancing one slope's family of
// scanlines by one row, and starting that family from a row.
//
// Each scanline carries two cursors over the luminance values, a small one of
// half-width hs and a big one of half-width hb. A cursor centred at c keeps
// still while the pixel value p lies within c +- h and otherwise moves just far
// enough that p sits on its edge. At every pixel the difference of the two
// centres is added into the pixel's sum.
//
// The line-state layout belongs to the build that writes it: a build's
// initialisation writes exactly the layout its update reads, so a build must
// always be replaced as a pair (see RowKernels). The plain build interleaves
// the centres of one line (small, big, small, big, ...) in mode 0 and keeps
// the one stored centre per line in modes 1 and 2.
#pragma once

#include <cstdint>
#include <type_traits>

namespace veska {

// How a pass keeps its line states. kBoth: both centres are tracked. kBigOnly:
// the small half-width is 0, so the small centre always equals p. kSmallOnly:
// the big half-width spans half the value range, so the big centre never leaves
// min + hb.
enum ScanMode : int { kBoth = 0, kBigOnly = 1, kSmallOnly = 2 };

// Everything a row update and a line start need, fixed for one kernel run.
struct LineParams {
  int32_t hs = 0;         // small half-width
  int32_t hb = 0;         // big half-width
  int32_t min = 0;        // smallest value of the window
  int32_t max = 0;        // largest value of the window
  int32_t loSmall = 0;    // admissible small centres: loSmall .. loSmall + spanSmall - 1
  int32_t spanSmall = 0;
  int32_t loBig = 0;      // admissible big centres: loBig .. loBig + spanBig - 1
  int32_t spanBig = 0;
  double unit = 0.0;      // 0.999999 / (max - min); 0 for a flat window
  int32_t bigConst = 0;   // the fixed big centre of mode kSmallOnly (hb + min)
};

LineParams MakeLineParams(uint32_t hs, uint32_t hb, uint16_t min, uint16_t max);

// The pass mode for the given half-widths and window range.
int SelectScanMode(uint32_t hs, uint32_t hb, uint16_t min, uint16_t max);

struct LineStart {
  int32_t small;
  int32_t big;
};

// The centres of a line that starts at a pixel of value p: both cursors sit at
// the same relative height within their admissible ranges as p within
// [min, max]. A flat window (max == min) starts both centres at p.
inline LineStart InitLineState(int32_t p, const LineParams& lp) {
  const double f = static_cast<double>(p - lp.min) * lp.unit;
  return {static_cast<int32_t>(lp.loSmall + lp.spanSmall * f),
          static_cast<int32_t>(lp.loBig + lp.spanBig * f)};
}

// Adds in the sum's own width with wrap-around (modular) arithmetic, which
// makes the order of accumulation irrelevant to the result bits.
template <typename Sum>
inline Sum WrapAdd(Sum a, Sum b) {
  using U = std::make_unsigned_t<Sum>;
  return static_cast<Sum>(static_cast<U>(static_cast<U>(a) + static_cast<U>(b)));
}

// One build of the row kernels for one storage variant.
//   init:   starts the W lines of one slope from a row (src).
//   update: advances them over the row src, adding each line's small - big
//           difference into sums. step is the column step of the slope's
//           lines between this row and the next (-1, 0, +1): with a step the
//           lines shift one column that way, the line entering at the first
//           visited column starts fresh from that column's pixel, and the
//           line leaving at the far edge ends.
template <typename Pixel, typename Sum>
struct RowKernels {
  using Init = void (*)(const Pixel* src, Pixel* states, uint32_t W, int mode,
                        const LineParams& lp);
  using Update = void (*)(int step, const Pixel* src, Sum* sums, Pixel* states, uint32_t W,
                          int mode, const LineParams& lp);
  Init init;
  Update update;
};

using RowKernels8 = RowKernels<uint8_t, int16_t>;
using RowKernels16 = RowKernels<uint16_t, int32_t>;
using RowUpdate8 = RowKernels8::Update;
using RowUpdate16 = RowKernels16::Update;

// The row kernels of one processor build, for both storage variants.
struct RowKernelSet {
  const char* name;
  RowKernels8 k8;
  RowKernels16 k16;
};

// The build the kernel uses in this process. Every build gives bit-identical
// sums; today there is only the plain one.
const RowKernelSet& SelectRowKernels();
// The portable build, one line per iteration; the reference for the others.
const RowKernelSet& PlainRowKernels();

void InitRowStatesPlain8(const uint8_t* src, uint8_t* states, uint32_t W, int mode,
                         const LineParams& lp);
void InitRowStatesPlain16(const uint16_t* src, uint16_t* states, uint32_t W, int mode,
                          const LineParams& lp);
void UpdateRowPlain8(int step, const uint8_t* src, int16_t* sums, uint8_t* states, uint32_t W,
                     int mode, const LineParams& lp);
void UpdateRowPlain16(int step, const uint16_t* src, int32_t* sums, uint16_t* states,
                      uint32_t W, int mode, const LineParams& lp);

}  // namespace veska
