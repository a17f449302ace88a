#include "engine/contrast_kernel.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <cstddef>
#include <utility>

#include "engine/band_schedule.h"
#include "engine/worker_pool.h"
#include "imagelib/status.h"

namespace veska {

namespace {

// The column step of a slope's lines between this row and the next.
inline int ColumnStep(double offset) {
  if (offset < -0.5) return -1;
  if (offset <= 0.5) return 0;
  return 1;
}

// Rows per piece of work that the threads claim in turn when loading,
// combining and rendering: small enough to spread the work evenly, large
// enough that claiming costs nothing measurable.
constexpr uint32_t kLoadRows = 64;  // a multiple of the 8-row load tiles
constexpr uint32_t kRenderRows = 32;
// Rows per piece of the in-place transposes (a multiple of every tile).
constexpr uint32_t kTransposeRows = 32;

// SetKernelDefaults' choice; null and 0 leave it to the process.
std::atomic<const RowKernelSet*> defaultBuild{nullptr};
std::atomic<unsigned> defaultThreads{0};

template <typename Pixel, typename Sum>
RowKernels<Pixel, Sum> VariantKernels(const RowKernelSet* named) {
  const RowKernelSet* build = named != nullptr ? named : defaultBuild.load();
  if (build == nullptr) build = &SelectRowKernels();
  if constexpr (sizeof(Pixel) == 1)
    return build->k8;
  else
    return build->k16;
}

unsigned ThreadsFor(unsigned named) {
  unsigned threads = named != 0 ? named : defaultThreads.load();
  if (threads == 0) threads = DefaultThreadCount();
  return std::min(threads, kMaxKernelThreads);
}

// Where a downward sweep of `height` rows leaves a slope's offset: the
// advance between rows, as the sweep makes it, height - 1 times. An upward
// sweep starts from it, whichever thread ran the downward one.
double OffsetAfterSweep(double slope, uint32_t height) {
  double o = slope;
  for (uint32_t t = 0; t + 1 < height; ++t) {
    if (o > 0.5) o -= 1.0;
    if (o < -0.5) o += 1.0;
    o += slope;
  }
  return o;
}

// One step of a parallel job: items claimed by whichever participant is
// free, counted when done, so that every participant can wait for the whole
// step before the next (a participant may arrive after others have done it
// all, or not at all).
struct JobStep {
  std::atomic<unsigned> next{0};
  std::atomic<unsigned> done{0};

