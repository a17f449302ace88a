#include "engine/row_update.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace veska {

LineParams MakeLineParams(uint32_t hs, uint32_t hb, uint16_t min, uint16_t max) {
  LineParams lp;
  lp.hs = static_cast<int32_t>(hs);
  lp.hb = static_cast<int32_t>(hb);
  lp.min = min;
  lp.max = max;
  lp.loSmall = lp.min + lp.hs;
  lp.spanSmall = std::max(lp.max - lp.hs, lp.loSmall) - lp.loSmall + 1;
  lp.loBig = lp.min + lp.hb;
  lp.spanBig = std::max(lp.max - lp.hb, lp.loBig) - lp.loBig + 1;
  // A flat window has both half-widths 0; f = 0 then starts a line at
  // loSmall = loBig = min, which is p, without dividing by zero.
  lp.unit = max > min ? 0.999999 / (lp.max - lp.min) : 0.0;
  lp.bigConst = lp.hb + lp.min;
  return lp;
}

int SelectScanMode(uint32_t hs, uint32_t hb, uint16_t min, uint16_t max) {
  if (hs == 0) return kBigOnly;
  if (static_cast<int64_t>(hb) == ((int64_t{max} - min + 1) >> 1)) return kSmallOnly;
  return kBoth;
}

