// The image area of the preview dialog: a region of an image at the zoom of
// the view that opened the dialog, panned by dragging (the unprocessed source
// shows while the drag lasts), and a computed result of the visible region
// once the drag ends. CPreviewPanel computes that result with the Veska
// processing at the Preview count.
#pragma once

#include <QImage>
#include <QPoint>
#include <QWidget>
#include <memory>
#include <optional>

#include "image/aimage.h"
#include "imagelib/image_rect.h"

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
  QImage sourcePicture_;
};

class CPreviewPanel final : public CImagePanel {
  Q_OBJECT
 public:
  explicit CPreviewPanel(int scanlines, QWidget* parent = nullptr);

  void SetChannel(int channel) { channel_ = channel; }
  int Channel() const { return channel_; }
  void Reprocess() override;
  // Processes the visible region into the output image.
  void ProcessVisibleRegion();
  // How many computations have run (tests see a skipped one).
  int Computations() const { return computations_; }

 private:
  int channel_ = -1;
  int scanlines_;
  int computations_ = 0;
};

}  // namespace veska::dialogs