  template <typename Fn>
  void Run(unsigned count, Fn&& fn) {
    for (unsigned i; (i = next.fetch_add(1)) < count;) {
      fn(i);
      if (done.fetch_add(1, std::memory_order_acq_rel) + 1 == count) done.notify_all();
    }
  }
  void Await(unsigned count) {
    for (unsigned d = done.load(std::memory_order_acquire); d < count;) {
      done.wait(d, std::memory_order_acquire);
      d = done.load(std::memory_order_acquire);
    }
  }
};

}  // namespace

void SetKernelDefaults(const KernelOptions& options) {
  defaultBuild.store(options.build);
  defaultThreads.store(options.threads);
}

const RowKernelSet& DefaultKernelBuild() {
  const RowKernelSet* build = defaultBuild.load();
  return build != nullptr ? *build : SelectRowKernels();
}

unsigned DefaultKernelThreads() { return ThreadsFor(0); }

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
ContrastKernel<Pixel, Sum>::ContrastKernel(ProgressCallback callback, bool showProgress,
                                           const KernelOptions& options)
    : showProgress_(showProgress),
      callback_(callback),
      kernels_(VariantKernels<Pixel, Sum>(options.build)),
      threads_(ThreadsFor(options.threads)) {}

template <typename Pixel, typename Sum>
void ContrastKernel<Pixel, Sum>::Destroy() {
  plane_.Reset();
  sum_.Reset();
  FreeRunTables();
}

template <typename Pixel, typename Sum>
void ContrastKernel<Pixel, Sum>::ReleasePixelPlanes() {
  plane_.Reset();
}

template <typename Pixel, typename Sum>
void ContrastKernel<Pixel, Sum>::FreeRunTables() {
  slope_.Reset();
  offset_.Reset();
  lineStates_.Reset();
  lineStarts_.Reset();
  steps_.Reset();
}

template <typename Pixel, typename Sum>
template <typename Fn>
void ContrastKernel<Pixel, Sum>::ForPieces(uint32_t count, uint32_t step, Fn&& fn) const {
  ForEachPiece(threads_, count, step, std::forward<Fn>(fn));
}

template <typename Pixel, typename Sum>
int ContrastKernel<Pixel, Sum>::Load(const uint16_t* const* rows, int rowStart, int colStart,
                                     uint32_t N) {
  if (!plane_.empty()) return status::kRange;
  if (rows == nullptr || rowStart < 0 || colStart < 0 || N == 0) return status::kRange;
  const std::size_t pw = PaddedWidth(N);
  const uint32_t pieces = (N + kLoadRows - 1) / kLoadRows;
  const unsigned used = PrepareWorkers(std::min<uint32_t>(threads_, pieces));
  // No zeroing: every element is written before it is read. The load
  // kernels write the upright rows too; each thread sends its piece's to a
  // scratch block of its own, which stays in cache.
  AlignedArray<Pixel> scratch;
  if (!plane_.Allocate(pw * N) || !scratch.Allocate(pw * kLoadRows * used)) {
    Destroy();
    return status::kNoMemory;
  }
  N_ = N;

  // The threads copy pieces of rows into the plane's columns (in whole tiles
  // of 8 rows where they can), each keeping its own extremes, and pad a share
  // of the plane's rows: the padding repeats a row's last value, which for
  // the transposed rows is the window's last row, read from the matrix.
  Pixel his[kMaxKernelThreads];
  Pixel los[kMaxKernelThreads];
  std::fill(his, his + used, Pixel{0});
  std::fill(los, los + used, static_cast<Pixel>(~Pixel{0}));
  const uint16_t* lastRow = rows[rowStart + N - 1] + colStart;
  std::atomic<uint32_t> next{0};
  RunParallel(used, [&](unsigned i) {
    ClaimPieces(next, N, kLoadRows, [&](uint32_t r0, uint32_t r1) {
      kernels_.load(rows + rowStart + r0, colStart, 0, r1 - r0, N,
                    scratch.data() + pw * kLoadRows * i, pw, plane_.data() + r0, pw, his[i],
                    los[i]);
      const uint32_t piece = r0 / kLoadRows;
      const uint32_t c0 = static_cast<uint32_t>(uint64_t{N} * piece / pieces);
      const uint32_t c1 = static_cast<uint32_t>(uint64_t{N} * (piece + 1) / pieces);
      for (uint32_t c = c0; c < c1; ++c) {
        Pixel* row = plane_.data() + c * pw;
        std::fill(row + N, row + pw, static_cast<Pixel>(lastRow[c]));
      }
    });
  });
  max_ = *std::max_element(his, his + used);
  min_ = *std::min_element(los, los + used);
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
bool ContrastKernel<Pixel, Sum>::FillLineStarts() {
  const LineParams lp = MakeLineParams(hs_, hb_, min_, max_);
  const uint32_t values = uint32_t{max_} - min_ + 1;
  if (!lineStarts_.Allocate(std::size_t{2} * values)) return false;
  for (uint32_t v = 0; v < values; ++v) {
    const LineStart start = InitLineState(static_cast<int32_t>(min_ + v), lp);
    lineStarts_[2 * v] = static_cast<Pixel>(start.small);
    lineStarts_[2 * v + 1] = static_cast<Pixel>(start.big);
  }
  return true;
}

// How the slopes and sweeps of a pass are shared among `groups` threads.
// With an even count the threads form two teams, one per sweep direction,
// and each team shares all slopes: every sum row is read once per sweep, as
// on one thread. With an odd count each thread takes a share of the slopes
// through both sweeps.
template <typename Pixel, typename Sum>
typename ContrastKernel<Pixel, Sum>::GroupWork ContrastKernel<Pixel, Sum>::WorkOf(
    unsigned group, unsigned groups, uint32_t n, bool teams) {
  if (teams) {
    const unsigned members = groups / 2;
    const unsigned member = group / 2;
    return {static_cast<uint32_t>(uint64_t{n} * member / members),
            static_cast<uint32_t>(uint64_t{n} * (member + 1) / members),
            {group % 2 == 0 ? +1 : -1, 0},
            1};
  }
  // Groups start at alternate ends, so that two groups seldom want the same
  // band at the same time.
  const int start = group % 2 == 0 ? +1 : -1;
  return {static_cast<uint32_t>(uint64_t{n} * group / groups),
          static_cast<uint32_t>(uint64_t{n} * (group + 1) / groups),
          {start, -start},
          2};
}

template <typename Pixel, typename Sum>
int ContrastKernel<Pixel, Sum>::Run(uint32_t smallSize, uint32_t bigSize, uint32_t scanCount) {
  if (plane_.empty()) return status::kRange;
  // No zeroing: the first visit of a row overwrites its sums (see the class
  // comment), and without scanlines they are zeroed below.
  if (sum_.empty() && !sum_.Allocate(PaddedWidth(N_) * std::size_t{N_})) return status::kNoMemory;
  n_ = static_cast<uint32_t>((uint64_t{scanCount} + 3) >> 2);  // 2 * s slopes
  groups_ = PrepareWorkers(std::min(threads_, std::max(n_, 1u)));
  teams_ = groups_ % 2 == 0;
  stateStride_ = std::size_t{2} * PaddedWidth(N_);
  // Per pass: the slopes (the second pass's mirrored). Per state set: the
  // offsets, steps and line states, once, or once per sweep direction when
  // the directions run side by side.
  const std::size_t stateSets = teams_ ? 2 : 1;
  if (!lineStates_.Allocate(stateSets * n_ * stateStride_) || !slope_.Allocate(2 * n_) ||
      !offset_.Allocate(2 * n_) || !steps_.Allocate(2 * n_)) {
    FreeRunTables();
    return status::kRange;
  }
  FillSlopeTable(slope_.data(), offset_.data(), n_, K_);
  for (uint32_t u = 0; u < n_; ++u) slope_[n_ + u] = -slope_[u];
  SetHalfWidths(smallSize, bigSize);
  if (!FillLineStarts()) {
    FreeRunTables();
    return status::kRange;
  }
  if (n_ == 0) {
    // No scanlines: no row is ever visited, and the sums stay 0.
    std::fill(sum_.data(), sum_.data() + sum_.size(), Sum{0});
  } else {
    const int r = ScanPasses();
    if (r != status::kOk) return r;
  }
  FreeRunTables();
  return status::kOk;
}

// Both passes: the first pass over the upright plane covers the lines whose
// column step per row lies within [-1, 1]; the second covers the others as
// the same lines over the transposed plane with the slopes mirrored.
// Together with the two sweep directions of each pass, every pixel sees 8*s
// directed scanlines. The plane comes transposed from Load, so the second
// pass runs first and stores its sums; both planes are then transposed in
// place, and the first pass adds its sums.
template <typename Pixel, typename Sum>
int ContrastKernel<Pixel, Sum>::ScanPasses() {
  BandSchedule schedule;
  const uint32_t heights[2] = {N_, N_};
  if (!schedule.Plan(heights, n_, showProgress_, callback_)) return status::kRange;
  // Each step's items are claimed by whichever threads take part; the
  // calling thread, which makes the progress calls, may run several, and
  // keeps making them while the others finish a pass.
  const unsigned groups = groups_;
  const uint64_t passWork = uint64_t{2} * N_ * n_;  // slope-rows of both sweeps
  const std::size_t pw = PaddedWidth(N_);
  const unsigned pieces = (N_ + kTransposeRows - 1) / kTransposeRows;
  constexpr int kPassOrder[2] = {1, 0};
  int results[2][kMaxKernelThreads];
  JobStep passSteps[2];
  JobStep transposeStep;
  RunParallel(groups, [&](unsigned participant) {
    const bool caller = participant == 0;
    for (int k = 0; k < 2; ++k) {
      if (k == 1) {
        // Every group is done with the transposed plane: turn both planes
        // upright, piece by piece; each row's padding repeats its new last
        // value, which its own piece has put in place.
        transposeStep.Run(2 * pieces, [&](unsigned i) {
          const uint32_t y0 = (i % pieces) * kTransposeRows;
          const uint32_t y1 = std::min(N_, y0 + kTransposeRows);
          if (i >= pieces) {
            kernels_.transposeSums(sum_.data(), pw, N_, y0, y1);
            return;
          }
          kernels_.transposePixels(plane_.data(), pw, N_, y0, y1);
          for (uint32_t y = y0; y < y1; ++y) {
            Pixel* row = plane_.data() + y * pw;
            std::fill(row + N_, row + pw, row[N_ - 1]);
          }
        });
        transposeStep.Await(2 * pieces);
      }
      // Every group is claimed and counted, also after a cancel (then
      // without running it), so that no thread waits for a group forever.
      passSteps[k].Run(groups, [&](unsigned g) {
        results[k][g] = schedule.cancelled() ? status::kCancelled
                                             : RunGroup(WorkOf(g, groups, n_, teams_),
                                                        kPassOrder[k], k == 0, caller, schedule);
      });
      if (caller && !schedule.ReportUntil(passWork * (k + 1))) return;
      passSteps[k].Await(groups);
      if (schedule.cancelled()) return;
    }
  });
  if (schedule.cancelled()) return status::kCancelled;
  for (const auto& pass : results)
    for (unsigned g = 0; g < groups; ++g)
      if (pass[g] != status::kOk) return pass[g];
  return status::kOk;
}

// One group's slopes through its sweeps of one pass, band by band. The
// calling thread's group also makes the progress calls.
template <typename Pixel, typename Sum>
int ContrastKernel<Pixel, Sum>::RunGroup(const GroupWork& work, int pass, bool store, bool caller,
                                         BandSchedule& schedule) {
  const uint32_t u0 = work.first;
  const uint32_t u1 = work.last;
  const uint32_t count = u1 - u0;
  const LineParams lp = MakeLineParams(hs_, hb_, min_, max_);
  SlopeGroup<Pixel> slopes;
  slopes.stride = stateStride_;
  slopes.count = count;
  slopes.mode = scanMode();
  slopes.lp = &lp;
  slopes.starts = lineStarts_.data();
  slopes.width = N_;
  slopes.paddedWidth = PaddedWidth(N_);
  const uint32_t height = N_;
  const std::size_t stride = slopes.paddedWidth;
  const Pixel* plane = plane_.data();
  Sum* sums = sum_.data();
  // This pass's slopes (mirrored in the second).
  const double* slope = slope_.data() + std::size_t{n_} * pass;

  for (int k = 0; k < work.sweepCount; ++k) {
    const int d = work.sweeps[k];
    const int set = teams_ && d < 0 ? 1 : 0;
    slopes.states = States(set, u0);
    double* offset = offset_.data() + std::size_t{n_} * set;
    int8_t* steps = steps_.data() + std::size_t{n_} * set + u0;
    // A downward sweep's offsets start at the slopes; an upward sweep's
    // where the downward sweep's last row left them (no advance follows the
    // last row of a sweep).
    for (uint32_t u = u0; u < u1; ++u)
      offset[u] = d > 0 ? slope[u] : OffsetAfterSweep(slope[u], height);
    const uint32_t firstRow = d > 0 ? 0 : height - 1;
    kernels_.init(slopes, plane + firstRow * stride);
    const uint32_t bands = schedule.bands(pass);
    for (uint32_t v = 0; v < bands; ++v) {
      const uint32_t band = d > 0 ? v : bands - 1 - v;
      bool first = false;
      if (!schedule.Enter(pass, band, first)) return status::kCancelled;
      first = first && store;
      const uint32_t begin = band * schedule.bandRows(pass);
      const uint32_t end = std::min(height, begin + schedule.bandRows(pass));
      for (uint32_t i = 0; i < end - begin; ++i) {
        if (schedule.cancelled() || (caller && !schedule.Report(i * count))) {
          schedule.Leave(pass, band, i * count);
          return status::kCancelled;
        }
        const uint32_t y = d > 0 ? begin + i : end - 1 - i;
        const uint32_t t = d > 0 ? y : height - 1 - y;  // rows before this one in the sweep
        for (uint32_t u = u0; u < u1; ++u)
          steps[u - u0] = static_cast<int8_t>(ColumnStep(offset[u]));
        kernels_.update(slopes, plane + y * stride, sums + y * stride, steps, first);
        if (t + 1 < height) {
          for (uint32_t u = u0; u < u1; ++u) {
            double& o = offset[u];
            if (o > 0.5) o -= 1.0;
            if (o < -0.5) o += 1.0;
            o += d * slope[u];
          }
        }
      }
      schedule.Leave(pass, band, (end - begin) * count);
    }
  }
  return status::kOk;
}

template <typename Pixel, typename Sum>
int ContrastKernel<Pixel, Sum>::Render(uint8_t* const* outRows, int row0, int col0, int rows,
                                       int cols, int outMin, int outMax) const {
  if (sum_.empty() || outRows == nullptr) return status::kRange;
  if (row0 < 0 || col0 < 0 || rows < 0 || cols < 0 || int64_t{row0} + rows > N_ ||
      int64_t{col0} + cols > N_)
    return status::kRange;
  int32_t lo, hi;
  RenderBounds(lo, hi);
  // A window with nothing to scale (lo == hi) renders outMin everywhere.
  const double scale =
      lo < hi ? 0.999999 / (int64_t{hi} - lo) * (outMax - outMin + 1) : 0.0;
  const std::size_t stride = sumStride();
  ForPieces(static_cast<uint32_t>(rows), kRenderRows, [&](uint32_t y0, uint32_t y1) {
    for (uint32_t y = y0; y < y1; ++y)
      kernels_.render(sum_.data() + (row0 + y) * stride + col0, outRows[y],
                      static_cast<uint32_t>(cols), lo, scale, outMin);
  });
  return status::kOk;
}

template class ContrastKernel<uint8_t, int16_t>;
template class ContrastKernel<uint16_t, int32_t>;

KernelVariant ChooseKernelVariant(uint16_t matrixMax, uint16_t s) {
  return matrixMax < 256 && s < 32 ? KernelVariant::k8Bit : KernelVariant::k16Bit;
}

namespace {

// Loads, runs and renders one window. `output()` gives the rows to render
// into (nullptr when they cannot be had); it is asked only once the sums are
// complete and the pixel plane is given back, so that new output rows can
// reuse their memory.
template <typename Kernel, typename Output>
int RunVariant(const LuminanceMatrix& matrix, Output& output, const KernelRequest& request) {
  const WindowPlacement& win = request.window;
  const bool showProgress = request.progress.fn != nullptr;
  Kernel kernel(request.progress, showProgress, request.options);
  int r = kernel.Load(matrix.rows, win.rowStart, win.colStart, static_cast<uint32_t>(win.side));
  if (r != status::kOk) return r;
  const uint16_t small = matrix.smallSize, big = matrix.bigSize;
  request.windowLoaded();  // may free the matrix's rows
  r = kernel.Run(small, big, 8u * request.scanlines);
  if (r != status::kOk) return r;
  kernel.ReleasePixelPlanes();
  uint8_t* const* outRows = output();
  if (outRows == nullptr) return status::kNoMemory;
  return kernel.Render(outRows, win.row0, win.col0, request.rows, request.cols, request.outMin,
                       request.outMax);
}

template <typename Output>
int RunKernelInto(const LuminanceMatrix& matrix, Output&& output, const KernelRequest& request) {
  // The window must lie inside the matrix; the region is checked by Render.
  const WindowPlacement& win = request.window;
  if (!matrix.HasRows() || win.side <= 0 || win.rowStart < 0 || win.colStart < 0 ||
      win.rowStart + win.side > matrix.side || win.colStart + win.side > matrix.side)
    return status::kRange;
  const int r = ChooseKernelVariant(matrix.max, request.scanlines) == KernelVariant::k8Bit
                    ? RunVariant<ContrastKernel8>(matrix, output, request)
                    : RunVariant<ContrastKernel16>(matrix, output, request);
  // A cancel gives back everything, the planes kept for reuse included.
  if (r == status::kCancelled) ReleaseCachedBlocks();
  return r;
}

}  // namespace

int RunKernel(const LuminanceMatrix& matrix, uint8_t** outRows, const KernelRequest& request) {
  if (outRows == nullptr) return status::kRange;
  return RunKernelInto(matrix, [outRows] { return outRows; }, request);
}

int RunKernel(const LuminanceMatrix& matrix, ChannelResult& result, const KernelRequest& request) {
  return RunKernelInto(
      matrix,
      [&]() -> uint8_t* const* {
        // Render writes every byte of the rows.
        return result.Allocate(request.cols, request.rows, InitialContents::kOverwritten)
                   ? result.Rows()
                   : nullptr;
      },
      request);
}

}  // namespace veska