namespace {

// The cursor of half-width h around centre c after seeing p. Comparisons in
// int: p + h and p - h may leave the state's range, the result never does
// because every stored centre lies within [min, max].
inline int32_t Follow(int32_t p, int32_t h, int32_t c) {
  return std::max(std::min(p + h, c), p - h);
}

template <typename Pixel>
void InitRowStates(const Pixel* src, Pixel* states, uint32_t W, int mode,
                   const LineParams& lp) {
  for (uint32_t j = 0; j < W; ++j) {
    const LineStart s = InitLineState(src[j], lp);
    switch (mode) {
      case kBoth:
        states[2 * j] = static_cast<Pixel>(s.small);
        states[2 * j + 1] = static_cast<Pixel>(s.big);
        break;
      case kBigOnly:
        states[j] = static_cast<Pixel>(s.big);
        break;
      default:
        states[j] = static_cast<Pixel>(s.small);
        break;
    }
  }
}

// One slope's lines over one row, for a fixed mode and column step. The carry
// holds the updated state of the previously visited column, which moves into
// the current column when the lines shift.
template <int kMode, int kStep, typename Pixel, typename Sum>
void UpdateRowT(const Pixel* src, Sum* sums, Pixel* states, uint32_t W, const LineParams& lp) {
  const int32_t hs = lp.hs;
  const int32_t hb = lp.hb;
  const int32_t bigConst = static_cast<Pixel>(lp.bigConst);
  Pixel carrySmall = 0;
  Pixel carryBig = 0;
  if constexpr (kStep != 0) {
    const LineStart s = InitLineState(src[kStep > 0 ? 0 : W - 1], lp);
    carrySmall = static_cast<Pixel>(s.small);
    carryBig = static_cast<Pixel>(s.big);
  }
  for (uint32_t i = 0; i < W; ++i) {
    const uint32_t x = kStep < 0 ? W - 1 - i : i;
    const int32_t p = src[x];
    int32_t small;
    int32_t big;
    if constexpr (kMode == kBoth) {
      small = Follow(p, hs, states[2 * x]);
      big = Follow(p, hb, states[2 * x + 1]);
    } else if constexpr (kMode == kBigOnly) {
      small = p;
      big = Follow(p, hb, states[x]);
    } else {
      small = Follow(p, hs, states[x]);
      big = bigConst;
    }
    sums[x] = WrapAdd(sums[x], static_cast<Sum>(small - big));

    if constexpr (kStep == 0) {
      if constexpr (kMode == kBoth) {
        states[2 * x] = static_cast<Pixel>(small);
        states[2 * x + 1] = static_cast<Pixel>(big);
      } else {
        states[x] = static_cast<Pixel>(kMode == kBigOnly ? big : small);
      }
    } else {
      if constexpr (kMode == kBoth) {
        states[2 * x] = carrySmall;
        states[2 * x + 1] = carryBig;
      } else {
        states[x] = kMode == kBigOnly ? carryBig : carrySmall;
      }
      carrySmall = static_cast<Pixel>(small);
      carryBig = static_cast<Pixel>(big);
    }
  }
}

template <int kMode, typename Pixel, typename Sum>
void UpdateRowForMode(int step, const Pixel* src, Sum* sums, Pixel* states, uint32_t W,
                      const LineParams& lp) {
  if (step < 0)
    UpdateRowT<kMode, -1>(src, sums, states, W, lp);
  else if (step == 0)
    UpdateRowT<kMode, 0>(src, sums, states, W, lp);
  else
    UpdateRowT<kMode, 1>(src, sums, states, W, lp);
}

template <typename Pixel, typename Sum>
void UpdateRow(int step, const Pixel* src, Sum* sums, Pixel* states, uint32_t W, int mode,
               const LineParams& lp) {
  switch (mode) {
    case kBoth:
      UpdateRowForMode<kBoth>(step, src, sums, states, W, lp);
      break;
    case kBigOnly:
      UpdateRowForMode<kBigOnly>(step, src, sums, states, W, lp);
      break;
    default:
      UpdateRowForMode<kSmallOnly>(step, src, sums, states, W, lp);
      break;
  }
}

template <typename Pixel>
void InitSlopesPlain(const SlopeGroup<Pixel>& group, const Pixel* src) {
  for (uint32_t u = 0; u < group.count; ++u)
    InitRowStates(src, group.states + u * group.stride, group.width, group.mode, *group.lp);
}

template <typename Pixel, typename Sum>
void UpdateSlopesPlain(const SlopeGroup<Pixel>& group, const Pixel* src, Sum* sums,
                       const int8_t* steps, bool overwrite) {
  if (overwrite) std::fill(sums, sums + group.width, Sum{0});
  for (uint32_t u = 0; u < group.count; ++u)
    UpdateRow(steps[u], src, sums, group.states + u * group.stride, group.width, group.mode,
              *group.lp);
}

// Side of the square tiles in which the transposing loops walk the planes,
// so that both the row-major and the column-major side stay in cache.
constexpr uint32_t kTile = 32;

template <typename Pixel>
void LoadRows(const uint16_t* const* rows, int colStart, uint32_t r0, uint32_t r1, uint32_t width,
              Pixel* source, std::size_t sstride, Pixel* transposed, std::size_t tstride, Pixel& hi,
              Pixel& lo) {
  LoadPlain(rows, colStart, r0, r1, 0, width, source, sstride, transposed, tstride, hi, lo);
}

template <typename T>
void TransposeRows(T* plane, std::size_t stride, uint32_t n, uint32_t y0, uint32_t y1) {
  TransposePlain(plane, stride, n, y0, y1, y0);
}

template <typename Pixel, typename Sum>
constexpr RowKernels<Pixel, Sum> kPlainKernels{
    &InitSlopesPlain<Pixel>, &UpdateSlopesPlain<Pixel, Sum>, &LoadRows<Pixel>,
    &TransposeRows<Pixel>,   &TransposeRows<Sum>,           &RenderPlain<Sum>};

struct BuildEntry {
  const RowKernelSet& (*kernels)();
  const char* name;
  bool (*supported)();
};

bool Always() { return true; }

#ifdef VESKA_X86_BUILDS
bool HasSse2() { return __builtin_cpu_supports("sse2"); }
bool HasAvx2() { return __builtin_cpu_supports("avx2"); }
bool HasAvx512() {
  return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
         __builtin_cpu_supports("avx512vl");
}
#endif

// Every build compiled into this program, from the reference to the best.
constexpr BuildEntry kBuilds[] = {
    {&PlainRowKernels, "plain", &Always},
#ifdef VESKA_X86_BUILDS
    {&Sse2RowKernels, "sse2", &HasSse2},
    {&Avx2RowKernels, "avx2", &HasAvx2},
    {&Avx512RowKernels, "avx512", &HasAvx512},
#endif
};

const RowKernelSet& ChooseRowKernels() {
  const RowKernelSet* best = &PlainRowKernels();
  for (const BuildEntry& b : kBuilds)
    if (b.supported()) best = &b.kernels();
  const char* wanted = std::getenv("VESKA_KERNEL");
  if (wanted == nullptr || *wanted == '\0') return *best;
  if (const RowKernelSet* named = FindRowKernels(wanted)) return *named;
  // The one message the engine writes itself: a developer's override that
  // cannot be honoured must not pass unnoticed.
  bool known = false;
  for (const BuildEntry& b : kBuilds) known |= std::string_view(wanted) == b.name;
  std::fprintf(stderr, "veska: VESKA_KERNEL=%s %s; using %s\n", wanted,
               known ? "is not available on this processor" : "names no kernel build",
               best->name);
  return *best;
}

}  // namespace

void InitRowStatesPlain8(const uint8_t* src, uint8_t* states, uint32_t W, int mode,
                         const LineParams& lp) {
  InitRowStates(src, states, W, mode, lp);
}

