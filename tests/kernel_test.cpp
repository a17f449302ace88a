#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "engine/contrast_kernel.h"
#include "engine/luminance_matrix.h"
#include "engine/row_update.h"
#include "imagelib/status.h"

namespace veska {
namespace {

// A matrix whose every cell (margins included) holds a random value in
// [lo, hi]; the statistics are set to that range.
void FillRandom(LuminanceMatrix& m, int imageSide, int lo, int hi, std::mt19937& rng) {
  ASSERT_TRUE(m.Allocate(imageSide, imageSide));
  std::uniform_int_distribution<int> value(lo, hi);
  for (int r = 0; r < m.side; ++r)
    for (int c = 0; c < m.side; ++c) m.rows[r][c] = static_cast<uint16_t>(value(rng));
  m.min = static_cast<uint16_t>(lo);
  m.max = static_cast<uint16_t>(hi);
}

struct Output {
  Output(int rows, int cols, uint8_t fill) : bytes(size_t(rows) * cols, fill) {
    for (int r = 0; r < rows; ++r) ptrs.push_back(bytes.data() + size_t(r) * cols);
  }
  std::vector<uint8_t> bytes;
  std::vector<uint8_t*> ptrs;
};

// ---------------------------------------------------------------------------
// A deliberately naive transcription of the algorithm: int planes and sums
// that never wrap, both centres tracked on every line whatever the mode, and
// each row's line shift done as a separate copy after the update.

struct Start { int small, big; };

struct Naive {
  int N, mn, mx, hs, hb, K;
  std::vector<double> slopes;

  Start LineStart(int p) const {
    if (mx == mn) return {p, p};
    const int loS = mn + hs, hiS = std::max(mx - hs, loS);
    const int loB = mn + hb, hiB = std::max(mx - hb, loB);
    const double f = (p - mn) * (0.999999 / (mx - mn));
    return {int(loS + (hiS - loS + 1) * f), int(loB + (hiB - loB + 1) * f)};
  }

  // plane[y][x] is Hp rows of Wp values; sums likewise.
  void Pass(const std::vector<std::vector<int>>& plane, std::vector<std::vector<long>>& sums,
            std::vector<double> slope) const {
    const int Hp = int(plane.size()), Wp = int(plane[0].size()), n = int(slope.size());
    std::vector<double> offset = slope;
    int y = 0;
    for (int d : {+1, -1}) {
      std::vector<std::vector<Start>> lines(n, std::vector<Start>(Wp));
      for (int u = 0; u < n; ++u)
        for (int x = 0; x < Wp; ++x) lines[u][x] = LineStart(plane[y][x]);
      for (int t = 0; t < Hp; ++t) {
        for (int u = 0; u < n; ++u) {
          std::vector<Start> moved(Wp);
          for (int x = 0; x < Wp; ++x) {
            const int p = plane[y][x];
            const Start c = lines[u][x];
            moved[x] = {std::clamp(c.small, p - hs, p + hs), std::clamp(c.big, p - hb, p + hb)};
            sums[y][x] += moved[x].small - moved[x].big;
          }
          if (offset[u] > 0.5) {  // lines move right; a new one enters at x = 0
            for (int x = Wp - 1; x > 0; --x) lines[u][x] = moved[x - 1];
            lines[u][0] = LineStart(plane[y][0]);
          } else if (offset[u] < -0.5) {
            for (int x = 0; x < Wp - 1; ++x) lines[u][x] = moved[x + 1];
            lines[u][Wp - 1] = LineStart(plane[y][Wp - 1]);
          } else {
            lines[u] = moved;
          }
        }
        if (t == Hp - 1) break;
        for (int u = 0; u < n; ++u) {
          if (offset[u] > 0.5) offset[u] -= 1.0;
          if (offset[u] < -0.5) offset[u] += 1.0;
          offset[u] += d * slope[u];
        }
        y += d;
      }
    }
  }

