#include "dialogs/image_panel.h"

#include <QElapsedTimer>
#include <QMouseEvent>
#include <QPainter>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cmath>

#include "app/veska_view.h"
#include "image/image_process.h"
#include "imagelib/image_ops.h"
#include "imagelib/status.h"

namespace veska::dialogs {
namespace {

// Pixels of source kept around the visible region in a reduced copy, so the
// kernel's window sees the same surroundings as it would at full size.
constexpr int kReducedMargin = 200;
// The smallest side the preview processes.
constexpr int kMinimumSide = 51;

QCursor GrabCursor(bool closed) {
  const QPixmap picture(closed ? ":/cursors/grab-closed.svg" : ":/cursors/grab-open.svg");
  return picture.isNull() ? QCursor(closed ? Qt::ClosedHandCursor : Qt::OpenHandCursor)
                          : QCursor(picture);
}

// The reduced copy of `source` around `visible`, processed into `output`.
int ProcessReduced(veska::AImage& output, const veska::AImage& source,
                   const veska::PixelRect& visible, float zoom, veska::ProcessRequest request) {
  const int width = source.Width();
  const int height = source.Height();
  const int left = std::max(0, visible.left - kReducedMargin);
  const int top = std::max(0, visible.top - kReducedMargin);
  const int right = std::min(width - 1, visible.right + kReducedMargin);
  const int bottom = std::min(height - 1, visible.bottom + kReducedMargin);
  const int keptLeft = visible.left - left;
  const int keptTop = visible.top - top;

  veska::ImageDesc part;
  veska::CopyDescriptor(*source.Desc(), part);
  veska::SetRect(part, uint32_t(left), uint32_t(top), uint32_t(right), uint32_t(bottom));
  veska::AImage reduced;
  const int reducedWidth = std::max(1, int(float(right - left + 1) * zoom));
  const int reducedHeight = std::max(1, int(float(bottom - top + 1) * zoom));
  if (int rc = veska::Allocate(reduced.Buffer(), reducedWidth, reducedHeight,
                               source.Desc()->BitsPerPixel()))
    return rc;
  if (int rc = veska::Resize(part, reduced.Buffer(), veska::kResizeInterpolate)) return rc;
  reduced.SetLoaded(true);
  reduced.SetGray(source.IsGray());

  // A small store built from the reduced pixels that keeps the full image's
  // value range, cursors and flags, so the copy is processed like the image.
  veska::ChannelStore& store = reduced.Channels();
  if (int rc = store.CopyFrom(source.Channels(), veska::PixelRect{0, 0, 5, 5}, true)) return rc;
  store.SetDerived(true);
  if (int rc = store.BuildLuminance(&reduced.Buffer(), false)) return rc;
  for (int i = 0; i < store.PlaneCount(); ++i) {
    const veska::ChannelPlane* from = source.Channels().Plane(i);
    veska::ChannelPlane* to = store.Plane(i);
    if (from == nullptr || to == nullptr) continue;
    to->SetCursors(from->SmallCursor(), from->BigCursor());
    to->SetLastUsed(from->LastSmall(), from->LastBig());
    to->SetStatistics(from->Max(), from->Min());
    to->SetFullRange(from->FullRange());
    to->SetEnabled(from->Enabled());
    to->SetFlat(from->Flat());
  }
  const int startX = int(float(keptLeft) * zoom);
  const int startY = int(float(keptTop) * zoom);
  request.rect = veska::PixelRect{startX, startY, startX + visible.Width() - 1,
                                  startY + visible.Height() - 1};
  return veska::ProcessImage(output, reduced, request, veska::ResultPlanes::kKeepResults);
}

}  // namespace

veska::PixelRect VisibleRegionOf(double originX, double originY, int clientWidth,
                                 int clientHeight, float zoom, int imageWidth, int imageHeight) {
  veska::PixelRect r;
  r.left = int(originX);
  r.top = int(originY);
  r.right = int(float(clientWidth) / zoom + float(r.left) + 0.5f);
  r.bottom = int(float(clientHeight) / zoom + float(r.top) + 0.5f);
  if (r.left < 0) r.left = 0;
  if (r.top < 0) r.top = 0;
  if (r.right > imageWidth - 1) {
    const int span = r.right - r.left;
    r.right = imageWidth - 1;
    r.left = std::max(0, imageWidth - span);
  }
  if (r.bottom > imageHeight - 1) {
    const int span = r.bottom - r.top;
    r.bottom = imageHeight - 1;
    r.top = std::max(0, imageHeight - span);
  }
  return r;
}

std::optional<veska::PixelRect> PreviewRegionOf(const veska::PixelRect& visible, int imageWidth,
                                                int imageHeight) {
  if (visible.Width() >= 50 && visible.Height() >= 50) return visible;
  veska::PixelRect r{visible.left, visible.top, visible.left + kMinimumSide - 1,
                     visible.top + kMinimumSide - 1};
  if (r.right > imageWidth - 1) {
    r.right = imageWidth - 1;
    r.left = imageWidth - kMinimumSide;
  }
  if (r.bottom > imageHeight - 1) {
    r.bottom = imageHeight - 1;
    r.top = r.bottom - (kMinimumSide - 1);
  }
  if (r.left < 0 || r.top < 0) return std::nullopt;
  return r;
}

PreviewResult ProcessPreview(veska::AImage& output, const veska::AImage& source,
                             const veska::PixelRect& visible, float zoom, int channel,
                             int scanlines) {
  PreviewResult result;
  if (source.Desc() == nullptr) return result;
  veska::ProcessRequest request;
  request.channel = channel;
  request.scanlines = uint16_t(scanlines);
  const bool small = visible.Width() < 50 || visible.Height() < 50;
  if (!small && zoom < 1.0f && !source.Channels().SixteenBit()) {
    result.processed = true;
    result.renderScale = 1.0f;
    result.status = ProcessReduced(output, source, visible, zoom, request);
    return result;
  }
  const std::optional<veska::PixelRect> region =
      PreviewRegionOf(visible, source.Width(), source.Height());
  if (!region) return result;
  request.rect = *region;
  result.processed = true;
  result.renderScale = zoom;
  result.status = veska::ProcessImage(output, source, request, veska::ResultPlanes::kKeepResults);
  return result;
}

CImagePanel::CImagePanel(QWidget* parent) : QWidget(parent) {
  setAccessibleName("Image panel");
  setMinimumSize(128, 128);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setCursor(GrabCursor(false));
}

CImagePanel::~CImagePanel() = default;

void CImagePanel::SetSource(veska::AImage* image) {
  source_ = image;
  RecomputeVisibleRegion();
}

void CImagePanel::CentreOn(const veska::PixelRect& rect) {
  const int x = rect.left + (rect.right - rect.left + 1) / 2;
  const int y = rect.top + (rect.bottom - rect.top + 1) / 2;
  origin_.setX(int(float(x) - float((width() + 1) / 2) / zoom_));
  origin_.setY(int(float(y) - float((height() + 1) / 2) / zoom_));
  RecomputeVisibleRegion();
}

void CImagePanel::RecomputeVisibleRegion(double dx, double dy) {
  if (source_ == nullptr || source_->Desc() == nullptr) return;
  visible_ = VisibleRegionOf(origin_.x() + dx, origin_.y() + dy, width(), height(), zoom_,
                             source_->Width(), source_->Height());
}

void CImagePanel::SetResult(bool valid) {
  resultValid_ = valid;
  if (valid) {
    const veska::ImageDesc* desc = output_.Desc();
    outputPicture_ = desc != nullptr ? app::ToQImage(*desc) : QImage();
  }
  update();
}

void CImagePanel::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  grabMouse();
  setCursor(GrabCursor(true));
  dragging_ = true;
  pressPoint_ = event->globalPosition().toPoint();
  pressOrigin_ = origin_;
}

