// The contrast kernel: the local-contrast enhancement that turns a square
// window of one luminance channel into an 8-bit enhanced channel.
//
// Through every pixel run 8*s straight scanlines, s per octant of directions.
// Along each, a small and a big cursor follow the signal (see row_update.h),
// and the difference of their centres is summed per pixel; the sums, scaled
// linearly to the output range, are the result.
//
// The kernel exists in two storage variants that run the same steps with the
// same constants and give identical output where both are valid:
//   8-bit:  planes and line states in bytes, sums in int16 (values < 256 and
//           s < 32, so that |sum| <= 128 * 8 * 31 fits);
//   16-bit: planes and line states in uint16, sums in int32.
// Sums wrap around in their own width in both.
#pragma once

#include <cstddef>
#include <cstdint>

#include "imagelib/aligned_array.h"
#include "engine/band_schedule.h"
#include "engine/channel_result.h"
#include "engine/luminance_matrix.h"
#include "engine/progress.h"
#include "engine/row_update.h"

namespace veska {

// Fills slope[0..n) and offset[0..n) and raises K by 4 per slope. Slopes are
// column steps per row: 0, 1, then for i >= 2 the cotangent of pi/4 plus an
// odd multiple of pi/2^(k+2), k = floor(log2 i), which halves the interval
// between the two diagonals progressively. The angle constants are the
// decimal values 1.570796327 and 0.785398163, not exact pi/2 and pi/4.
void FillSlopeTable(double* slope, double* offset, uint32_t n, uint32_t& K);

// How a kernel runs: which row-kernel build and how many threads. Results are
// bit-identical for every build and thread count.
struct KernelOptions {
  const RowKernelSet* build = nullptr;  // nullptr: the process's choice (SelectRowKernels)
  unsigned threads = 0;                 // 0: DefaultThreadCount()
};

// Sets the build and thread count of later kernel runs that do not name
// their own, as for a run through the processing driver; {} restores the
// process's choice. Meant for benchmarks and tests; call it while no kernel
// runs.
void SetKernelDefaults(const KernelOptions& options);
// The build and thread count of a run that names neither: SetKernelDefaults'
// choice, else the process's. The luminance build and the write-back share
// them with the kernel.
const RowKernelSet& DefaultKernelBuild();
unsigned DefaultKernelThreads();

// The window is square, N x N. The kernel holds one pixel plane and one sum
// plane, rows padded to PaddedWidth(N) elements (row y starts at
// y * PaddedWidth(N)); the padding repeats a row's last value in the pixel
// plane and holds no result in the sum plane. The passes run one after the
// other: Load writes the pixel plane transposed, the second pass runs over it
// and stores its sums; then both planes are transposed in place, and the
// first pass adds its sums over the upright plane. Holding one plane of each
// instead of two halves the kernel's memory.
//
// Threads: a pass splits its work into one group per thread: with an even
// thread count the two sweep directions run side by side, each on a team
// that shares all slopes (an upward sweep starts from the offsets the
// downward sweep ends with, which depend on the slope and the height alone);
// with an odd count each group takes a share of the slopes through both
// sweeps. A slope's line states and offsets evolve from the plane and that
// slope alone, and the sums are only ever added to with wrap-around
// arithmetic, which is associative and commutative; so groups may add into
// the sum plane in any order, provided no two touch a row at the same time
// (BandSchedule). Only the calling thread reports progress and sees a cancel;
// the others stop at their next row.
template <typename Pixel, typename Sum>
class ContrastKernel {
 public:
  using Kernels = RowKernels<Pixel, Sum>;

  ContrastKernel(ProgressCallback callback, bool showProgress, const KernelOptions& options = {});
  ContrastKernel(const ContrastKernel&) = delete;
  ContrastKernel& operator=(const ContrastKernel&) = delete;
  ~ContrastKernel() { Destroy(); }

  // Copies rows rowStart..rowStart+N-1, columns colStart..colStart+N-1 of a
  // luminance matrix (values truncated to the plane width) into the pixel
  // plane, transposed, and records the window's max and min; the matrix is
  // not read again. kRange when a window is already loaded or the arguments
  // are unusable, kNoMemory when the plane cannot be allocated.
  int Load(const uint16_t* const* rows, int rowStart, int colStart, uint32_t N);
  // Runs both passes with cursor sizes (small, big) and scanCount = 8*s
  // directed scanlines per pixel. The sum plane is allocated here rather
  // than by Load, so that a caller done with the matrix can free it first.
  // kOk, kNoMemory (the sum plane), kRange (not loaded, or the tables could
  // not be allocated: unlike kNoMemory, as the kernel has always answered a
  // failed setup) or kCancelled (through the callback).
  int Run(uint32_t smallSize, uint32_t bigSize, uint32_t scanCount);
  // Scales the sums of window rows row0.. and columns col0.. into
  // outMin..outMax and writes them to outRows[row][column]. kRange when nothing
  // is loaded or the region leaves the window, else kOk.
  int Render(uint8_t* const* outRows, int row0, int col0, int rows, int cols, int outMin,
             int outMax) const;
  // Gives back the pixel plane, which Render does not need: once Run has
  // completed, its memory can serve the output rows.
  void ReleasePixelPlanes();
  // Frees the planes, tables and line states; the kernel is empty again.
  void Destroy();

