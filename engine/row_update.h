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
//
// Builds: plain (portable, one line at a time) and, on x86, SSE2, AVX2 and
// AVX-512BW/VL builds that update a vector of lines per instruction. All give
// bit-identical sums.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <type_traits>
#include <vector>

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

// Every plane row and every slope's line-state region holds a multiple of
// this many lines, so that vector builds work in whole blocks; the lines past
// the window's width are padding that no result depends on.
constexpr uint32_t kRowPadding = 64;

inline uint32_t PaddedWidth(uint32_t width) {
  return (width + kRowPadding - 1) / kRowPadding * kRowPadding;
}

// One thread's share of the slopes during one sweep, as the row kernels see
// it: `count` line-state regions of `stride` elements each.
template <typename Pixel>
struct SlopeGroup {
  Pixel* states = nullptr;
  std::size_t stride = 0;
  uint32_t count = 0;
  uint32_t width = 0;        // lines per row: the width of the pass
  uint32_t paddedWidth = 0;  // PaddedWidth(width): elements per plane and sum row
  int mode = kBoth;
  const LineParams* lp = nullptr;
  // The starting centres of a line by value: small and big of value v at
  // starts[2 * (v - min)] and starts[2 * (v - min) + 1] (InitLineState).
  const Pixel* starts = nullptr;
};

// One build of the kernel's inner loops for one storage variant.
//   init:   starts the lines of every slope of the group from the row src.
//   update: advances them over the row src, adding each line's small - big
//           difference into sums (or storing the total when overwrite is set,
//           so that the first visit of a row needs no zeroed sums). steps[i]
//           is the column step of slope i's lines between this row and the
//           next (-1, 0, +1): with a step the lines shift one column that way,
//           the line entering at the first visited column starts fresh from
//           that column's pixel, and the line leaving at the far edge ends.
//           src and sums hold paddedWidth elements; a build may read and
//           write all of them, and only the first `width` sums are results.
//   load:   copies rows r0..r1-1, columns 0..width-1 of the window (matrix
//           rows `rows`, from column colStart), truncated to the pixel width,
//           into both planes: source[r * sstride + c] and
//           transposed[c * tstride + r]; raises hi and lowers lo to the
//           extremes copied.
//   transposePixels, transposeSums: exchange plane[y * stride + x] and
//           plane[x * stride + y] for rows y0..y1-1 and every column x > y of
//           the n x n square (y0 a multiple of 32). Each pair of cells is
//           exchanged by the call holding the smaller of its two indices, so
//           calls for the pieces of [0, n) transpose the square in place and,
//           run side by side, never touch the same cell.
//   render: out[x] = trunc((in[x] - lo) * scale + outMin) as a byte, x < count.
template <typename Pixel, typename Sum>
struct RowKernels {
  using Init = void (*)(const SlopeGroup<Pixel>& group, const Pixel* src);
  using Update = void (*)(const SlopeGroup<Pixel>& group, const Pixel* src, Sum* sums,
                          const int8_t* steps, bool overwrite);
  using Load = void (*)(const uint16_t* const* rows, int colStart, uint32_t r0, uint32_t r1,
                        uint32_t width, Pixel* source, std::size_t sstride, Pixel* transposed,
                        std::size_t tstride, Pixel& hi, Pixel& lo);
  template <typename T>
  using Transpose = void (*)(T* plane, std::size_t stride, uint32_t n, uint32_t y0, uint32_t y1);
  using Render = void (*)(const Sum* in, uint8_t* out, uint32_t count, int32_t lo, double scale,
                          int outMin);
  Init init;
  Update update;
  Load load;
  Transpose<Pixel> transposePixels;
  Transpose<Sum> transposeSums;
  Render render;
};

using RowKernels8 = RowKernels<uint8_t, int16_t>;
using RowKernels16 = RowKernels<uint16_t, int32_t>;

// The row kernels of one processor build, for both storage variants.
struct RowKernelSet {
  const char* name;  // "plain", "sse2", "avx2" or "avx512"
  RowKernels8 k8;
  RowKernels16 k16;
};

// The build the kernel uses in this process, chosen once on first use: the
// best build this processor runs, or the one VESKA_KERNEL names
// (plain|sse2|avx2|avx512). Naming a build the processor lacks, or an unknown
// one, gives a single warning on stderr and the best build.
const RowKernelSet& SelectRowKernels();
// The portable build, one line per iteration; the reference for the others.
const RowKernelSet& PlainRowKernels();
// The named build if this processor runs it, else nullptr.
const RowKernelSet* FindRowKernels(std::string_view name);
// Every build this processor runs, plain first and the best last.
std::vector<const RowKernelSet*> AvailableRowKernels();

#if defined(__x86_64__) || defined(__i386__)
#define VESKA_X86_BUILDS 1
// The vector builds, each in its own translation unit compiled for its
// instruction set; only call them on a processor that has it.
const RowKernelSet& Sse2RowKernels();
const RowKernelSet& Avx2RowKernels();
const RowKernelSet& Avx512RowKernels();
#endif

// The plain build's loops, for the vector builds' edges and tails.
// LoadPlain for the block of rows r0..r1-1 and columns c0..c1-1.
template <typename Pixel>
void LoadPlain(const uint16_t* const* rows, int colStart, uint32_t r0, uint32_t r1, uint32_t c0,
               uint32_t c1, Pixel* source, std::size_t sstride, Pixel* transposed,
               std::size_t tstride, Pixel& hi, Pixel& lo);
// The exchanges of a transpose for rows y0..y1-1 and the columns from x0 on
// (those above the diagonal).
template <typename T>
void TransposePlain(T* plane, std::size_t stride, uint32_t n, uint32_t y0, uint32_t y1,
                    uint32_t x0);
template <typename Sum>
void RenderPlain(const Sum* in, uint8_t* out, uint32_t count, int32_t lo, double scale,
                 int outMin);

// The single-slope plain kernels the plain build is made of. States of one
// slope: W interleaved (small, big) pairs in mode kBoth, W centres otherwise.
void InitRowStatesPlain8(const uint8_t* src, uint8_t* states, uint32_t W, int mode,
                         const LineParams& lp);
void InitRowStatesPlain16(const uint16_t* src, uint16_t* states, uint32_t W, int mode,
                          const LineParams& lp);
void UpdateRowPlain8(int step, const uint8_t* src, int16_t* sums, uint8_t* states, uint32_t W,
                     int mode, const LineParams& lp);
void UpdateRowPlain16(int step, const uint16_t* src, int32_t* sums, uint16_t* states,
                      uint32_t W, int mode, const LineParams& lp);

}  // namespace veska
