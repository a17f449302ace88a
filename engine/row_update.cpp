#include "engine/row_update.h"

#include <algorithm>

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

const RowKernelSet& PlainRowKernels() {
  static const RowKernelSet kPlain{"plain",
                                   {&InitRowStatesPlain8, &UpdateRowPlain8},
                                   {&InitRowStatesPlain16, &UpdateRowPlain16}};
  return kPlain;
}

const RowKernelSet& SelectRowKernels() { return PlainRowKernels(); }

}  // namespace veska