  uint32_t directionCount() const { return K_; }
  uint32_t smallHalfWidth() const { return hs_; }
  uint32_t bigHalfWidth() const { return hb_; }
  uint16_t maxValue() const { return max_; }
  uint16_t minValue() const { return min_; }
  // The pass mode (ScanMode) implied by the half-widths and the value range.
  int scanMode() const { return SelectScanMode(hs_, hb_, min_, max_); }
  // The sum range Render maps onto the output: lo = (hs - hb) * K, hi = -lo,
  // reduced by K when the big cursor covers the whole value range (its centre
  // then never rises above min + hb, which caps every difference one lower).
  void RenderBounds(int32_t& lo, int32_t& hi) const;
  // The final sum of window row y, column x (valid after Run).
  Sum sum(uint32_t y, uint32_t x) const { return sum_[y * sumStride() + x]; }
  // The threads this kernel runs with.
  unsigned threadCount() const { return threads_; }

 private:
  std::size_t sumStride() const { return PaddedWidth(N_); }
  void SetHalfWidths(uint32_t smallSize, uint32_t bigSize);
  bool FillLineStarts();
  int ScanPasses();
  // One thread's share of a pass: slopes first..last-1 through the sweeps
  // listed (+1 downward, -1 upward), in that order.
  struct GroupWork {
    uint32_t first, last;
    int sweeps[2];
    int sweepCount;
  };
  static GroupWork WorkOf(unsigned group, unsigned groups, uint32_t n, bool teams);
  // One group's work over pass `pass`; `store` when this pass is the first
  // to visit the sum rows.
  int RunGroup(const GroupWork& work, int pass, bool store, bool caller, BandSchedule& schedule);
  // Slope u's line states in state set `set` (one per sweep direction when
  // the directions run side by side).
  Pixel* States(int set, uint32_t u) {
    return lineStates_.data() + (std::size_t{n_} * set + u) * stateStride_;
  }
  void FreeRunTables();
  // Runs fn(begin, end) over [0, count) cut into pieces of `step`, which the
  // threads claim in turn.
  template <typename Fn>
  void ForPieces(uint32_t count, uint32_t step, Fn&& fn) const;

  AlignedArray<Pixel> plane_;  // N rows of PaddedWidth(N): transposed, then upright
  AlignedArray<Sum> sum_;      // like plane_, upright once Run is done
  uint32_t hs_ = 0;
  uint32_t hb_ = 0;
  uint32_t N_ = 0;
  uint32_t K_ = 0;
  uint16_t max_ = 0;
  uint16_t min_ = 65535;
  bool showProgress_;
  ProgressCallback callback_;
  uint32_t n_ = 0;
  AlignedArray<double> slope_;      // per pass, n each: the table, then mirrored
  AlignedArray<double> offset_;     // per state set, n each
  AlignedArray<Pixel> lineStates_;  // per state set, n regions of stateStride_ elements
  std::size_t stateStride_ = 0;
  AlignedArray<Pixel> lineStarts_;  // InitLineState by value, see SlopeGroup::starts
  AlignedArray<int8_t> steps_;      // per state set, each slope's column step for the current row
  Kernels kernels_;
  unsigned threads_;
  unsigned groups_ = 1;  // threads of the current run
  bool teams_ = false;   // whether the sweep directions run side by side
};

using ContrastKernel8 = ContrastKernel<uint8_t, int16_t>;
using ContrastKernel16 = ContrastKernel<uint16_t, int32_t>;
extern template class ContrastKernel<uint8_t, int16_t>;
extern template class ContrastKernel<uint16_t, int32_t>;

enum class KernelVariant { k8Bit, k16Bit };

// The storage variant for a matrix whose largest value is matrixMax and s
// scanlines per octant: 8-bit when matrixMax < 256 and s < 32.
KernelVariant ChooseKernelVariant(uint16_t matrixMax, uint16_t s);

// Where the kernel's square window lies in a matrix, and where the rendered
// region starts inside the window.
struct WindowPlacement {
  int side = 0;      // N, a multiple of 8
  int rowStart = 0;  // first matrix row and column of the window
  int colStart = 0;
  int row0 = 0;      // the region's first window row (its bottom image row)
  int col0 = 0;      // the region's first window column
};

// One kernel run. The desktop's preview, the processing driver, tests and
// benchmarks fill the same record; RunKernel checks it.
struct KernelRequest {
  WindowPlacement window = {};     // the N x N window, which must lie inside the matrix
  int rows = 0;                    // the region rendered: rows x cols window cells
  int cols = 0;                    //   from (window.row0, window.col0)
  uint16_t scanlines = 0;          // s, scanlines per octant (8 * s directions)
  int outMin = 0;                  // the output range the sums are scaled onto
  int outMax = 255;
  ProgressCallback progress = {};  // called about 100 times; empty: none shown, no cancel
  // Called once the window is in the kernel's own pixel plane, before the
  // sum plane is allocated: from then on the matrix is not read, and a caller
  // that discards it may free it here. Its result is ignored.
  ProgressCallback windowLoaded = {};
  KernelOptions options = {};      // build and thread count ({}: the process's choice)
};

// Enhances one channel: loads the request's window of the matrix, runs the
// kernel with the matrix's cursor sizes, and renders the region into outRows
// (rows pointers of cols bytes) over outMin..outMax. Returns kOk, kRange (a
// window outside the matrix, a region outside the window), kNoMemory or
// kCancelled (outRows are left untouched, and every cached plane is returned
// to the system).
int RunKernel(const LuminanceMatrix& matrix, uint8_t** outRows, const KernelRequest& request);
// The same, rendering into `result`, which is allocated to cols x rows only
// once the sums are complete (so that it reuses the memory of the kernel's
// pixel plane) and is left as it was when the run fails or is cancelled.
int RunKernel(const LuminanceMatrix& matrix, ChannelResult& result, const KernelRequest& request);

}  // namespace veska
