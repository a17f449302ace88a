// The vector row kernels, written once over an instruction-set wrapper `V`
// and compiled into each vector build's own translation unit
// (row_update_sse2.cpp, row_update_avx2.cpp, row_update_avx512.cpp).
//
// Include this header only from those files, with VESKA_VECTOR_BUILD naming a
// namespace of the build's own that already holds the wrapper: the code here
// is compiled with that build's instruction set, and a shared name would let
// the linker pick one build's copy for another. For the same reason it calls
// no inline function of other headers and no standard-library template.
//
// Layout (internal to the vector builds): as the plain build, mode kBoth
// interleaves the two centres of a line (small, big) and the other modes keep
// one centre per line; 16-bit centres are stored with the top bit flipped
// (value ^ 0x8000), so that signed 16-bit compares order them as unsigned
// values and pmaddwd subtracts them exactly.
//
// The update follows the plain one line for line: a line's new centre is
// max(min(p + h, c), p - h), computed with p + h and p - h saturated to the
// value range, which never changes the result because every stored centre
// lies within the window's range. Slopes are handled in chunks of up to
// V::kChunk slopes that share a column step: for each block of lines the
// pixel bounds are formed once, every slope of the chunk is updated, and the
// block's sums are loaded and stored once. With a step, a block's new centres
// move one line up (step +1, blocks visited upward) or down (step -1, blocks
// visited downward) in registers, the line crossing into the next block
// carried over in the register of the previous block; the line entering at
// the first visited column starts fresh, as in the plain update.
//
// Sums of the 8-bit variant are 16-bit words and those of the 16-bit variant
// 32-bit words; all additions wrap around, like the plain build's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <emmintrin.h>
#include <utility>

#include "engine/row_update.h"

namespace veska::VESKA_VECTOR_BUILD {

template <class V, typename Pixel, typename Sum>
struct VectorRows {
  using R = typename V::Reg;
  static constexpr bool kWide = sizeof(Pixel) == 2;
  static constexpr int kBytes = V::kBytes;
  static constexpr int kChunk = V::kChunk;

  // What one chunk needs besides its slopes.
  struct Row {
    const Pixel* src;
    Sum* sums;
    uint32_t width;
    uint32_t vectors;  // state vectors per slope and row
    R h;               // the half-widths in the build's line representation
    R bias;            // 0x8000 in every 16-bit word (16-bit variant)
    R extra;           // mode kSmallOnly: the chunk's slopes times the big constant
    const Pixel* starts;
    int32_t min;
    bool overwrite;
  };

  // ---- line representations ------------------------------------------------

  // A line start (small, big) as stored: both centres in mode kBoth, else the
  // one the mode keeps.
  template <int Mode>
  static uint32_t Stored(const Pixel* start) {
    const uint32_t flip = kWide ? 0x8000u : 0u;
    const uint32_t small = start[0] ^ flip;
    const uint32_t big = start[1] ^ flip;
    if constexpr (Mode == kBoth) return small | big << (8 * sizeof(Pixel));
    if constexpr (Mode == kBigOnly) return big;
    return small;
  }

  template <int Mode>
  static R Broadcast(uint32_t stored) {
    if constexpr (Mode == kBoth) {
      if constexpr (kWide) return V::Set32(static_cast<int32_t>(stored));
      return V::Set16(static_cast<int16_t>(stored));
    } else {
      if constexpr (kWide) return V::Set16(static_cast<int16_t>(stored));
      return V::Set8(static_cast<int8_t>(stored));
    }
  }

  template <int Mode>
  static constexpr int LineBytes() {
    return (Mode == kBoth ? 2 : 1) * static_cast<int>(sizeof(Pixel));
  }

  // Lines held by one state vector.
  template <int Mode>
  static constexpr uint32_t LinesPerVector() {
    return kBytes / LineBytes<Mode>();
  }

  // ---- per block -------------------------------------------------------------

