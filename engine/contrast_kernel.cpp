#include "engine/contrast_kernel.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstring>

#include "imagelib/status.h"

namespace veska {

namespace {

// Side of the square tiles in which the transposing copies walk the planes,
// so that both the row-major and the column-major side stay in cache.
constexpr uint32_t kTile = 32;

// The column step of a slope's lines between this row and the next.
inline int ColumnStep(double offset) {
  if (offset < -0.5) return -1;
  if (offset <= 0.5) return 0;
  return 1;
}

template <typename Pixel, typename Sum>
const RowKernels<Pixel, Sum>& ProcessRowKernels() {
  if constexpr (sizeof(Pixel) == 1)
    return SelectRowKernels().k8;
  else
    return SelectRowKernels().k16;
}

}  // namespace

void FillSlopeTable(double* slope, double* offset, uint32_t n, uint32_t& K) {
  for (uint32_t i = 0; i < n; ++i) {
    const uint32_t c = K;  // 4 * i
    double value;
    if (i == 0) {
      value = 0.0;  // straight along the columns of the pass
    } else if (i == 1) {
      value = 1.0;  // the diagonal
    } else {
      const int k = std::bit_width(c >> 3);  // floor(log2 i)
      const double D = std::pow(2.0, k + 1.0);
      const double angle = ((c >> 1) + 1.0 - D) / D * 1.570796327 + 0.785398163;
      value = 1.0 / std::tan(angle);
    }
    slope[i] = value;
    offset[i] = value;
    K += 4;
  }
}

template <typename Pixel, typename Sum>
ContrastKernel<Pixel, Sum>::ContrastKernel(ProgressCallback callback, bool showProgress)
    : ContrastKernel(callback, showProgress, ProcessRowKernels<Pixel, Sum>()) {}

template <typename Pixel, typename Sum>
ContrastKernel<Pixel, Sum>::ContrastKernel(ProgressCallback callback, bool showProgress,
                                           const Kernels& kernels)
    : showProgress_(showProgress), callback_(callback), kernels_(kernels) {}

template <typename Pixel, typename Sum>
void ContrastKernel<Pixel, Sum>::Destroy() {
  source_.Reset();
  transposed_.Reset();
  sum_.Reset();
  transposedSum_.Reset();
  FreeRunTables();
}

template <typename Pixel, typename Sum>
void ContrastKernel<Pixel, Sum>::FreeRunTables() {
  slope_.Reset();
  offset_.Reset();
  lineStates_.Reset();
}

template <typename Pixel, typename Sum>
int ContrastKernel<Pixel, Sum>::Load(const uint16_t* const* rows, int rowStart, int colStart,
                                     uint32_t W, uint32_t H) {
  if (!source_.empty()) return status::kRange;
  if (rows == nullptr || rowStart < 0 || colStart < 0 || W == 0 || H == 0)
    return status::kRange;
  const std::size_t count = std::size_t{W} * H;
  if (!source_.Allocate(count) || !transposed_.Allocate(count) || !sum_.Allocate(count) ||
      !transposedSum_.Allocate(count)) {
    Destroy();
    return status::kNoMemory;
  }
  std::memset(sum_.data(), 0, count * sizeof(Sum));
  std::memset(transposedSum_.data(), 0, count * sizeof(Sum));
  W_ = W;
  H_ = H;

  Pixel hi = 0;
  Pixel lo = static_cast<Pixel>(~Pixel{0});
  for (uint32_t r = 0; r < H; ++r) {
    const uint16_t* in = rows[rowStart + r] + colStart;
    Pixel* out = source_.data() + std::size_t{r} * W;
    for (uint32_t c = 0; c < W; ++c) {
      const Pixel v = static_cast<Pixel>(in[c]);
      out[c] = v;
      hi = std::max(hi, v);
      lo = std::min(lo, v);
    }
  }
  max_ = hi;
  min_ = lo;

  const Pixel* src = source_.data();
  Pixel* dst = transposed_.data();
  for (uint32_t r0 = 0; r0 < H; r0 += kTile)
    for (uint32_t c0 = 0; c0 < W; c0 += kTile)
      for (uint32_t c = c0; c < std::min(W, c0 + kTile); ++c)
        for (uint32_t r = r0; r < std::min(H, r0 + kTile); ++r)
          dst[std::size_t{c} * H + r] = src[std::size_t{r} * W + c];
  return status::kOk;
}

template <typename Pixel, typename Sum>
void ContrastKernel<Pixel, Sum>::SetHalfWidths(uint32_t smallSize, uint32_t bigSize) {
  hs_ = static_cast<uint16_t>(smallSize >> 1);
  hb_ = static_cast<uint16_t>(bigSize >> 1);
  const uint32_t cap = static_cast<uint32_t>((max_ - min_ + 1) / 2);
  hs_ = std::min(hs_, cap);
  hb_ = std::min(hb_, cap);
  if (hb_ != 0 && hs_ >= hb_) hs_ = hb_;
}

template <typename Pixel, typename Sum>
void ContrastKernel<Pixel, Sum>::RenderBounds(int32_t& lo, int32_t& hi) const {
  // Computed wide and narrowed to 32 bits, as the sums themselves wrap.
  const int64_t spread = int64_t{hb_} - int64_t{hs_};
  lo = static_cast<int32_t>(-spread * K_);
  hi = static_cast<int32_t>(spread * K_);
  if (max_ - min_ + 1 <= int64_t{2} * hb_ && hi > 0) hi = static_cast<int32_t>(int64_t{hi} - K_);
}

template <typename Pixel, typename Sum>
int ContrastKernel<Pixel, Sum>::Run(uint32_t smallSize, uint32_t bigSize, uint32_t scanCount) {
  if (source_.empty()) return status::kRange;
  n_ = static_cast<uint32_t>((uint64_t{scanCount} + 3) >> 2);  // 2 * s slopes
  stateStride_ = std::size_t{2} * std::max(W_, H_);
  if (!lineStates_.Allocate(std::size_t{n_} * stateStride_) || !slope_.Allocate(n_) ||
      !offset_.Allocate(n_)) {
    FreeRunTables();
    return status::kRange;
  }
  FillSlopeTable(slope_.data(), offset_.data(), n_, K_);
  SetHalfWidths(smallSize, bigSize);

  // First pass: lines whose column step per row lies within [-1, 1].
  int r = ScanPass(source_.data(), sum_.data(), W_, H_);
  if (r != status::kOk) return r;
  // Second pass: the other half of the directions, as the same lines over
  // the transposed plane with the slopes mirrored.
  for (uint32_t u = 0; u < n_; ++u) {
    slope_[u] = -slope_[u];
    offset_[u] = slope_[u];
  }
  r = ScanPass(transposed_.data(), transposedSum_.data(), H_, W_);
  if (r != status::kOk) return r;
  Combine();
  FreeRunTables();
  return status::kOk;
}

// One pass over a plane: every slope's lines swept downward, then upward.
//
// Independence (what allows splitting a pass over threads): the offsets and
// line states of one slope evolve from that slope and the plane alone, never
// from another slope or from the sums. The sum plane is only ever added to,
// with wrap-around arithmetic, which is associative and commutative; so the
// slopes may be partitioned into groups, each group swept into its own zeroed
// sum plane, and the planes added together by wrap-around addition: the
// result is bit-identical to the single sweep. Only the progress callback
// must stay on the calling thread.
template <typename Pixel, typename Sum>
int ContrastKernel<Pixel, Sum>::ScanPass(const Pixel* plane, Sum* sums, uint32_t Wp,
                                         uint32_t Hp) {
  const double progressStep = 25.0 / Hp;
  double progress = 0.0f;
  const int mode = scanMode();
  const LineParams lp = MakeLineParams(hs_, hb_, min_, max_);
  int r = Sweep(+1, plane, sums, Wp, Hp, mode, lp, progressStep, progress);
  if (r != status::kOk) return r;
  // The offsets carry over: the upward sweep's first row uses the offsets of
  // the downward sweep's last row.
  return Sweep(-1, plane, sums, Wp, Hp, mode, lp, progressStep, progress);
}

template <typename Pixel, typename Sum>
int ContrastKernel<Pixel, Sum>::Sweep(int d, const Pixel* plane, Sum* sums, uint32_t Wp,
                                      uint32_t Hp, int mode, const LineParams& lp,
                                      double progressStep, double& progress) {
  const std::size_t firstRow = d > 0 ? 0 : Hp - 1;
  const Pixel* src = plane + firstRow * Wp;
  Sum* sumRow = sums + firstRow * Wp;
  for (uint32_t u = 0; u < n_; ++u) kernels_.init(src, States(u), Wp, mode, lp);

  for (uint32_t t = 0; t < Hp; ++t) {
    if (showProgress_) {
      progress += progressStep;
      if (progress >= 1.0) {
        progress -= 1.0;
        if (callback_()) return status::kCancelled;
      }
    }
    for (uint32_t u = 0; u < n_; ++u)
      kernels_.update(ColumnStep(offset_[u]), src, sumRow, States(u), Wp, mode, lp);
    if (t + 1 < Hp) AdvanceRow(d, src, sumRow, Wp);
  }
  return status::kOk;
}

template <typename Pixel, typename Sum>
void ContrastKernel<Pixel, Sum>::AdvanceRow(int d, const Pixel*& src, Sum*& sums, uint32_t Wp) {
  for (uint32_t u = 0; u < n_; ++u) {
    double& o = offset_[u];
    if (o > 0.5) o -= 1.0;
    if (o < -0.5) o += 1.0;
    o += d * slope_[u];
  }
  const std::ptrdiff_t move = static_cast<std::ptrdiff_t>(d) * Wp;
  src += move;
  sums += move;
}

template <typename Pixel, typename Sum>
void ContrastKernel<Pixel, Sum>::Combine() {
  Sum* sum = sum_.data();
  Sum* tsum = transposedSum_.data();
  for (uint32_t y0 = 0; y0 < H_; y0 += kTile)
    for (uint32_t x0 = 0; x0 < W_; x0 += kTile)
      for (uint32_t x = x0; x < std::min(W_, x0 + kTile); ++x)
        for (uint32_t y = y0; y < std::min(H_, y0 + kTile); ++y) {
          Sum& t = tsum[std::size_t{x} * H_ + y];
          Sum& s = sum[std::size_t{y} * W_ + x];
          s = WrapAdd(s, t);
          t = 0;
        }
}

template <typename Pixel, typename Sum>
int ContrastKernel<Pixel, Sum>::Render(uint8_t* const* outRows, int row0, int col0, int rows,
                                       int cols, int outMin, int outMax) const {
  if (sum_.empty() || outRows == nullptr) return status::kRange;
  if (row0 < 0 || col0 < 0 || rows < 0 || cols < 0 || int64_t{row0} + rows > H_ ||
      int64_t{col0} + cols > W_)
    return status::kRange;
  int32_t lo, hi;
  RenderBounds(lo, hi);
  // A window with nothing to scale (lo == hi) renders outMin everywhere.
  const double scale =
      lo < hi ? 0.999999 / (int64_t{hi} - lo) * (outMax - outMin + 1) : 0.0;
  for (int y = 0; y < rows; ++y) {
    const Sum* in = sum_.data() + std::size_t(row0 + y) * W_ + col0;
    uint8_t* out = outRows[y];
    for (int x = 0; x < cols; ++x) {
      const double v = static_cast<double>(int64_t{in[x]} - lo) * scale + outMin;
      out[x] = static_cast<uint8_t>(static_cast<int64_t>(v));
    }
  }
  return status::kOk;
}

template class ContrastKernel<uint8_t, int16_t>;
template class ContrastKernel<uint16_t, int32_t>;

KernelVariant ChooseKernelVariant(uint16_t matrixMax, uint16_t s) {
  return matrixMax < 256 && s < 32 ? KernelVariant::k8Bit : KernelVariant::k16Bit;
}

namespace {

bool StepSink(void* context) { return static_cast<ProgressSink*>(context)->Step(); }

template <typename Kernel>
int RunVariant(const LuminanceMatrix& matrix, uint8_t** outRows, uint16_t s, int rowStart,
               int colStart, int N, int row0, int col0, int rows, int cols,
               ProgressCallback callback, bool showProgress, int outMin, int outMax) {
  Kernel kernel(callback, showProgress);
  int r = kernel.Load(matrix.rows, rowStart, colStart, static_cast<uint32_t>(N),
                      static_cast<uint32_t>(N));
  if (r != status::kOk) return r;
  r = kernel.Run(matrix.smallSize, matrix.bigSize, 8u * s);
  if (r != status::kOk) return r;
  return kernel.Render(outRows, row0, col0, rows, cols, outMin, outMax);
}

}  // namespace

int RunKernel(const LuminanceMatrix& matrix, uint8_t** outRows, uint16_t s, int rowStart,
              int colStart, int N, int row0, int col0, int rows, int cols, bool showProgress,
              ProgressSink* progress, int outMin, int outMax) {
  // The window must lie inside the matrix; the region is checked by Render.
  if (!matrix.HasRows() || outRows == nullptr || N <= 0 || rowStart < 0 || colStart < 0 ||
      rowStart + N > matrix.side || colStart + N > matrix.side)
    return status::kRange;
  ProgressCallback callback;
  if (progress != nullptr) callback = {&StepSink, progress};
  showProgress = showProgress && progress != nullptr;
  if (ChooseKernelVariant(matrix.max, s) == KernelVariant::k8Bit)
    return RunVariant<ContrastKernel8>(matrix, outRows, s, rowStart, colStart, N, row0, col0,
                                       rows, cols, callback, showProgress, outMin, outMax);
  return RunVariant<ContrastKernel16>(matrix, outRows, s, rowStart, colStart, N, row0, col0,
                                      rows, cols, callback, showProgress, outMin, outMax);
}

}  // namespace veska