  std::vector<uint8_t> Enhance(const std::vector<std::vector<int>>& win, int small, int big,
                               int s, int row0, int col0, int rows, int cols, int outMin,
                               int outMax) {
    N = int(win.size());
    mn = 1 << 30, mx = -1;
    for (auto& row : win)
      for (int v : row) mn = std::min(mn, v), mx = std::max(mx, v);
    const int cap = (mx - mn + 1) / 2;
    hs = std::min(small / 2, cap);
    hb = std::min(big / 2, cap);
    if (hb != 0 && hs >= hb) hs = hb;
    slopes.clear();
    for (int i = 0; i < 2 * s; ++i) {
      if (i < 2) {
        slopes.push_back(i);
        continue;
      }
      int k = 0;
      while ((2 << k) <= i) ++k;  // floor(log2 i)
      const double D = std::pow(2.0, k + 1.0);
      slopes.push_back(1.0 / std::tan((2.0 * i + 1.0 - D) / D * 1.570796327 + 0.785398163));
    }
    K = 8 * s;

    std::vector<std::vector<long>> sums(N, std::vector<long>(N, 0)), tsums = sums;
    std::vector<std::vector<int>> trans(N, std::vector<int>(N));
    for (int y = 0; y < N; ++y)
      for (int x = 0; x < N; ++x) trans[x][y] = win[y][x];
    Pass(win, sums, slopes);
    std::vector<double> mirrored;
    for (double v : slopes) mirrored.push_back(-v);
    Pass(trans, tsums, mirrored);

    int lo = (hs - hb) * K, hi = (hb - hs) * K;
    if (mx - mn + 1 <= 2 * hb && hi > 0) hi -= K;
    const double scale = lo < hi ? 0.999999 / (hi - lo) * (outMax - outMin + 1) : 0.0;
    std::vector<uint8_t> out;
    for (int y = row0; y < row0 + rows; ++y)
      for (int x = col0; x < col0 + cols; ++x)
        out.push_back(uint8_t(int((sums[y][x] + tsums[x][y] - lo) * scale + outMin)));
    return out;
  }
};

// Runs RunKernel and the naive transcription on random windows and regions of
// a random matrix and expects identical bytes.
void ExpectMatchesNaive(int N, int lo, int hi, int small, int big, uint16_t s, unsigned seed) {
  std::mt19937 rng(seed);
  LuminanceMatrix m;
  FillRandom(m, N, lo, hi, rng);
  m.smallSize = uint16_t(small);
  m.bigSize = uint16_t(big);
  auto pick = [&](int a, int b) { return std::uniform_int_distribution<int>(a, b)(rng); };
  const int rowStart = pick(0, m.side - N), colStart = pick(0, m.side - N);
  const int row0 = pick(0, N - 1), col0 = pick(0, N - 1);
  const int rows = pick(1, N - row0), cols = pick(1, N - col0);
  const int outMin = pick(0, 60), outMax = pick(180, 255);
  Output out(rows, cols, 0);
  ASSERT_EQ(RunKernel(m, out.ptrs.data(),
                      {.window = {N, rowStart, colStart, row0, col0}, .rows = rows, .cols = cols,
                       .scanlines = uint16_t(s), .outMin = outMin, .outMax = outMax}),
            status::kOk);
  std::vector<std::vector<int>> win(N, std::vector<int>(N));
  for (int y = 0; y < N; ++y)
    for (int x = 0; x < N; ++x) win[y][x] = m.rows[rowStart + y][colStart + x];
  const auto expected =
      Naive().Enhance(win, small, big, s, row0, col0, rows, cols, outMin, outMax);
  EXPECT_EQ(out.bytes, expected) << "N=" << N << " values " << lo << ".." << hi << " cursors "
                                 << small << "/" << big << " s=" << s;
  const auto [mnIt, mxIt] = std::minmax_element(out.bytes.begin(), out.bytes.end());
  EXPECT_GE(*mnIt, outMin);
  EXPECT_LE(*mxIt, outMax);
}

TEST(KernelReference, MatchesNaiveTranscriptionOnRandomWindows) {
  // Small cursor 1, both cursors, the big one covering the range, small >= big.
  const int pairs[][2] = {{1, 3}, {3, 9}, {5, 31}, {1, 257}, {3, 257}, {21, 9}};
  const int ranges[][2] = {{0, 255}, {40, 61}, {100, 110}};  // even and odd widths
  unsigned seed = 1;
  for (int N : {16, 24})
    for (uint16_t s : {1, 2, 3})
      for (auto& pr : pairs)
        for (auto& rg : ranges) ExpectMatchesNaive(N, rg[0], rg[1], pr[0], pr[1], s, seed++);
}

TEST(KernelReference, SixteenBitValuesAndHighScanCounts) {
  // Values beyond a byte and s = 32 on bytes both take the 16-bit variant.
  ExpectMatchesNaive(16, 0, 3000, 5, 301, 2, 11);
  ExpectMatchesNaive(24, 1000, 1063, 1, 65535, 3, 12);
  ExpectMatchesNaive(16, 0, 255, 3, 257, 32, 13);
  ExpectMatchesNaive(16, 0, 255, 1, 65, 32, 14);
}

TEST(KernelSetup, FlatWindowRendersOutMinWithoutDividingByZero) {
  for (uint16_t value : {uint16_t{77}, uint16_t{4000}}) {
    LuminanceMatrix m;
    ASSERT_TRUE(m.Allocate(12, 12));
    for (int r = 0; r < m.side; ++r) std::fill(m.rows[r], m.rows[r] + m.side, value);
    m.min = m.max = value;
    m.smallSize = 3;
    m.bigSize = 9;
    Output out(10, 12, 0xEE);
    ASSERT_EQ(RunKernel(m, out.ptrs.data(),
                        {.window = {32, 0, 0, 5, 7}, .rows = 10, .cols = 12, .scanlines = 3,
                         .outMin = 42, .outMax = 200}),
              0);
    EXPECT_EQ(out.bytes, std::vector<uint8_t>(120, 42)) << value;
  }
}

TEST(KernelLifecycle, MisuseIsRejected) {
  std::mt19937 rng(9);
  LuminanceMatrix m;
  FillRandom(m, 8, 0, 255, rng);  // side 28
  ContrastKernel8 k({}, false);
  Output out(4, 4, 0);
  EXPECT_EQ(k.Run(3, 9, 8), status::kRange);  // nothing loaded
  EXPECT_EQ(k.Render(out.ptrs.data(), 0, 0, 4, 4, 0, 255), status::kRange);
  ASSERT_EQ(k.Load(m.rows, 0, 0, 16), 0);
  EXPECT_EQ(k.Load(m.rows, 0, 0, 16), status::kRange);
  ASSERT_EQ(k.Run(3, 9, 8), 0);
  EXPECT_EQ(k.Render(out.ptrs.data(), 14, 0, 4, 4, 0, 255), status::kRange);  // leaves window

  // Windows outside the matrix are refused before anything is read.
  for (const WindowPlacement window : {WindowPlacement{16, 16, 0}, WindowPlacement{16, -1, 0}})
    EXPECT_EQ(
        RunKernel(m, out.ptrs.data(), {.window = window, .rows = 4, .cols = 4, .scanlines = 1}),
        status::kRange);
}

}  // namespace
}  // namespace veska
