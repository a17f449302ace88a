// Whole-pipeline benchmarks: load, luminance build, processing, write-back
// and save of a 4096 x 4096 image, as `veska process` runs them, from and to
// a memory-backed folder (/dev/shm where there is one), so that the disk is
// not what is measured.
//
// Names read pipeline_case/build/threads: the plain build on one thread (the
// reference of the speed-up column) and the process's best build on one
// thread and on all. Beside the pipeline's megapixels per second each run
// reports the kernel's alone on the same image's planes (kernel_Mpixel/s).
// Unlike the kernel benchmarks nothing is warmed: each iteration is a whole
// command's work in a process that has already run one, as in a batch run.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "engine/contrast_kernel.h"
#include "engine/process.h"
#include "engine/row_update.h"
#include "engine/worker_pool.h"
#include "image/aimage.h"
#include "image/image_file.h"
#include "image/pipeline.h"
#include "imagelib/status.h"
#include "tools/sample_images.h"

namespace veska {
namespace {

constexpr int kSide = 4096;
constexpr uint16_t kScanlines = 16;

struct PipelineCase {
  const char* name;
  int bits;  // of the input file: 8 grey, 24 colour
  std::optional<Luminance> luminance;
};

const PipelineCase kPipelineCases[] = {
    {"pipeline_gray8_4096_s16", 8, std::nullopt},
    {"pipeline_rgb24_4096_s16", 24, Luminance::kSingle},
    {"pipeline_rgb24multi_4096_s16", 24, Luminance::kMulti},
};

std::filesystem::path Folder() {
  static const std::filesystem::path folder = [] {
    std::filesystem::path base = std::filesystem::exists("/dev/shm")
                                     ? std::filesystem::path("/dev/shm")
                                     : std::filesystem::temp_directory_path();
    std::filesystem::path f = base / ("veska-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(f);
    return f;
  }();
  return folder;
}

// Smooth shading, edges and texture, different in each component.
uint32_t Component(int x, int y, int seed) {
  const double shade = 0.5 + 0.3 * std::sin((x + 40.0 * seed) / 97.0) *
                                 std::cos((y - 25.0 * seed) / 131.0);
  const double edge = ((y / 173 + x / 211 + seed) % 3) * 0.08;
  const double texture = (Noise(x + seed, y) + 1.0) * 0.05;
  return uint32_t(std::fmin(1.0, shade + edge + texture) * 255);
}

// The case's input file, written on first use.
std::string InputFor(const PipelineCase& c) {
  const std::string path = (Folder() / (c.bits == 8 ? "grey.bmp" : "colour.bmp")).string();
  if (!std::filesystem::exists(path)) {
    auto image = MakeImage(kSide, kSide, c.bits, [&](int x, int y) {
      return c.bits == 8 ? Component(x, y, 0)
                         : Rgb(Component(x, y, 0), Component(x, y, 1), Component(x, y, 2));
    });
    if (image == nullptr || Save(*image, path) != status::kOk) return {};
  }
  return path;
}

PipelineRequest RequestFor(const PipelineCase& c, const std::string& input) {
  PipelineRequest request;
  request.input = input;
  request.output = (Folder() / "out.bmp").string();
  request.bigCursor = 31;
  request.smallCursor = 11;
  request.luminance = c.luminance;
  request.process.scanlines = kScanlines;
  return request;
}

// Seconds of the kernel alone on every plane of the loaded input, as the
// driver places its window for the whole image.
double KernelSeconds(const PipelineCase& c, const std::string& input) {
  AImage image;
  if (Load(image, input) != status::kOk) return 0.0;
  if (c.luminance && image.Desc()->BitsPerPixel() == 24 &&
      image.Channels().SetLuminance(*c.luminance) != status::kOk)
    return 0.0;
  const PixelRect whole{0, 0, kSide - 1, kSide - 1};
  double seconds = 0.0;
  for (int i = 0; i < image.Channels().PlaneCount(); ++i) {
    ChannelPlane& plane = *image.Channels().Plane(i);
    plane.SetCursors(11, 31);
    KernelRequest request;
    request.window = PlaceWindow(plane.Matrix(), whole);
    request.rows = request.cols = kSide;
    request.scanlines = kScanlines;
    ChannelResult result;
    const auto start = std::chrono::steady_clock::now();
    if (RunKernel(plane.Matrix(), result, request) != status::kOk) return 0.0;
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  return seconds;
}

void BM_Pipeline(benchmark::State& state, const PipelineCase* c, const RowKernelSet* build,
                 unsigned threads) {
  const std::string input = InputFor(*c);
  if (input.empty()) {
    state.SkipWithError("input not written");
    return;
  }
  SetKernelDefaults({build, threads});
  const PipelineRequest request = RequestFor(*c, input);
  for (auto _ : state) {
    if (RunPipeline(request).status != status::kOk) {
      state.SkipWithError("pipeline failed");
      break;
    }
  }
  const double kernel = KernelSeconds(*c, input);
  SetKernelDefaults({});
  const double megapixels = double(kSide) * kSide / 1e6;
  state.counters["Mpixel/s"] =
      benchmark::Counter(megapixels, benchmark::Counter::kIsIterationInvariantRate);
  if (kernel > 0.0) state.counters["kernel_Mpixel/s"] = megapixels / kernel;
}

// Registered before main runs, beside the kernel benchmarks.
const bool kRegistered = [] {
  const unsigned all = DefaultThreadCount();
  const RowKernelSet* best = AvailableRowKernels().back();
  for (const PipelineCase& c : kPipelineCases) {
    std::set<std::pair<const RowKernelSet*, unsigned>> runs{
        {&PlainRowKernels(), 1u}, {best, 1u}, {best, all}};
    for (const auto& [build, threads] : runs) {
      const std::string name =
          std::string(c.name) + "/" + build->name + "/" + std::to_string(threads);
      auto* b = benchmark::RegisterBenchmark(name.c_str(), BM_Pipeline, &c, build, threads)
                    ->Unit(benchmark::kMillisecond)
                    ->UseRealTime();
      // The plain build's runs take seconds: one is enough.
      if (build == &PlainRowKernels()) b->Iterations(1); else b->MinTime(1.0);
    }
  }
  return true;
}();

}  // namespace
}  // namespace veska
