// Contrast-kernel benchmarks: the processing sizes the application meets,
// for every row-kernel build this processor runs, at one thread and at all.
//
// Names read case/build/threads, e.g. "gray8_4096_s16/avx512/2" (with
// "_median" and the other aggregates for the repeated vector builds). The kernel
// keeps its planes for reuse, so each case runs once before it is timed:
// the first touch of fresh memory is not what is measured here.
//
// rgb24_4096_s16 runs the kernel on the three colour planes directly;
// process_rgb24_4096_s16 runs the whole processing driver (ProcessImage) on
// the same image, writing a new 24-bit destination image each time.
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
#include "image/aimage.h"
#include "image/image_process.h"
#include "imagelib/image_desc.h"
#include "imagelib/pixel_access.h"
#include "imagelib/status.h"

namespace veska {
namespace {

// A photograph-like image: smooth shading, edges and fine texture, as a
// fraction 0..1 at (r, c); `seed` varies the content between channels.
class Scene {
 public:
  explicit Scene(int seed) : seed_(seed), noise_(2463534242u + uint32_t(seed) * 7919u) {}
  double operator()(int r, int c) {
    noise_ ^= noise_ << 13;
    noise_ ^= noise_ >> 17;
    noise_ ^= noise_ << 5;
    const double shade =
        0.5 + 0.3 * std::sin((c + 40.0 * seed_) / 97.0) * std::cos((r - 25.0 * seed_) / 131.0);
    const double edge = ((r / 173 + c / 211 + seed_) % 3) * 0.08;
    const double texture = (noise_ % 1000) / 1000.0 * 0.1;
    return std::fmin(1.0, shade + edge + texture);
  }

 private:
  int seed_;
  uint32_t noise_;
};

void FillChannel(LuminanceMatrix& m, int side, int maxValue, int seed) {
  m.Allocate(side, side);
  Scene scene(seed);
  for (int r = 0; r < m.side; ++r)
    for (int c = 0; c < m.side; ++c) m.rows[r][c] = static_cast<uint16_t>(scene(r, c) * maxValue);
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
  bool driver;   // through ProcessImage rather than RunKernel
};

constexpr Case kCases[] = {
    {"gray8_4096_s16", 4096, 255, 1, 16, 5, 61, false},
    {"preview8_512_s8", 512, 255, 1, 8, 5, 61, false},
    {"rgb24_4096_s16", 4096, 255, 3, 16, 5, 61, false},
    {"process_rgb24_4096_s16", 4096, 255, 3, 16, 5, 61, true},
    {"gray16_2048_s32", 2048, 65535, 1, 32, 257, 8193, false},
};

void MakeColourImage(AImage& image, const Case& c) {
  ImageDesc pixels;
  if (Allocate(pixels, c.side, c.side, 24) != 0) return;
  Scene red(0), green(1), blue(2);
  for (int y = 0; y < c.side; ++y)
    for (int x = 0; x < c.side; ++x)
      SetPixelValue(pixels, x, y,
                    uint32_t(red(y, x) * 255) | uint32_t(green(y, x) * 255) << 8 |
                        uint32_t(blue(y, x) * 255) << 16);
  image.Copy(pixels);
  Free(pixels);
  image.Channels().SetMultiChannelFlag(true);
  image.Channels().BuildLuminance(image.Desc(), false);
  for (int ch = 0; ch < image.Channels().PlaneCount(); ++ch)
    image.Channels().Plane(ch)->SetCursors(c.small, c.big);
}

// The channels and result rows of one case, built on first use and kept.
struct Workload {
  AImage image;  // the driver cases' source, with its three colour planes
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
    if (c.driver) {
      MakeColourImage(w->image, c);
      all[index] = std::move(w);
      return *all[index];
    }
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

bool RunDriver(const Case& c, Workload& w, const KernelOptions& options) {
  SetKernelDefaults(options);
  AImage destination;
  const bool ok = ProcessImage(destination, w.image, {.scanlines = c.s},
                               ResultPlanes::kKeepResults) == status::kOk;
  SetKernelDefaults({});
  return ok;
}

bool RunCase(const Case& c, Workload& w, const KernelOptions& options) {
  if (c.driver) return RunDriver(c, w, options);
  for (int ch = 0; ch < c.channels; ++ch) {
    KernelRequest request;
    request.window = {w.N, w.start, w.start, w.offset, w.offset};
    request.rows = request.cols = c.side;
    request.scanlines = c.s;
    request.options = options;
    const int r = RunKernel(*w.planes[ch], w.rows.data() + ch * c.side, request);
    if (r != 0) return false;
  }
  return true;
}

void BM_Kernel(benchmark::State& state, const Case* c, const RowKernelSet* build,
               unsigned threads) {
  Workload& w = WorkloadFor(*c);
  const KernelOptions options{build, threads};
  // One untimed run per case brings the kernel's planes into use; the best
  // build makes it quick, and the planes are the same for every build.
  static std::set<const Case*> warmed;
  if (warmed.insert(c).second && !RunCase(*c, w, {&SelectRowKernels(), 0})) {
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
  state.counters["Mpixel/s"] =
      benchmark::Counter(static_cast<double>(c->side) * c->side * c->channels / 1e6,
                         benchmark::Counter::kIsIterationInvariantRate);
}

void RegisterAll() {
  const unsigned all = DefaultThreadCount();
  for (const Case& c : kCases)
    for (const RowKernelSet* build : AvailableRowKernels()) {
      std::set<unsigned> counts{1u, all};
      for (unsigned threads : counts) {
        const std::string name =
            std::string(c.name) + "/" + build->name + "/" + std::to_string(threads);
        // The vector builds run five times and report their median, which a
        // neighbour's burst of work on a shared machine moves less than a
        // single run; the plain build's seconds-long runs once.
        auto* b = benchmark::RegisterBenchmark(name.c_str(), BM_Kernel, &c, build, threads)
                      ->Unit(benchmark::kMillisecond)
                      ->UseRealTime()
                      ->MinTime(0.3);
        if (build != &PlainRowKernels()) b->Repetitions(5)->ReportAggregatesOnly(true);
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