  // The upper and lower bounds p + h and p - h of the block's lines, in the
  // stored representation; p is the block's pixels (single-centre modes).
  template <int Mode>
  static void Bounds(const Row& row, uint32_t j, R& upper, R& lower, R& p) {
    const Pixel* src = row.src + j * LinesPerVector<Mode>();
    if constexpr (Mode == kBoth) {
      if constexpr (kWide)
        p = V::LoadDup16(src);
      else
        p = V::LoadDup8(src);
    } else {
      p = V::Load(src);
    }
    if constexpr (kWide) {
      upper = V::Xor(V::AddSatU16(p, row.h), row.bias);
      lower = V::Xor(V::SubSatU16(p, row.h), row.bias);
    } else {
      upper = V::AddSatU8(p, row.h);
      lower = V::SubSatU8(p, row.h);
    }
  }

  static R Follow(R upper, R lower, R c) {
    if constexpr (kWide) return V::MaxI16(V::MinI16(upper, c), lower);
    return V::MaxU8(V::MinU8(upper, c), lower);
  }

  static R AddSum(R a, R b) {
    if constexpr (kWide) return V::Add32(a, b);
    return V::Add16(a, b);
  }
  static R SubSum(R a, R b) {
    if constexpr (kWide) return V::Sub32(a, b);
    return V::Sub16(a, b);
  }

  // small - big of every line of a mode-kBoth vector, as sums.
  static R PairDifference(R n) {
    if constexpr (kWide) return V::MaddI16(n, V::Set32(static_cast<int32_t>(0xFFFF0001u)));
    return V::PairDiff8(n);
  }

  // The centres of the even and of the odd lines of a single-centre vector,
  // widened to sums (the 16-bit variant's less 0x8000).
  static R Even(R n) {
    if constexpr (kWide) return V::MaddI16(n, V::Set32(1));
    return V::And(n, V::Set16(0x00FF));
  }
  static R Odd(R n) {
    if constexpr (kWide) return V::MaddI16(n, V::Set32(0x10000));
    return V::Srl16By8(n);
  }
  // G times the even or odd pixels, widened like Even and Odd.
  static R EvenTimes(R p, int G, R bias) {
    if constexpr (kWide) return V::MaddI16(V::Xor(p, bias), V::Set32(G));
    return V::Mullo16(V::And(p, V::Set16(0x00FF)), V::Set16(static_cast<int16_t>(G)));
  }
  static R OddTimes(R p, int G, R bias) {
    if constexpr (kWide) return V::MaddI16(V::Xor(p, bias), V::Set32(G << 16));
    return V::Mullo16(V::Srl16By8(p), V::Set16(static_cast<int16_t>(G)));
  }

  static void Interleave(R even, R odd, R& first, R& second) {
    if constexpr (kWide)
      V::Interleave32(even, odd, first, second);
    else
      V::Interleave16(even, odd, first, second);
  }

  // ---- one chunk of slopes sharing a step ------------------------------------

