// Speed of the desktop's processing paths: the preview panel's refresh of a
// 512 x 512 panel (full size, and the reduced copy when zoomed out), and Process from the desktop against ProcessImage alone on the same
// whole 4096 x 4096 colour image.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <memory>

#include "app/application.h"
#include "app/document.h"
#include "app/main_frame.h"
#include "app/progress_window.h"
#include "dialogs/image_panel.h"
#include "dialogs/splash_window.h"
#include "engine/channel_store.h"
#include "image/image_process.h"
#include "tools/sample_images.h"

namespace veska {
namespace {

constexpr int kPreviewScanlines = 4;  // the Preview count's default
constexpr int kFullScanlines = 16;

std::unique_ptr<AImage> Photo(int side, int bits) {
  auto image = MakeImage(side, side, bits, [bits](int x, int y) {
    const uint32_t level = uint32_t(40 + ((x / 3 + y / 5) % 150) + int(30 * Noise(x, y)));
    return bits == 8 ? level : Rgb(level, 255 - level, (level * 3) & 255);
  });
  if (bits == 24) image->Channels().SetLuminance(Luminance::kMulti);
  return image;
}

// A slider release: the 512 x 512 panel's visible region processed and
// turned into the picture the panel draws.
void Preview(benchmark::State& state, int side, int bits, float zoom) {
  auto image = Photo(side, bits);
  dialogs::CPreviewPanel panel(kPreviewScanlines);
  panel.resize(512, 512);
  panel.SetZoom(zoom);
  panel.SetSource(image.get());
  panel.CentreOn({0, 0, side - 1, side - 1});
  for (auto _ : state) {
    const int before = panel.Computations();
    panel.Reprocess();
    if (panel.Computations() != before + 1 || panel.OutputPicture().isNull())
      state.SkipWithError("preview failed");
  }
  const PixelRect visible = panel.VisibleRegion();
  state.counters["region"] = double(visible.Width()) * visible.Height();
}

void BM_Preview8Bit(benchmark::State& state) { Preview(state, 1024, 8, 1.0f); }
void BM_Preview24Bit4096Multi(benchmark::State& state) { Preview(state, 4096, 24, 1.0f); }
void BM_Preview8Bit4096Zoom25(benchmark::State& state) { Preview(state, 4096, 8, 0.25f); }
BENCHMARK(BM_Preview8Bit)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Preview24Bit4096Multi)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Preview8Bit4096Zoom25)->Unit(benchmark::kMillisecond);

// Both Process benchmarks run once untimed first: the first run of a
// program pays for its threads, fonts and first windows once.
void BM_ProcessImageAlone(benchmark::State& state) {
  auto image = Photo(4096, 24);
  auto run = [&] {
    AImage destination;
    ProcessRequest request;
    request.scanlines = kFullScanlines;
    return ProcessImage(destination, *image, request) == 0;
  };
  run();
  for (auto _ : state)
    if (!run()) state.SkipWithError("process failed");
}
BENCHMARK(BM_ProcessImageAlone)->Unit(benchmark::kMillisecond)->Iterations(3);

// The whole of Process from the desktop: a new window, the copy, the run on
// the worker thread behind the progress window, the result shown.
void BM_ProcessFromDesktop(benchmark::State& state) {
  QTemporaryDir dir;
  QSettings settings(dir.filePath("settings.ini"), QSettings::IniFormat);
  dialogs::SplashWindow::Enable(false);
  app::Application application(settings);
  app::CMainFrame window(application);
  window.show();
  app::AVeskaDoc* source = application.NewDocument();
  auto photo = Photo(4096, 24);
  source->Image().Copy(*photo);
  auto close = [&](app::AVeskaDoc* derived) {
    if (derived != nullptr) {
      derived->SetModifiedFlag(false);
      application.CloseDocument(*derived);
    }
    QApplication::processEvents();
  };
  {
    app::ProgressWindow progress(&window);
    close(application.MakeProcessedDocument(*source, {0, 0, 4095, 4095}, &progress));
  }
  for (auto _ : state) {
    app::ProgressWindow progress(&window);
    app::AVeskaDoc* derived =
        application.MakeProcessedDocument(*source, {0, 0, 4095, 4095}, &progress);
    if (derived == nullptr) state.SkipWithError("process failed");
    state.PauseTiming();
    close(derived);
    state.ResumeTiming();
  }
  source->SetModifiedFlag(false);
}
BENCHMARK(BM_ProcessFromDesktop)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace veska

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
