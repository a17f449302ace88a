// The resampling arithmetic of Resize, written once for any sample grid so
// that 8-bit pixel channels and 16-bit channel planes are resized with exactly
// the same method and fixed-point arithmetic.
//
// Methods: replication maps every destination index d to the source index
// d * source size / destination size. Interpolation steps source size * 32768
// / destination size per destination pixel (15 fractional bits): when either
// step is at most 32768 (one axis keeps its size or grows), each destination
// pixel is the bilinear blend of the four source samples around
// (x * step x / 32768, y * step y / 32768) weighted by the fractional parts;
// when both axes shrink, each destination pixel is the truncated average of
// the block of source samples it covers, [d * src / dst, (d + 1) * src / dst).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <type_traits>

namespace veska {

enum class ResampleMethod { kReplicate, kBilinear, kBlockAverage };

// One fractional unit of the fixed-point positions: 1 << 15.
constexpr uint32_t kResampleOne = 32768;

// The fixed-point step per destination pixel along one axis.
inline uint64_t ResampleStep(int sourceSize, int destinationSize) {
  return uint64_t(sourceSize) * kResampleOne / uint64_t(destinationSize);
}

// The method the resize rule picks for `method` (1 interpolates, anything
// else replicates) and the sizes of the two rectangles.
ResampleMethod ChooseResampleMethod(int method, int sourceWidth, int sourceHeight,
                                    int destinationWidth, int destinationHeight);

// Per-axis index tables of one resampling: for replication `first` is the
// source index; for bilinear `first` and `second` are the two neighbours
// (the second clamped to the last sample) and `fraction` the weight of the
// second; for block averaging [first, second) is the covered block.
struct AxisMap {
  std::unique_ptr<int[]> first;
  std::unique_ptr<int[]> second;
  std::unique_ptr<uint32_t[]> fraction;
};

// Fills `map` for `destinationSize` entries; false when memory fails.
bool BuildAxisMap(ResampleMethod method, int sourceSize, int destinationSize, AxisMap& map);

// A rectangle of one channel's samples reached by base address and pitches:
// sample (x, y), y counted from the top, is at top[y * rowPitch + x * step]
// (pitches in elements; rowPitch is negative for bottom-up buffers).
template <typename T>
struct StridedGrid {
  T* top;
  ptrdiff_t rowPitch;
  ptrdiff_t step;
  int width;
  int height;
  T* Row(int y) const { return top + y * rowPitch; }
};

// A rectangle of samples in separately allocated rows (a luminance matrix):
// image row y lives in rows[firstRow + y * rowDirection], starting at column
// `firstColumn`; rowDirection is -1 when the rows run bottom-up.
template <typename T>
struct RowTableGrid {
  T* const* rows;
  int firstRow;
  int rowDirection;
  int firstColumn;
  int width;
  int height;
  static constexpr ptrdiff_t step = 1;
  T* Row(int y) const { return rows[firstRow + y * rowDirection] + firstColumn; }
};

namespace resample_detail {

template <typename Src, typename Dst>
void Replicate(const Src& src, const Dst& dst, const AxisMap& xs, const AxisMap& ys) {
  for (int y = 0; y < dst.height; ++y) {
    const auto* in = src.Row(ys.first[y]);
    auto* out = dst.Row(y);
    for (int x = 0; x < dst.width; ++x) out[x * dst.step] = in[xs.first[x] * src.step];
  }
}

template <typename Src, typename Dst>
void Bilinear(const Src& src, const Dst& dst, const AxisMap& xs, const AxisMap& ys) {
  using Out = std::remove_const_t<std::remove_reference_t<decltype(*dst.Row(0))>>;
  for (int y = 0; y < dst.height; ++y) {
    const auto* upper = src.Row(ys.first[y]);
    const auto* lower = src.Row(ys.second[y]);
    const uint64_t fy = ys.fraction[y];
    auto* out = dst.Row(y);
    for (int x = 0; x < dst.width; ++x) {
      const ptrdiff_t a = xs.first[x] * src.step;
      const ptrdiff_t b = xs.second[x] * src.step;
      const uint64_t fx = xs.fraction[x];
      const uint64_t top = upper[a] * (kResampleOne - fx) + upper[b] * fx;
      const uint64_t bottom = lower[a] * (kResampleOne - fx) + lower[b] * fx;
      out[x * dst.step] = Out((top * (kResampleOne - fy) + bottom * fy) >> 30);
    }
  }
}

template <typename Src, typename Dst>
void BlockAverage(const Src& src, const Dst& dst, const AxisMap& xs, const AxisMap& ys) {
  using Out = std::remove_const_t<std::remove_reference_t<decltype(*dst.Row(0))>>;
  for (int y = 0; y < dst.height; ++y) {
    auto* out = dst.Row(y);
    for (int x = 0; x < dst.width; ++x) {
      uint64_t sum = 0;
      for (int sy = ys.first[y]; sy < ys.second[y]; ++sy) {
        const auto* in = src.Row(sy);
        for (int sx = xs.first[x]; sx < xs.second[x]; ++sx) sum += in[sx * src.step];
      }
      const uint64_t count =
          uint64_t(ys.second[y] - ys.first[y]) * uint64_t(xs.second[x] - xs.first[x]);
      out[x * dst.step] = Out(sum / count);
    }
  }
}

}  // namespace resample_detail

// Axis tables of one resampling, built once and applied to any number of
// channel grids of the same sizes.
class Resampler {
 public:
  // False when memory fails (the caller reports kNoMemory). Sizes must be positive.
  bool Prepare(ResampleMethod method, int sourceWidth, int sourceHeight, int destinationWidth,
               int destinationHeight) {
    method_ = method;
    return BuildAxisMap(method, sourceWidth, destinationWidth, xs_) &&
           BuildAxisMap(method, sourceHeight, destinationHeight, ys_);
  }

  // Resamples `src` onto `dst`, whose sizes must be those given to Prepare.
  template <typename Src, typename Dst>
  void Run(const Src& src, const Dst& dst) const {
    switch (method_) {
      case ResampleMethod::kReplicate:
        resample_detail::Replicate(src, dst, xs_, ys_);
        break;
      case ResampleMethod::kBilinear:
        resample_detail::Bilinear(src, dst, xs_, ys_);
        break;
      case ResampleMethod::kBlockAverage:
        resample_detail::BlockAverage(src, dst, xs_, ys_);
        break;
    }
  }

  const AxisMap& Columns() const { return xs_; }
  const AxisMap& Rows() const { return ys_; }

 private:
  ResampleMethod method_ = ResampleMethod::kReplicate;
  AxisMap xs_;
  AxisMap ys_;
};

// Resizes a top-down array of 16-bit samples (rows of `sourceWidth` values,
// contiguous) onto another with the method that Resize would use for an image
// of those sizes (`method` as in Resize). kOk, kRange for a zero or negative size or
// a null array, -14 when memory fails.
int ResamplePlane16(const uint16_t* source, int sourceWidth, int sourceHeight,
                    uint16_t* destination, int destinationWidth, int destinationHeight,
                    int method);

}  // namespace veska