  template <int G, int Step, int Mode>
  static void Chunk(const Row& rowRef, Pixel* const* slopes) {
    // Local copies: the state stores cannot then alias them, so they stay in
    // registers.
    const Row row = rowRef;
    Pixel* states[G];
#pragma GCC unroll 16
    for (int g = 0; g < G; ++g) states[g] = slopes[g];
    constexpr int kLine = LineBytes<Mode>();
    constexpr uint32_t kLines = LinesPerVector<Mode>();
    constexpr uint32_t kElems = kBytes / sizeof(Pixel);  // state elements per vector
    constexpr uint32_t kSums = kBytes / sizeof(Sum);     // sums per vector
    R prev[G];
    uint32_t entering = 0;
    if constexpr (Step != 0) {
      // The line entering at the first visited column starts from its pixel.
      const uint32_t edge = Step > 0 ? 0 : row.width - 1;
      entering = Stored<Mode>(row.starts + 2 * (row.src[edge] - row.min));
      const R carry = Broadcast<Mode>(entering);
#pragma GCC unroll 16
      for (int g = 0; g < G; ++g) prev[g] = carry;
    }
    for (uint32_t i = 0; i < row.vectors; ++i) {
      const uint32_t j = Step < 0 ? row.vectors - 1 - i : i;
      R upper, lower, p;
      Bounds<Mode>(row, j, upper, lower, p);
      Sum* sums = row.sums + j * kLines;
      R acc = V::Zero();
      R odd = V::Zero();
      if constexpr (Mode == kBoth) {
        if (!row.overwrite) acc = V::Load(sums);
      }
#pragma GCC unroll 16
      for (int g = 0; g < G; ++g) {
        Pixel* s = states[g] + j * kElems;
        const R n = Follow(upper, lower, V::Load(s));
        if constexpr (Mode == kBoth) {
          acc = AddSum(acc, PairDifference(n));
        } else if constexpr (Mode == kBigOnly) {
          acc = SubSum(acc, Even(n));
          odd = SubSum(odd, Odd(n));
        } else {
          acc = AddSum(acc, Even(n));
          odd = AddSum(odd, Odd(n));
        }
        if constexpr (Step == 0) {
          V::Store(s, n);
        } else if constexpr (Step > 0) {
          V::Store(s, V::template ShiftUp<kLine>(n, prev[g]));
          prev[g] = n;
        } else {
          V::Store(s, V::template ShiftDown<kLine>(n, prev[g]));
          prev[g] = n;
        }
      }
      if constexpr (Mode == kBoth) {
        V::Store(sums, acc);
      } else {
        if constexpr (Mode == kBigOnly) {
          // small - big = p - big: add G times the pixels.
          acc = AddSum(acc, EvenTimes(p, G, row.bias));
          odd = AddSum(odd, OddTimes(p, G, row.bias));
        } else {
          acc = SubSum(acc, row.extra);
          odd = SubSum(odd, row.extra);
        }
        R first, second;
        Interleave(acc, odd, first, second);
        if (!row.overwrite) {
          first = AddSum(first, V::Load(sums));
          second = AddSum(second, V::Load(sums + kSums));
        }
        V::Store(sums, first);
        V::Store(sums + kSums, second);
      }
    }
    if constexpr (Step < 0) {
      // Blocks cover the padded row; the line entering at the last real
      // column was given the padding's centre, so set it here.
      const uint32_t last = row.width - 1;
#pragma GCC unroll 16
      for (int g = 0; g < G; ++g) {
        if constexpr (Mode == kBoth) {
          states[g][2 * last] = static_cast<Pixel>(entering);
          states[g][2 * last + 1] = static_cast<Pixel>(entering >> (8 * sizeof(Pixel)));
        } else {
          states[g][last] = static_cast<Pixel>(entering);
        }
      }
    }
  }

  // ---- dispatch ----------------------------------------------------------------

  using ChunkFn = void (*)(const Row&, Pixel* const*);

  // The chunk function for g = 1 .. kChunk slopes.
  template <int Step, int Mode, int... Gs>
  static ChunkFn ChunkFor(int g, std::integer_sequence<int, Gs...>) {
    ChunkFn fn = nullptr;
    ((fn = (g == Gs + 1 ? &Chunk<Gs + 1, Step, Mode> : fn)), ...);
    return fn;
  }

  template <int Step, int Mode>
  static void RunChunk(Row& row, Pixel* const* states, int g) {
    ChunkFor<Step, Mode>(g, std::make_integer_sequence<int, kChunk>{})(row, states);
    row.overwrite = false;
  }

