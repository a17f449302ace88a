// Speed of the Mix dialog's live preview: one refresh of a 512 x 512 region
// in view of two 4096 x 4096 colour images, the mix alone and the whole
// panel refresh (the mix and the picture it shows).
#include <benchmark/benchmark.h>

#include <memory>

#include "dialogs/mix_dialog.h"
#include "engine/channel_store.h"
#include "tools/sample_images.h"

namespace veska {
namespace {

constexpr int kSide = 4096;
constexpr int kRegion = 512;

std::unique_ptr<AImage> Colour(int seed) {
  return MakeImage(kSide, kSide, 24, [seed](int x, int y) {
    const uint32_t level = uint32_t(40 + ((x / 3 + y / 5 + seed) % 150) + int(30 * Noise(x, y)));
    return Rgb(level, 255 - level, (level * 3 + uint32_t(seed)) & 255);
  });
}

void BM_MixRegion4096(benchmark::State& state) {
  auto a = Colour(0);
  auto b = Colour(7);
  const int left = (kSide - kRegion) / 2;
  const PixelRect visible{left, left, left + kRegion - 1, left + kRegion - 1};
  AImage output;
  for (auto _ : state)
    if (!dialogs::MixVisibleRegion(output, *a, *b, visible, 70, -30))
      state.SkipWithError("mix failed");
}
BENCHMARK(BM_MixRegion4096)->Unit(benchmark::kMillisecond);

void BM_MixPanelRefresh4096(benchmark::State& state) {
  auto a = Colour(0);
  auto b = Colour(7);
  dialogs::CMixPanel panel;
  panel.resize(kRegion, kRegion);
  panel.SetZoom(1.0f);
  panel.SetImageA(a.get());
  panel.SetImageB(b.get());
  panel.SetWeights(70, -30);
  for (auto _ : state) {
    panel.Reprocess();
    if (!panel.ResultValid() || panel.Output().Width() < kRegion)
      state.SkipWithError("no mix shown");
  }
}
BENCHMARK(BM_MixPanelRefresh4096)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace veska
