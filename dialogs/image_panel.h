// The image area of the preview dialog: a region of an image at the zoom of
// the view that opened the dialog, panned by dragging (the unprocessed source
// shows while the drag lasts), and a computed result of the visible region
// once the drag ends. CPreviewPanel computes that result with the Veska
// processing at the Preview count.
#pragma once

#include <QImage>
#include <QPoint>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

#include "image/aimage.h"
#include "imagelib/image_rect.h"

class QThread;
class QTimer;

namespace veska::dialogs {

// The source pixels a panel of `clientWidth` x `clientHeight` shows with
// `originX`, `originY` at its top-left corner (plus a drag offset), kept
// inside an image of `imageWidth` x `imageHeight`.
veska::PixelRect VisibleRegionOf(double originX, double originY, int clientWidth,
                                 int clientHeight, float zoom, int imageWidth, int imageHeight);

// The region the preview processes for `visible`: itself, or 51 x 51 pixels
// from its top-left corner when it is under 50 pixels either way (pushed
// back inside the image); none for an image under 51 pixels that way.
std::optional<veska::PixelRect> PreviewRegionOf(const veska::PixelRect& visible, int imageWidth,
                                                int imageHeight);

// What one preview computation produced: the output image and the scale to
// draw it at.
struct PreviewResult {
  int status = 0;      // the engine's status; nonzero leaves `output` unchanged
  float renderScale = 1.0f;
  bool processed = false;  // false: nothing was processed (image too small)
};

// Processes what a preview panel shows of `source` for `visible` at `zoom`
// into `output`: `channel` (-1 all), `scanlines` per octant, the luminance of
// the result kept as the engine made it, no progress. Below 100 % on an 8-bit
// store a copy reduced by the zoom (with up to 200 pixels of margin) is
// processed instead of the full-size region. Safe off the user-interface
// thread while nobody changes `source`.
PreviewResult ProcessPreview(veska::AImage& output, const veska::AImage& source,
                             const veska::PixelRect& visible, float zoom, int channel,
                             int scanlines);

class CImagePanel : public QWidget {
  Q_OBJECT
 public:
  explicit CImagePanel(QWidget* parent = nullptr);
  ~CImagePanel() override;

  // Remembers the image (not owned) and recomputes the visible region.
  void SetSource(veska::AImage* image);
  void SetZoom(float zoom) { zoom_ = zoom; }
  float Zoom() const { return zoom_; }
  // Puts the rectangle's centre at the panel's centre.
  void CentreOn(const veska::PixelRect& rect);
  virtual void Reprocess() {}

  veska::PixelRect VisibleRegion() const { return visible_; }
  bool ResultValid() const { return resultValid_; }
  float RenderScale() const { return renderScale_; }
  const veska::AImage& Output() const { return output_; }

 protected:
  void RecomputeVisibleRegion(double dx = 0, double dy = 0);
  void SetResult(bool valid);
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

  float zoom_ = 1.0f;
  float renderScale_ = 1.0f;
  veska::PixelRect visible_{0, 0, -1, -1};
  QPoint pressPoint_;
  QPoint pressOrigin_;
  QPoint origin_;
  bool dragging_ = false;
  veska::AImage output_;
  QImage outputPicture_;
  bool resultValid_ = false;
  veska::AImage* source_ = nullptr;
};

class CPreviewPanel final : public CImagePanel {
  Q_OBJECT
 public:
  // Live refreshing is offered only while a computation of the visible
  // region takes less than this.
  static constexpr qint64 kLiveLimitMs = 30;

  explicit CPreviewPanel(int scanlines, QWidget* parent = nullptr);
  ~CPreviewPanel() override;

  void SetChannel(int channel) { channel_ = channel; }
  int Channel() const { return channel_; }
  // Stops live refreshing first, so the result shown is this computation's.
  void Reprocess() override;
  // Processes the visible region into the output image.
  void ProcessVisibleRegion();
  // How many computations have run (tests see a skipped one).
  int Computations() const { return computations_; }

  // Live refreshing while a slider is dragged. The visible region is
  // processed again off the user-interface thread; `prepare` runs on this
  // thread just before (it puts the dragged cursors into the planes the run
  // reads) and `restore` once when live refreshing stops (it puts back what
  // the planes held). A request made while a run is busy waits, and only the
  // newest waiting one runs; a result is shown only when no newer request
  // came after it. Nothing happens while the last computation took
  // kLiveLimitMs or more.
  void RequestLive(std::function<void()> prepare, std::function<void()> restore);
  // Waits for a busy run, forgets the waiting request, restores the planes
  // and shows the last ordinary result again. Afterwards nothing reads the
  // source on another thread.
  void StopLive();
  bool LiveAllowed() const { return lastMs_ >= 0 && lastMs_ < kLiveLimitMs; }
  // Live runs started, and the picture of the live result shown (null: none).
  int LiveRuns() const { return liveRuns_; }
  const QImage& LivePicture() const { return livePicture_; }
  // The ordinary result as drawn (tests compare the live one with it).
  const QImage& OutputPicture() const { return outputPicture_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  // A panel that grows or shrinks computes its new region once the size
  // settles.
  void resizeEvent(QResizeEvent* event) override;

 private:
  void StartLive();
  void LiveFinished(int generation);

  int channel_ = -1;
  int scanlines_;
  int computations_ = 0;
  qint64 lastMs_ = -1;  // duration of the last computation; -1 before any

  // The live run: its thread, its own output (touched by that thread only
  // while it runs), what it produced.
  std::unique_ptr<QThread> liveThread_;
  veska::AImage liveOutput_;
  PreviewResult liveResult_;
  qint64 liveMs_ = 0;
  int liveGeneration_ = 0;
  std::function<void()> pendingPrepare_;
  std::function<void()> restore_;
  bool liveActive_ = false;
  int liveRuns_ = 0;
  QImage livePicture_;
  float liveScale_ = 1.0f;
  QTimer* resized_;
};

}  // namespace veska::dialogs