  template <int Mode>
  static void UpdateMode(const SlopeGroup<Pixel>& group, const Pixel* src, Sum* sums,
                         const int8_t* steps, bool overwrite) {
    const LineParams& lp = *group.lp;
    Row row;
    row.src = src;
    row.sums = sums;
    row.width = group.width;
    row.vectors = group.paddedWidth / LinesPerVector<Mode>();
    row.bias = V::Set16(static_cast<int16_t>(0x8000));
    row.starts = group.starts;
    row.min = lp.min;
    row.overwrite = overwrite;
    const uint32_t hs = static_cast<uint32_t>(lp.hs);
    const uint32_t hb = static_cast<uint32_t>(lp.hb);
    if constexpr (Mode == kBoth) {
      row.h = kWide ? V::Set32(static_cast<int32_t>(hs | hb << 16))
                    : V::Set16(static_cast<int16_t>(hs | hb << 8));
    } else {
      const uint32_t h = Mode == kBigOnly ? hb : hs;
      row.h = kWide ? V::Set16(static_cast<int16_t>(h)) : V::Set8(static_cast<int8_t>(h));
    }
    // The fixed big centre of mode kSmallOnly, truncated to the state width.
    const int32_t bigConst = static_cast<Pixel>(lp.bigConst);

    // Slopes wait in one list per step until a whole chunk has gathered.
    Pixel* pending[3][kChunk];
    int count[3] = {0, 0, 0};
    auto flush = [&](int k) {
      const int g = count[k];
      if (g == 0) return;
      if constexpr (Mode == kSmallOnly)
        row.extra = kWide ? V::Set32(g * (bigConst - 0x8000))
                          : V::Set16(static_cast<int16_t>(g * bigConst));
      if (k == 0)
        RunChunk<-1, Mode>(row, pending[0], g);
      else if (k == 1)
        RunChunk<0, Mode>(row, pending[1], g);
      else
        RunChunk<1, Mode>(row, pending[2], g);
      count[k] = 0;
    };
    for (uint32_t u = 0; u < group.count; ++u) {
      const int k = steps[u] + 1;
      pending[k][count[k]++] = group.states + u * group.stride;
      if (count[k] == kChunk) flush(k);
    }
    for (int k = 0; k < 3; ++k) flush(k);
  }

  static void Update(const SlopeGroup<Pixel>& group, const Pixel* src, Sum* sums,
                     const int8_t* steps, bool overwrite) {
    if (group.mode == kBoth)
      UpdateMode<kBoth>(group, src, sums, steps, overwrite);
    else if (group.mode == kBigOnly)
      UpdateMode<kBigOnly>(group, src, sums, steps, overwrite);
    else
      UpdateMode<kSmallOnly>(group, src, sums, steps, overwrite);
  }

  template <int Mode>
  static void InitMode(const SlopeGroup<Pixel>& group, const Pixel* src) {
    Pixel* first = group.states;
    const int32_t min = group.lp->min;
    for (uint32_t x = 0; x < group.paddedWidth; ++x) {
      const uint32_t stored = Stored<Mode>(group.starts + 2 * (src[x] - min));
      if constexpr (Mode == kBoth) {
        first[2 * x] = static_cast<Pixel>(stored);
        first[2 * x + 1] = static_cast<Pixel>(stored >> (8 * sizeof(Pixel)));
      } else {
        first[x] = static_cast<Pixel>(stored);
      }
    }
    const std::size_t bytes =
        std::size_t{group.paddedWidth} * (Mode == kBoth ? 2 : 1) * sizeof(Pixel);
    for (uint32_t u = 1; u < group.count; ++u)
      std::memcpy(group.states + u * group.stride, first, bytes);
  }

  static void Init(const SlopeGroup<Pixel>& group, const Pixel* src) {
    if (group.count == 0) return;
    if (group.mode == kBoth)
      InitMode<kBoth>(group, src);
    else if (group.mode == kBigOnly)
      InitMode<kBigOnly>(group, src);
    else
      InitMode<kSmallOnly>(group, src);
  }
};

// The plane loops of the vector builds. Transposes work on 8 x 8 tiles of
// 16-bit values (4 x 4 of 32-bit, 16 x 16 of bytes) with 128-bit
// instructions, which every build has; the edges of a region that do not
// fill a tile take the plain loops.
template <class V, typename Pixel, typename Sum>
struct VectorPlanes {
  using R = typename V::Reg;
  static constexpr bool kWide = sizeof(Pixel) == 2;
  static constexpr uint32_t kPerVector = V::kBytes / sizeof(Pixel);