void CImagePanel::mouseMoveEvent(QMouseEvent* event) {
  if (!dragging_) return;
  resultValid_ = false;
  const QPoint moved = pressPoint_ - event->globalPosition().toPoint();
  origin_ = pressOrigin_;
  RecomputeVisibleRegion(moved.x() / zoom_, moved.y() / zoom_);
  repaint();
}

void CImagePanel::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !dragging_) return;
  releaseMouse();
  dragging_ = false;
  origin_ = QPoint(visible_.left, visible_.top);
  setCursor(GrabCursor(false));
  SetResult(true);
  Reprocess();
}

void CImagePanel::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  RecomputeVisibleRegion();
}

void CImagePanel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().color(QPalette::Dark));
  if (source_ == nullptr) return;
  if (resultValid_ && !outputPicture_.isNull()) {
    painter.scale(renderScale_, renderScale_);
    painter.drawImage(QPoint(0, 0), outputPicture_);
  } else if (const veska::ImageDesc* desc = source_->Desc();
             desc != nullptr && visible_.right >= visible_.left &&
             visible_.bottom >= visible_.top) {
    // Straight from the source's buffer: no copy of the whole image.
    painter.scale(zoom_, zoom_);
    painter.translate(-visible_.left, -visible_.top);
    app::DrawImageRect(painter, *desc, visible_);
  }
}

