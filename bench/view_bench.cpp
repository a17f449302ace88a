// Image-window painting: one 1920 x 1080 viewport of a 16384 x 16384 24-bit
// image at 1, 12, 100 and 800 percent, drawn offscreen, scrolled to the
// image's middle. The counter window_mb is what the window itself added to
// the resident memory (the image's buffer is made before it is counted).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QScrollBar>
#include <cstdio>
#include <cstring>
#include <memory>

#include "app/document.h"
#include "app/veska_view.h"
#include "imagelib/status.h"

namespace {

constexpr int kSide = 16384;

double ResidentMb() {
  long pages = 0, resident = 0;
  if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(statm);
  }
  return double(resident) * 4096 / (1024 * 1024);
}

struct Scene {
  veska::app::AVeskaDoc doc;
  std::unique_ptr<veska::app::CVeskaView> view;
  double windowMb = 0;

  Scene() {
    veska::AImage& image = doc.Image();
    if (veska::Allocate(image.Buffer(), kSide, kSide, 24) != veska::status::kOk) std::abort();
    veska::ImageDesc& desc = image.Buffer();
    for (int y = 0; y < kSide; ++y) {
      uint8_t* row = desc.Row(y);
      for (int x = 0; x < kSide * 3; ++x) row[x] = uint8_t(x ^ y);
    }
    image.SetLoaded(true);
    QImage target(1920, 1080, QImage::Format_RGB32);
    target.fill(Qt::white);
    const double before = ResidentMb();
    view = std::make_unique<veska::app::CVeskaView>(doc);
    view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view->resize(1920, 1080);
    for (float zoom : {1.f, 12.f, 100.f, 800.f}) {
      view->SetZoom(zoom);
      view->viewport()->render(&target);
    }
    windowMb = ResidentMb() - before;
  }
};

// Made on first use, gone before the application object.
std::unique_ptr<Scene> theScene;

Scene& TheScene() {
  if (!theScene) theScene = std::make_unique<Scene>();
  return *theScene;
}

void BM_PaintViewport(benchmark::State& state) {
  Scene& scene = TheScene();
  veska::app::CVeskaView& view = *scene.view;
  view.SetZoom(float(state.range(0)));
  view.horizontalScrollBar()->setValue(view.horizontalScrollBar()->maximum() / 2);
  view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum() / 2);
  QImage target(1920, 1080, QImage::Format_RGB32);
  for (auto _ : state) {
    view.viewport()->render(&target);
    benchmark::DoNotOptimize(target.constBits());
  }
  state.counters["window_mb"] = scene.windowMb;
}
BENCHMARK(BM_PaintViewport)->Arg(1)->Arg(12)->Arg(100)->Arg(800)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  theScene.reset();
  return 0;
}