  // Columns of eight 16-bit rows: col[k] holds element k of a[0..7].
  static void Transpose8x8(const __m128i* a, __m128i* col) {
    const __m128i b0 = _mm_unpacklo_epi16(a[0], a[1]), b1 = _mm_unpackhi_epi16(a[0], a[1]);
    const __m128i b2 = _mm_unpacklo_epi16(a[2], a[3]), b3 = _mm_unpackhi_epi16(a[2], a[3]);
    const __m128i b4 = _mm_unpacklo_epi16(a[4], a[5]), b5 = _mm_unpackhi_epi16(a[4], a[5]);
    const __m128i b6 = _mm_unpacklo_epi16(a[6], a[7]), b7 = _mm_unpackhi_epi16(a[6], a[7]);
    const __m128i c0 = _mm_unpacklo_epi32(b0, b2), c1 = _mm_unpackhi_epi32(b0, b2);
    const __m128i c2 = _mm_unpacklo_epi32(b1, b3), c3 = _mm_unpackhi_epi32(b1, b3);
    const __m128i c4 = _mm_unpacklo_epi32(b4, b6), c5 = _mm_unpackhi_epi32(b4, b6);
    const __m128i c6 = _mm_unpacklo_epi32(b5, b7), c7 = _mm_unpackhi_epi32(b5, b7);
    col[0] = _mm_unpacklo_epi64(c0, c4);
    col[1] = _mm_unpackhi_epi64(c0, c4);
    col[2] = _mm_unpacklo_epi64(c1, c5);
    col[3] = _mm_unpackhi_epi64(c1, c5);
    col[4] = _mm_unpacklo_epi64(c2, c6);
    col[5] = _mm_unpackhi_epi64(c2, c6);
    col[6] = _mm_unpacklo_epi64(c3, c7);
    col[7] = _mm_unpackhi_epi64(c3, c7);
  }

  // Columns of four 32-bit rows.
  static void Transpose4x4(const __m128i* a, __m128i* col) {
    const __m128i b0 = _mm_unpacklo_epi32(a[0], a[1]), b1 = _mm_unpackhi_epi32(a[0], a[1]);
    const __m128i b2 = _mm_unpacklo_epi32(a[2], a[3]), b3 = _mm_unpackhi_epi32(a[2], a[3]);
    col[0] = _mm_unpacklo_epi64(b0, b2);
    col[1] = _mm_unpackhi_epi64(b0, b2);
    col[2] = _mm_unpacklo_epi64(b1, b3);
    col[3] = _mm_unpackhi_epi64(b1, b3);
  }

  // Columns of sixteen byte rows: four rounds of interleaving row k with
  // row k + 8 each move the bits of a cell's (row, column) index one place
  // to the left, around, so that after four the row and column have changed
  // places.
  static void Transpose16x16(const __m128i* a, __m128i* col) {
    __m128i t[16];
    const __m128i* in = a;
    for (int round = 0; round < 4; ++round) {
      __m128i* out = round % 2 == 0 ? t : col;
#pragma GCC unroll 8
      for (int k = 0; k < 8; ++k) {
        out[2 * k] = _mm_unpacklo_epi8(in[k], in[k + 8]);
        out[2 * k + 1] = _mm_unpackhi_epi8(in[k], in[k + 8]);
      }
      in = out;
    }
  }

  // The square tile of T from row y, column x, transposed.
  template <typename T>
  static constexpr uint32_t kSquare = 16 / sizeof(T);
  template <typename T>
  static void TransposeTile(const T* plane, std::size_t stride, uint32_t y, uint32_t x,
                            __m128i* col) {
    __m128i a[kSquare<T>];
#pragma GCC unroll 16
    for (uint32_t k = 0; k < kSquare<T>; ++k) a[k] = LoadU128(plane + (y + k) * stride + x);
    if constexpr (sizeof(T) == 1)
      Transpose16x16(a, col);
    else if constexpr (sizeof(T) == 2)
      Transpose8x8(a, col);
    else
      Transpose4x4(a, col);
  }
  template <typename T>
  static void StoreTile(T* plane, std::size_t stride, uint32_t y, uint32_t x, const __m128i* rows) {
#pragma GCC unroll 16
    for (uint32_t k = 0; k < kSquare<T>; ++k)
      _mm_storeu_si128(reinterpret_cast<__m128i*>(plane + (y + k) * stride + x), rows[k]);
  }

