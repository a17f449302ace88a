// Every row-kernel build this processor runs, at one and several threads,
// against the plain build on one thread: sums and rendered bytes must be
// identical. The cases aim at where a vector build can go wrong: block
// carries, padding lanes, saturation at the ends of the value range, the
// three pass modes, both storage variants, and non-square windows.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <random>
#include <thread>
#include <type_traits>
#include <vector>

#include "imagelib/block_cache.h"
#include "engine/contrast_kernel.h"
#include "engine/luminance_matrix.h"
#include "engine/progress_scope.h"
#include "engine/row_update.h"
#include "engine/worker_pool.h"
#include "imagelib/status.h"
#include "tests/test_progress.h"

namespace veska {
namespace {

constexpr unsigned kThreadCounts[] = {1, 2, 3, 4};

// A matrix for a side x side image with every cell from `value(row, col)`.
template <typename Fn>
void Fill(LuminanceMatrix& m, int side, Fn value) {
  ASSERT_TRUE(m.Allocate(side, side));
  uint16_t lo = 65535, hi = 0;
  for (int r = 0; r < m.side; ++r)
    for (int c = 0; c < m.side; ++c) {
      const uint16_t v = static_cast<uint16_t>(value(r, c));
      m.rows[r][c] = v;
      lo = std::min(lo, v);
      hi = std::max(hi, v);
    }
  m.min = lo;
  m.max = hi;
}

void FillRandom(LuminanceMatrix& m, int side, int lo, int hi, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> dist(lo, hi);
  Fill(m, side, [&](int, int) { return dist(rng); });
}

struct Window {
  int rowStart, colStart;
  uint32_t N;
  uint32_t small, big;
  uint32_t s;
};

// The sums of one kernel run, row by row.
template <typename Kernel>
std::vector<int32_t> Sums(const LuminanceMatrix& m, const Window& k, const RowKernelSet& build,
                          unsigned threads, int* mode = nullptr) {
  Kernel kernel({}, false, KernelOptions{&build, threads});
  EXPECT_EQ(kernel.Load(m.rows, k.rowStart, k.colStart, k.N), status::kOk);
  EXPECT_EQ(kernel.Run(k.small, k.big, 8 * k.s), status::kOk);
  if (mode != nullptr) *mode = kernel.scanMode();
  std::vector<int32_t> sums;
  for (uint32_t y = 0; y < k.N; ++y)
    for (uint32_t x = 0; x < k.N; ++x) sums.push_back(kernel.sum(y, x));
  return sums;
}

// Runs the kernel of the given variant in every build and thread count and
// compares the sums with the plain build's of `Reference` (byte values give
// the same sums in either storage variant); returns the pass mode.
template <typename Kernel, typename Reference = Kernel>
int ExpectSameSums(const LuminanceMatrix& m, const Window& k) {
  int mode = -1;
  const std::vector<int32_t> expected = Sums<Reference>(m, k, PlainRowKernels(), 1, &mode);
  for (const RowKernelSet* build : AvailableRowKernels())
    for (unsigned threads : kThreadCounts) {
      if (build == &PlainRowKernels() && threads == 1 && std::is_same_v<Kernel, Reference>)
        continue;
      EXPECT_EQ(Sums<Kernel>(m, k, *build, threads), expected)
          << build->name << " threads " << threads << " window " << k.N
          << " cursors " << k.small << "/" << k.big << " s " << k.s;
    }
  return mode;
}

// The sums in every storage variant the values fit, each against the plain
// build of the narrowest: the 16-bit one always, the 8-bit one too for byte
// values below 32 scan lines (where both give the same sums).
void ExpectSameSumsInEveryVariant(const LuminanceMatrix& m, const Window& k) {
  if (m.max > 255 || k.s >= 32) {
    ExpectSameSums<ContrastKernel16>(m, k);
    return;
  }
  ExpectSameSums<ContrastKernel8>(m, k);
  ExpectSameSums<ContrastKernel16, ContrastKernel8>(m, k);
}

// Square windows of several sides over a random plane, each cursor pair and
// scan count.
void ExpectSameSumsOnRandomPlanes(int lo, int hi, const std::vector<std::pair<int, int>>& pairs,
                                  const std::vector<uint32_t>& scans, unsigned seed) {
  for (uint32_t N : {16u, 40u, 72u}) {
    LuminanceMatrix m;
    FillRandom(m, static_cast<int>(N), lo, hi, seed++);
    for (auto [small, big] : pairs)
      for (uint32_t s : scans)
        ExpectSameSumsInEveryVariant(m, {3, 7, N, uint32_t(small), uint32_t(big), s});
  }
}

TEST(KernelBuilds, PlainIsAvailableFirstAndNamesAreChecked) {
  const auto builds = AvailableRowKernels();
  ASSERT_FALSE(builds.empty());
  EXPECT_EQ(builds.front(), &PlainRowKernels());
  EXPECT_EQ(FindRowKernels("plain"), &PlainRowKernels());
  EXPECT_EQ(FindRowKernels("neon"), nullptr);
  for (const RowKernelSet* b : builds) EXPECT_EQ(FindRowKernels(b->name), b);
  // The process's choice is one of them (the best unless VESKA_KERNEL says).
  EXPECT_NE(std::find(builds.begin(), builds.end(), &SelectRowKernels()), builds.end());
}

TEST(KernelBuilds, RandomPlanesInEveryModeScanCountAndDepth) {
  // (1, 31): small cursor 1, mode 1; (5, 61): mode 0; (3, 301): the big
  // cursor covers the range, mode 2. Then 16-bit values up to 65535.
  ExpectSameSumsOnRandomPlanes(0, 255, {{1, 31}, {5, 61}, {3, 301}}, {1, 16}, 100);
  ExpectSameSumsOnRandomPlanes(37, 90, {{1, 9}, {7, 21}, {9, 257}}, {2, 31}, 200);
  ExpectSameSumsOnRandomPlanes(0, 65535, {{1, 999}, {301, 4001}, {5, 65535}}, {1, 3}, 300);
  ExpectSameSumsOnRandomPlanes(64000, 65535, {{1, 101}, {31, 257}}, {2}, 400);
  // Windows placed off the matrix's corner, with sides that are not a
  // multiple of the transposes' 32-row pieces.
  LuminanceMatrix m;
  FillRandom(m, 104, 0, 255, 600);
  ExpectSameSumsInEveryVariant(m, {5, 2, 24, 5, 61, 3});
  ExpectSameSumsInEveryVariant(m, {0, 9, 88, 1, 31, 2});
  ExpectSameSumsInEveryVariant(m, {1, 1, 96, 3, 301, 2});
}

TEST(KernelBuilds, ScanCountsFromThirtyTwoTakeTheWideSums) {
  // s = 32 and 40 on byte values run the 16-bit variant; s = 0 visits no
  // row and leaves every sum 0.
  LuminanceMatrix m;
  FillRandom(m, 24, 0, 255, 500);
  ExpectSameSums<ContrastKernel8>(m, {0, 0, 24, 5, 61, 0});
  EXPECT_EQ(Sums<ContrastKernel8>(m, {0, 0, 24, 5, 61, 0}, SelectRowKernels(), 2),
            std::vector<int32_t>(24 * 24, 0));
  for (uint32_t s : {32u, 40u}) {
    EXPECT_EQ(ExpectSameSums<ContrastKernel16>(m, {0, 0, 24, 5, 61, s}), kBoth);
    EXPECT_EQ(ExpectSameSums<ContrastKernel16>(m, {2, 1, 16, 1, 255, s}), kBigOnly);
  }
}

TEST(KernelBuilds, FlatAndTwoLevelPlanesAtTheEndsOfTheRange) {
  // Saturation of p + h and p - h at 0 and at the top of the range, and
  // windows whose half-widths collapse.
  for (int value : {0, 255, 65535}) {
    LuminanceMatrix flat;
    Fill(flat, 40, [&](int, int) { return value; });
    ExpectSameSumsInEveryVariant(flat, {0, 0, 40, 5, 61, 3});
  }
  for (int top : {255, 65535}) {
    LuminanceMatrix blocks;
    Fill(blocks, 72, [&](int r, int c) { return ((r / 5 + c / 3) % 2) * top; });
    for (auto [small, big] : {std::pair{1, 3}, {3, 9}, {9, 255}, {7, 65535}})
      ExpectSameSumsInEveryVariant(blocks, {0, 0, 72, uint32_t(small), uint32_t(big), 4});
  }
}

TEST(KernelBuilds, CarriesAcrossBlocksAndPadding) {
  // s = 1 has the slopes 0 and 1: pass 1 moves its diagonal lines one column
  // up every row (step +1), pass 2 one column down (step -1). Widths from a
  // single 16-line row to rows that span several vector blocks, with and
  // without padding to the next 64 lines.
  for (uint32_t N : {16u, 64u, 136u}) {
    LuminanceMatrix m;
    // Columns rising steeply, so every carried line differs from its
    // neighbours.
    Fill(m, static_cast<int>(N), [](int r, int c) { return (c * 37 + r * 11) % 256; });
    for (auto [small, big] : {std::pair{1, 61}, {5, 61}, {5, 257}})
      ExpectSameSumsInEveryVariant(
          m, {0, 0, N, uint32_t(small), uint32_t(big), 1});
  }
}

TEST(KernelBuilds, RenderedRectanglesAtTheWindowEdges) {
  LuminanceMatrix m;
  FillRandom(m, 60, 0, 255, 700);
  m.smallSize = 5;
  m.bigSize = 61;
  struct Rect {
    int row0, col0, rows, cols;
  };
  for (const Rect r : {Rect{0, 0, 72, 72}, Rect{71, 0, 1, 72}, Rect{0, 69, 72, 3},
                       Rect{52, 52, 20, 20}, Rect{30, 0, 9, 1}})
    for (uint16_t s : {uint16_t{16}, uint16_t{32}}) {
      auto render = [&](const RowKernelSet* build, unsigned threads, uint8_t fill) {
        std::vector<uint8_t> bytes(size_t(r.rows) * r.cols, fill);
        std::vector<uint8_t*> rows;
        for (int y = 0; y < r.rows; ++y) rows.push_back(bytes.data() + size_t(y) * r.cols);
        EXPECT_EQ(RunKernel(m, rows.data(),
                            {.window = {72, 0, 0, r.row0, r.col0}, .rows = r.rows,
                             .cols = r.cols, .scanlines = s, .outMin = 20, .outMax = 230,
                             .options = {build, threads}}),
                  status::kOk);
        return bytes;
      };
      const std::vector<uint8_t> expected = render(&PlainRowKernels(), 1, 0xA5);
      for (const RowKernelSet* build : AvailableRowKernels())
        for (unsigned threads : kThreadCounts)
          EXPECT_EQ(render(build, threads, 0x5A), expected)
              << build->name << " threads " << threads << " at " << r.row0 << "," << r.col0
              << " s " << s;
    }
}

TEST(KernelThreads, ProgressAndCancelStayOnTheCallingThread) {
  // Planes large enough to be kept for reuse between runs.
  constexpr int N = 256;
  LuminanceMatrix m;
  FillRandom(m, N - 20, 0, 255, 800);
  m.smallSize = 3;
  m.bigSize = 31;
  std::vector<uint8_t> bytes(N * N);
  std::vector<uint8_t*> rows;
  for (int y = 0; y < N; ++y) rows.push_back(bytes.data() + y * N);
  for (const RowKernelSet* build : AvailableRowKernels()) {
    const KernelOptions options{build, 3};
    auto run = [&](testutil::CountingProgress& sink, bool show) {
      ProgressScope scope(show ? &sink : nullptr, ProgressStage::kProcessing);
      return RunKernel(m, rows.data(),
                       {.window = {N, 0, 0, 0, 0}, .rows = N, .cols = N, .scanlines = 2,
                        .progress = scope.Callback(), .options = options});
    };
    testutil::CountingProgress all;
    EXPECT_EQ(run(all, true), status::kOk);
    EXPECT_EQ(all.steps, 100);  // 25 per sweep, 4 sweeps
    EXPECT_EQ(all.foreignSteps, 0);
    EXPECT_GT(CachedBlockBytes(), 0u);
    // Without shown progress: no calls at all, and the same bytes.
    const std::vector<uint8_t> shown = bytes;
    testutil::CountingProgress quiet(1);
    EXPECT_EQ(run(quiet, false), status::kOk);
    EXPECT_EQ(quiet.steps, 0);
    EXPECT_EQ(bytes, shown);

    for (int k : {1, 26, 37, 51, 100}) {  // each sweep; 100 is the last call
      testutil::CountingProgress sink(k);
      std::fill(bytes.begin(), bytes.end(), 0x77);
      EXPECT_EQ(run(sink, true), status::kCancelled) << build->name << " cancelled at " << k;
      EXPECT_EQ(sink.steps, k);
      EXPECT_EQ(sink.foreignSteps, 0);
      EXPECT_EQ(bytes, std::vector<uint8_t>(N * N, 0x77));
      // Nothing is kept after a cancel, not even the planes kept for reuse.
      EXPECT_EQ(CachedBlockBytes(), 0u);
    }
  }
}

TEST(KernelThreads, PoolJobsShareClaimedPiecesWhoeverJoins) {
  // Workers join a job only while the caller is still in it, so a job hands
  // out its work in pieces: every piece must be done exactly once, by the
  // caller alone if no worker joins in time.
  const unsigned n = PrepareWorkers(4);
  ASSERT_GE(n, 1u);
  for (int round = 0; round < 50; ++round) {
    std::vector<std::atomic<int>> seats(n), pieces(500);
    std::atomic<uint32_t> next{0};
    std::thread::id zero;
    RunParallel(n, [&](unsigned i) {
      seats[i]++;
      if (i == 0) zero = std::this_thread::get_id();
      for (uint32_t p; (p = next.fetch_add(1)) < pieces.size();) pieces[p]++;
    });
    EXPECT_EQ(zero, std::this_thread::get_id());
    EXPECT_EQ(seats[0].load(), 1);
    for (auto& s : seats) EXPECT_LE(s.load(), 1);
    for (auto& p : pieces) ASSERT_EQ(p.load(), 1);
  }
}

TEST(KernelMemory, ReleasedBlocksAreReusedAndCanBeDropped) {
  ReleaseCachedBlocks();
  std::size_t capacity = 0;
  void* block = AcquireBlock(kCachedBlockMin * 3, &capacity);
  ASSERT_NE(block, nullptr);
  EXPECT_GE(capacity, kCachedBlockMin * 3);
  ReleaseBlock(block, capacity);
  EXPECT_EQ(CachedBlockBytes(), capacity);
  std::size_t again = 0;
  EXPECT_EQ(AcquireBlock(kCachedBlockMin * 2, &again), block);  // the kept block fits
  EXPECT_EQ(again, capacity);
  EXPECT_EQ(CachedBlockBytes(), 0u);
  ReleaseBlock(block, again);

  ReleaseCachedBlocks();

  // A request that no kept block fits frees the kept blocks too small for it
  // rather than keeping them beside the new one; one far too large stays.
  std::size_t oneCap = 0, hugeCap = 0, twoCap = 0;
  void* one = AcquireBlock(kCachedBlockMin, &oneCap);
  void* huge = AcquireBlock(kCachedBlockMin * 16, &hugeCap);
  ASSERT_TRUE(one != nullptr && huge != nullptr);
  ReleaseBlock(one, oneCap);
  ReleaseBlock(huge, hugeCap);
  EXPECT_EQ(CachedBlockBytes(), oneCap + hugeCap);
  void* two = AcquireBlock(kCachedBlockMin * 2, &twoCap);
  ASSERT_NE(two, nullptr);
  EXPECT_NE(two, huge);
  EXPECT_EQ(CachedBlockBytes(), hugeCap);
  ReleaseBlock(two, twoCap);
  ReleaseCachedBlocks();
  EXPECT_EQ(CachedBlockBytes(), 0u);

  // A fresh block large enough to have its pages mapped ahead on several
  // threads, ending inside a page: the sanitizer build sees every touch.
  std::size_t bigCap = 0;
  auto* big = static_cast<unsigned char*>(AcquireBlock((std::size_t{9} << 20) + 4097, &bigCap));
  ASSERT_NE(big, nullptr);
  big[0] = big[bigCap - 1] = 1;
  EXPECT_EQ(big[0] + big[bigCap - 1], 2);
  ReleaseBlock(big, bigCap);
  ReleaseCachedBlocks();
}

}  // namespace
}  // namespace veska