void InitRowStatesPlain16(const uint16_t* src, uint16_t* states, uint32_t W, int mode,
                          const LineParams& lp) {
  InitRowStates(src, states, W, mode, lp);
}

void UpdateRowPlain8(int step, const uint8_t* src, int16_t* sums, uint8_t* states, uint32_t W,
                     int mode, const LineParams& lp) {
  UpdateRow(step, src, sums, states, W, mode, lp);
}

void UpdateRowPlain16(int step, const uint16_t* src, int32_t* sums, uint16_t* states,
                      uint32_t W, int mode, const LineParams& lp) {
  UpdateRow(step, src, sums, states, W, mode, lp);
}

template <typename Pixel>
void LoadPlain(const uint16_t* const* rows, int colStart, uint32_t r0, uint32_t r1, uint32_t c0,
               uint32_t c1, Pixel* source, std::size_t sstride, Pixel* transposed,
               std::size_t tstride, Pixel& hi, Pixel& lo) {
  for (uint32_t rb = r0; rb < r1; rb += kTile)
    for (uint32_t cb = c0; cb < c1; cb += kTile)
      for (uint32_t r = rb; r < std::min(r1, rb + kTile); ++r) {
        const uint16_t* in = rows[r] + colStart;
        for (uint32_t c = cb; c < std::min(c1, cb + kTile); ++c) {
          const Pixel v = static_cast<Pixel>(in[c]);
          source[r * sstride + c] = v;
          transposed[c * tstride + r] = v;
          hi = std::max(hi, v);
          lo = std::min(lo, v);
        }
      }
}

template <typename T>
void TransposePlain(T* plane, std::size_t stride, uint32_t n, uint32_t y0, uint32_t y1,
                    uint32_t x0) {
  // Tiles of rows y0..y1-1 and kTile columns, so that the columns' rows stay
  // in cache across the tile's rows.
  for (uint32_t xb = x0; xb < n; xb += kTile)
    for (uint32_t y = y0; y < y1; ++y)
      for (uint32_t x = std::max(xb, y + 1); x < std::min(n, xb + kTile); ++x)
        std::swap(plane[y * stride + x], plane[x * stride + y]);
}

template <typename Sum>
void RenderPlain(const Sum* in, uint8_t* out, uint32_t count, int32_t lo, double scale,
                 int outMin) {
  for (uint32_t x = 0; x < count; ++x) {
    const double v = static_cast<double>(int64_t{in[x]} - lo) * scale + outMin;
    out[x] = static_cast<uint8_t>(static_cast<int64_t>(v));
  }
}

template void TransposePlain(uint8_t*, std::size_t, uint32_t, uint32_t, uint32_t, uint32_t);
template void TransposePlain(uint16_t*, std::size_t, uint32_t, uint32_t, uint32_t, uint32_t);
template void TransposePlain(int16_t*, std::size_t, uint32_t, uint32_t, uint32_t, uint32_t);
template void TransposePlain(int32_t*, std::size_t, uint32_t, uint32_t, uint32_t, uint32_t);
template void LoadPlain(const uint16_t* const*, int, uint32_t, uint32_t, uint32_t, uint32_t,
                        uint8_t*, std::size_t, uint8_t*, std::size_t, uint8_t&, uint8_t&);
template void LoadPlain(const uint16_t* const*, int, uint32_t, uint32_t, uint32_t, uint32_t,
                        uint16_t*, std::size_t, uint16_t*, std::size_t, uint16_t&, uint16_t&);
template void RenderPlain(const int16_t*, uint8_t*, uint32_t, int32_t, double, int);
template void RenderPlain(const int32_t*, uint8_t*, uint32_t, int32_t, double, int);

const RowKernelSet& PlainRowKernels() {
  static const RowKernelSet kPlain{"plain", kPlainKernels<uint8_t, int16_t>,
                                   kPlainKernels<uint16_t, int32_t>};
  return kPlain;
}

const RowKernelSet* FindRowKernels(std::string_view name) {
  for (const BuildEntry& b : kBuilds)
    if (name == b.name) return b.supported() ? &b.kernels() : nullptr;
  return nullptr;
}

std::vector<const RowKernelSet*> AvailableRowKernels() {
  std::vector<const RowKernelSet*> builds;
  for (const BuildEntry& b : kBuilds)
    if (b.supported()) builds.push_back(&b.kernels());
  return builds;
}

const RowKernelSet& SelectRowKernels() {
  static const RowKernelSet& chosen = ChooseRowKernels();
  return chosen;
}

}  // namespace veska