  // Whole tiles on and above the diagonal: each off-diagonal tile changes
  // places with its mirror image; the cells beyond the last whole tile take
  // the plain loop.
  template <typename T>
  static void Transpose(T* plane, std::size_t stride, uint32_t n, uint32_t y0, uint32_t y1) {
    constexpr uint32_t kT = kSquare<T>;
    const uint32_t nT = n / kT * kT;
    const uint32_t yT = std::min(y1, nT);
    for (uint32_t y = y0; y < yT; y += kT) {
      __m128i a[kT], b[kT];
      TransposeTile(plane, stride, y, y, a);
      StoreTile(plane, stride, y, y, a);
      for (uint32_t x = y + kT; x < nT; x += kT) {
        TransposeTile(plane, stride, y, x, a);
        TransposeTile(plane, stride, x, y, b);
        StoreTile(plane, stride, x, y, a);
        StoreTile(plane, stride, y, x, b);
      }
    }
    if (nT < n && y0 < yT) TransposePlain(plane, stride, n, y0, yT, nT);
    if (yT < y1) TransposePlain(plane, stride, n, std::max(y0, yT), y1, std::max(y0, yT));
  }

  static __m128i LoadU128(const void* p) {
    return _mm_loadu_si128(static_cast<const __m128i*>(p));
  }