CPreviewPanel::CPreviewPanel(int scanlines, QWidget* parent)
    : CImagePanel(parent), scanlines_(scanlines), resized_(new QTimer(this)) {
  resized_->setSingleShot(true);
  resized_->setInterval(100);
  connect(resized_, &QTimer::timeout, this, [this] {
    if (!dragging_) Reprocess();
  });
}

void CPreviewPanel::resizeEvent(QResizeEvent* event) {
  CImagePanel::resizeEvent(event);
  // Before the first computation the dialog computes anyway.
  if (computations_ > 0) resized_->start();
}

CPreviewPanel::~CPreviewPanel() { StopLive(); }

void CPreviewPanel::Reprocess() {
  StopLive();
  resultValid_ = false;
  update();
  ProcessVisibleRegion();
  SetResult(true);
}

void CPreviewPanel::ProcessVisibleRegion() {
  if (source_ == nullptr) return;
  RecomputeVisibleRegion();
  QElapsedTimer timer;
  timer.start();
  const PreviewResult result =
      ProcessPreview(output_, *source_, visible_, zoom_, channel_, scanlines_);
  if (!result.processed) return;
  lastMs_ = timer.elapsed();
  ++computations_;
  if (result.status != veska::status::kOk) {
    veska::ErrorReporter::Get().Report(result.status);
    return;
  }
  renderScale_ = result.renderScale;
}

void CPreviewPanel::RequestLive(std::function<void()> prepare, std::function<void()> restore) {
  if (source_ == nullptr || source_->Desc() == nullptr || !LiveAllowed() || dragging_) return;
  if (!liveActive_) {
    liveActive_ = true;
    restore_ = std::move(restore);
  }
  pendingPrepare_ = std::move(prepare);
  if (liveThread_ == nullptr) StartLive();
}

void CPreviewPanel::StartLive() {
  std::function<void()> prepare = std::move(pendingPrepare_);
  pendingPrepare_ = nullptr;
  if (prepare) prepare();
  RecomputeVisibleRegion();
  const veska::PixelRect visible = visible_;
  const float zoom = zoom_;
  const int channel = channel_;
  const int scanlines = scanlines_;
  const veska::AImage* source = source_;
  ++liveRuns_;
  liveThread_.reset(QThread::create([=, this] {
    QElapsedTimer timer;
    timer.start();
    liveResult_ = ProcessPreview(liveOutput_, *source, visible, zoom, channel, scanlines);
    liveMs_ = timer.elapsed();
  }));
  const int generation = liveGeneration_;
  connect(liveThread_.get(), &QThread::finished, this,
          [this, generation] { LiveFinished(generation); });
  liveThread_->start();
}

void CPreviewPanel::LiveFinished(int generation) {
  if (generation != liveGeneration_ || liveThread_ == nullptr) return;  // stopped meanwhile
  liveThread_->wait();
  liveThread_.reset();
  if (liveResult_.processed) lastMs_ = liveMs_;
  if (pendingPrepare_) {
    // A newer pair is waiting: this result is outdated and not shown.
    StartLive();
    return;
  }
  if (!liveResult_.processed || liveResult_.status != veska::status::kOk) return;
  const veska::ImageDesc* desc = liveOutput_.Desc();
  if (desc == nullptr) return;
  livePicture_ = app::ToQImage(*desc);
  liveScale_ = liveResult_.renderScale;
  update();
}

void CPreviewPanel::StopLive() {
  ++liveGeneration_;
  if (liveThread_ != nullptr) {
    liveThread_->wait();
    liveThread_.reset();
  }
  pendingPrepare_ = nullptr;
  if (liveActive_) {
    liveActive_ = false;
    if (restore_) restore_();
    restore_ = nullptr;
  }
  if (!livePicture_.isNull()) {
    livePicture_ = QImage();
    update();
  }
}

void CPreviewPanel::paintEvent(QPaintEvent* event) {
  if (livePicture_.isNull() || dragging_) return CImagePanel::paintEvent(event);
  QPainter painter(this);
  painter.fillRect(rect(), palette().color(QPalette::Dark));
  painter.scale(liveScale_, liveScale_);
  painter.drawImage(QPoint(0, 0), livePicture_);
}

}  // namespace veska::dialogs
