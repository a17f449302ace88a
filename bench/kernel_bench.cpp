// Contrast-kernel benchmarks: the processing sizes the application meets,
// for every row-kernel build this processor runs, at one thread and at all.
//
// Names read case/build/threads, e.g. "gray8_4096_s16/avx512/2". The kernel
// keeps its planes for reuse, so each case runs once before it is timed:
// the first touch of fresh memory is not what is measured here.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/contrast_kernel.h"
#include "engine/luminance_matrix.h"
#include "engine/row_update.h"
#include "engine/worker_pool.h"

namespace veska {
namespace {

// A photograph-like channel: smooth shading, edges and fine texture, scaled
// to 0..maxValue; `seed` varies the content between channels.
void FillChannel(LuminanceMatrix& m, int side, int maxValue, int seed) {
  m.Allocate(side, side);
  uint32_t noise = 2463534242u + static_cast<uint32_t>(seed) * 7919u;
  for (int r = 0; r < m.side; ++r)
    for (int c = 0; c < m.side; ++c) {
      noise ^= noise << 13;
      noise ^= noise >> 17;
      noise ^= noise << 5;
      const double shade = 0.5 + 0.3 * std::sin((c + 40.0 * seed) / 97.0) *
                                     std::cos((r - 25.0 * seed) / 131.0);
      const double edge = ((r / 173 + c / 211 + seed) % 3) * 0.08;
      const double texture = (noise % 1000) / 1000.0 * 0.1;
      const double v = std::fmin(1.0, shade + edge + texture);
      m.rows[r][c] = static_cast<uint16_t>(v * maxValue);
    }
  m.RefreshStatistics();
}

struct Case {
  const char* name;
  int side;      // image side; the window adds the usual 10-cell margins
  int maxValue;  // 255: the 8-bit storage variant (with s < 32), else 16-bit
  int channels;
  uint16_t s;
  uint16_t small;
  uint16_t big;
};

constexpr Case kCases[] = {
    {"gray8_4096_s16", 4096, 255, 1, 16, 5, 61},
    {"preview8_512_s8", 512, 255, 1, 8, 5, 61},
    {"rgb24_4096_s16", 4096, 255, 3, 16, 5, 61},
    {"gray16_2048_s32", 2048, 65535, 1, 32, 257, 8193},
};

// The channels and result rows of one case, built on first use and kept.
struct Workload {
  std::vector<std::unique_ptr<LuminanceMatrix>> planes;
  std::vector<uint8_t> bytes;
  std::vector<uint8_t*> rows;
  int N = 0;
  int start = 0;   // window's first row and column in the matrix
  int offset = 0;  // image's first row and column in the window
};

Workload& WorkloadFor(const Case& c) {
  static std::vector<std::unique_ptr<Workload>> all(std::size(kCases));
  const std::size_t index = static_cast<std::size_t>(&c - kCases);
  if (!all[index]) {
    auto w = std::make_unique<Workload>();
    for (int ch = 0; ch < c.channels; ++ch) {
      w->planes.push_back(std::make_unique<LuminanceMatrix>());
      LuminanceMatrix& m = *w->planes.back();
      FillChannel(m, c.side, c.maxValue, ch);
      m.smallSize = c.small;
      m.bigSize = c.big;
    }
    // The window the processing driver places around a whole image.
    w->N = (c.side + 20) / 8 * 8;
    const int half = (w->N - c.side) / 2;
    w->start = kMatrixMargin - half;
    w->offset = half;
    w->bytes.resize(static_cast<std::size_t>(c.side) * c.side * c.channels);
    for (int r = 0; r < c.side * c.channels; ++r)
      w->rows.push_back(w->bytes.data() + static_cast<std::size_t>(r) * c.side);
    all[index] = std::move(w);
  }
  return *all[index];
}

bool RunCase(const Case& c, Workload& w, const KernelOptions& options) {
  for (int ch = 0; ch < c.channels; ++ch) {
    const int r = RunKernel(*w.planes[ch], w.rows.data() + ch * c.side, c.s, w.start, w.start,
                            w.N, w.offset, w.offset, c.side, c.side, false, nullptr, 0, 255,
                            options);
    if (r != 0) return false;
  }
  return true;
}

void BM_Kernel(benchmark::State& state, const Case* c, const RowKernelSet* build,
               unsigned threads) {
  Workload& w = WorkloadFor(*c);
  const KernelOptions options{build, threads};
  if (!RunCase(*c, w, options)) {  // also brings the kernel's planes into use
    state.SkipWithError("kernel failed");
    return;
  }
  for (auto _ : state) {
    if (!RunCase(*c, w, options)) {
      state.SkipWithError("kernel failed");
      return;
    }
    benchmark::DoNotOptimize(w.bytes.data());
    benchmark::ClobberMemory();
  }
  state.counters["Mpixel/s"] = benchmark::Counter(
      static_cast<double>(c->side) * c->side * c->channels, benchmark::Counter::kIsIterationInvariantRate);
}

void RegisterAll() {
  const unsigned all = DefaultThreadCount();
  for (const Case& c : kCases)
    for (const RowKernelSet* build : AvailableRowKernels()) {
      std::set<unsigned> counts{1u, all};
      for (unsigned threads : counts) {
        const std::string name =
            std::string(c.name) + "/" + build->name + "/" + std::to_string(threads);
        benchmark::RegisterBenchmark(name.c_str(), BM_Kernel, &c, build, threads)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->MinTime(0.3);
      }
    }
}

}  // namespace
}  // namespace veska

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  veska::RegisterAll();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