  // One 8 x 8 tile of the window into both planes, its values folded into
  // the running extremes (kept with the top bit flipped for 16-bit values,
  // so that signed compares order them).
  static void LoadTile(const uint16_t* const* rows, int colStart, uint32_t r, uint32_t c,
                       Pixel* source, std::size_t sstride, Pixel* transposed,
                       std::size_t tstride, __m128i& top, __m128i& bottom) {
    __m128i a[8], col[8];
#pragma GCC unroll 8
    for (int k = 0; k < 8; ++k) a[k] = LoadU128(rows[r + k] + colStart + c);
    Transpose8x8(a, col);
    if constexpr (kWide) {
      const __m128i flip = _mm_set1_epi16(static_cast<int16_t>(0x8000));
#pragma GCC unroll 8
      for (int k = 0; k < 8; ++k) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(source + (r + k) * sstride + c), a[k]);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(transposed + (c + k) * tstride + r), col[k]);
        top = _mm_max_epi16(top, _mm_xor_si128(a[k], flip));
        bottom = _mm_min_epi16(bottom, _mm_xor_si128(a[k], flip));
      }
    } else {
      const __m128i low = _mm_set1_epi16(0x00FF);
#pragma GCC unroll 4
      for (int k = 0; k < 8; k += 2) {
        const __m128i rowsK =
            _mm_packus_epi16(_mm_and_si128(a[k], low), _mm_and_si128(a[k + 1], low));
        const __m128i colsK =
            _mm_packus_epi16(_mm_and_si128(col[k], low), _mm_and_si128(col[k + 1], low));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(source + (r + k) * sstride + c), rowsK);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(source + (r + k + 1) * sstride + c),
                         _mm_unpackhi_epi64(rowsK, rowsK));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(transposed + (c + k) * tstride + r), colsK);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(transposed + (c + k + 1) * tstride + r),
                         _mm_unpackhi_epi64(colsK, colsK));
        top = _mm_max_epu8(top, rowsK);
        bottom = _mm_min_epu8(bottom, rowsK);
      }
    }
  }

  static void Load(const uint16_t* const* rows, int colStart, uint32_t r0, uint32_t r1,
                   uint32_t width, Pixel* source, std::size_t sstride, Pixel* transposed,
                   std::size_t tstride, Pixel& hi, Pixel& lo) {
    const uint32_t rEnd = r0 + (r1 - r0) / 8 * 8;
    const uint32_t cEnd = width / 8 * 8;
    // The extremes start at the opposite ends of the value range.
    __m128i top = kWide ? _mm_set1_epi16(static_cast<int16_t>(0x8000)) : _mm_setzero_si128();
    __m128i bottom = kWide ? _mm_set1_epi16(0x7FFF) : _mm_set1_epi8(-1);
    // Strips of 8 whole rows: the matrix is read as 8 sequential streams,
    // and the cache lines of the transposed rows fill over 8 strips.
    for (uint32_t r = r0; r < rEnd; r += 8)
      for (uint32_t c = 0; c < cEnd; c += 8)
        LoadTile(rows, colStart, r, c, source, sstride, transposed, tstride, top, bottom);
    alignas(16) Pixel tops[16 / sizeof(Pixel)];
    alignas(16) Pixel bottoms[16 / sizeof(Pixel)];
    if constexpr (kWide) {
      const __m128i flip = _mm_set1_epi16(static_cast<int16_t>(0x8000));
      top = _mm_xor_si128(top, flip);
      bottom = _mm_xor_si128(bottom, flip);
    }
    _mm_store_si128(reinterpret_cast<__m128i*>(tops), top);
    _mm_store_si128(reinterpret_cast<__m128i*>(bottoms), bottom);
    if (rEnd > r0 && cEnd > 0) {
      for (uint32_t k = 0; k < 16 / sizeof(Pixel); ++k) {
        if (tops[k] > hi) hi = tops[k];
        if (bottoms[k] < lo) lo = bottoms[k];
      }
    }
    if (cEnd < width)
      LoadPlain(rows, colStart, r0, r1, cEnd, width, source, sstride, transposed, tstride, hi, lo);
    if (rEnd < r1)
      LoadPlain(rows, colStart, rEnd, r1, 0, cEnd, source, sstride, transposed, tstride, hi, lo);
  }

  static void Render(const Sum* in, uint8_t* out, uint32_t count, int32_t lo, double scale,
                     int outMin) {
    uint32_t x = 0;
    if constexpr (V::kDoubles > 2) {
      constexpr uint32_t kLanes = V::kDoubles;
      const typename V::Dbl low = V::SetD(lo), times = V::SetD(scale), base = V::SetD(outMin);
      for (; x + kLanes <= count; x += kLanes) {
        // (sum - lo) is exact in doubles, as in the plain loop's 64-bit form.
        const typename V::Dbl v = V::AddD(V::MulD(V::SubD(V::LoadAsD(in + x), low), times), base);
        if (V::FitsI32(v))
          V::StoreLowBytes(v, out + x);
        else
          RenderPlain(in + x, out + x, kLanes, lo, scale, outMin);
      }
    }
    RenderPlain(in + x, out + x, count - x, lo, scale, outMin);
  }
};

// The RowKernelSet of a build whose wrapper is V.
template <class V>
const RowKernelSet& VectorKernelSet(const char* name) {
  using Rows8 = VectorRows<V, uint8_t, int16_t>;
  using Rows16 = VectorRows<V, uint16_t, int32_t>;
  using Planes8 = VectorPlanes<V, uint8_t, int16_t>;
  using Planes16 = VectorPlanes<V, uint16_t, int32_t>;
  static const RowKernelSet set{name,
                                {&Rows8::Init, &Rows8::Update, &Planes8::Load,
                                 &Planes8::template Transpose<uint8_t>,
                                 &Planes8::template Transpose<int16_t>, &Planes8::Render},
                                {&Rows16::Init, &Rows16::Update, &Planes16::Load,
                                 &Planes16::template Transpose<uint16_t>,
                                 &Planes16::template Transpose<int32_t>, &Planes16::Render}};
  return set;
}

}  // namespace veska::VESKA_VECTOR_BUILD
