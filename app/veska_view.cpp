#include "app/veska_view.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>
#include <QPrintDialog>
#include <QPrinter>
#include <QRubberBand>
#include <QScrollBar>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "app/document.h"
#include "app/prompter.h"
#include "app/wait_cursor.h"
#include "dialogs/small_dialogs.h"
#include "image/aimage.h"
#include "imagelib/status.h"

namespace veska::app {
namespace {

// Every image window, for Synchronize.
QList<CVeskaView*>& Views() {
  static QList<CVeskaView*> views;
  return views;
}

// The 12-byte luminance-mode record: size, marker (0: no mode given), and
// 1 when the copy's store held one channel per colour.
struct ModeRecord {
  uint32_t size = 12;
  uint32_t marker = 0;
  uint32_t multiChannel = 0;
};
static_assert(sizeof(ModeRecord) == 12);
constexpr uint32_t kModeMarker = 256;

// The colour table of an 8-bit buffer for QImage, padded to 256 entries so
// that no index reads past it; a buffer without one is grey.
QList<QRgb> ColourTable(const ImageDesc& desc) {
  QList<QRgb> table;
  table.reserve(256);
  for (int i = 0; i < desc.colours && i < 256; ++i)
    table << qRgb(desc.palette[i].red, desc.palette[i].green, desc.palette[i].blue);
  if (table.isEmpty())
    for (int i = 0; i < 256; ++i) table << qRgb(i, i, i);
  while (table.size() < 256) table << qRgb(0, 0, 0);
  return table;
}

QImage::Format FormatFor(int bitsPerPixel) {
  switch (bitsPerPixel) {
    case 8: return QImage::Format_Indexed8;
    case 16: return QImage::Format_RGB555;
    case 24: return QImage::Format_BGR888;
    case 32: return QImage::Format_RGB32;
    default: return QImage::Format_Invalid;
  }
}

// The rows top..bottom, columns left..right of `desc` as a QImage over the
// buffer itself, no copy: its first line is image row `bottom` (the buffer
// is stored bottom-up), so whoever draws it flips it.
QImage RowsView(const ImageDesc& desc, const PixelRect& rect) {
  const QImage::Format format = FormatFor(desc.BitsPerPixel());
  if (format == QImage::Format_Invalid) return {};
  const uint8_t* first = desc.Row(rect.bottom) + size_t(rect.left) * (desc.BitsPerPixel() / 8);
  QImage view(first, rect.Width(), rect.Height(), qsizetype(desc.stride), format);
  if (format == QImage::Format_Indexed8) view.setColorTable(ColourTable(desc));
  return view;
}

QString NumberForm(const char* label, int value) {
  return value < 0 ? QString::asprintf("%s ", label) : QString::asprintf("%s %d", label, value);
}

QString CursorText(int value, bool padded) {
  if (value == 0) return "n/a";
  return padded ? QString::asprintf("%3ld", long(value)) : QString::asprintf("%ld", long(value));
}

QString RangeText(const char* label, const int (&values)[3], bool multi) {
  if (!multi) return NumberForm(label, values[0]);
  return QString::asprintf("%s [%3ld,%3ld,%3ld]", label, long(values[0]), long(values[1]),
                           long(values[2]));
}

QString CursorsText(const char* label, const int (&values)[3], bool multi) {
  if (!multi) return QString("%1 %2").arg(label, CursorText(values[0], false));
  return QString("%1 [%2,%3,%4]")
      .arg(label, CursorText(values[0], true), CursorText(values[1], true),
           CursorText(values[2], true));
}

}  // namespace

bool CVeskaView::synchronize_ = false;
bool CVeskaView::painting_ = false;
bool CVeskaView::syncing_ = false;

QImage ToQImage(const veska::ImageDesc& desc) {
  if (desc.pixels == nullptr || desc.Width() <= 0 || desc.Height() <= 0) return {};
  const PixelRect whole{0, 0, desc.Width() - 1, desc.Height() - 1};
  return RowsView(desc, whole).mirrored(false, true);  // a top-down copy
}

void DrawImageRect(QPainter& painter, const ImageDesc& desc, const PixelRect& rect) {
  const QImage rows = RowsView(desc, rect);
  if (rows.isNull()) return;
  painter.save();
  painter.translate(rect.left, rect.bottom + 1);
  painter.scale(1, -1);
  painter.drawImage(0, 0, rows);
  painter.restore();
}

QStringList StatusPaneTexts(const ImageStatus& s) {
  return {
      QString("Lum: %1").arg(s.multiChannel ? "Multiple" : "Single"),
      RangeText("Min:", s.minimum, s.multiChannel),
      RangeText("Max:", s.maximum, s.multiChannel),
      CursorsText("Small:", s.small, s.multiChannel),
      CursorsText("Big:", s.big, s.multiChannel),
      NumberForm("Width:", s.width),
      NumberForm("Height:", s.height),
      NumberForm("Zoom%:", s.zoom),
  };
}

PixelRect WindowToImage(const PixelRect& window, float zoom, int width, int height) {
  const float scale = 100 / zoom;
  PixelRect image;
  image.left = int(scale * float(window.left));
  image.top = int(scale * float(window.top));
  image.right = int(scale * (window.right + 0.499999) + 0.5);
  image.bottom = int(scale * (window.bottom + 0.499999) + 0.5);
  image.right = std::min(image.right, width - 1);
  image.bottom = std::min(image.bottom, height - 1);
  return image;
}

PixelRect CoveringImageRect(const PixelRect& update, int sx, int sy, float zoom) {
  const double scale = zoom * 0.01;
  return {int((sx + update.left) / scale), int((sy + update.top) / scale),
          int((sx + update.right + 1) / scale), int((sy + update.bottom + 1) / scale)};
}

int PrintImage(const veska::AImage& image, QPaintDevice& device, const QRect& printable,
               bool fit) {
  const ImageDesc* desc = image.Desc();
  if (desc == nullptr) return status::kOk;
  const int deviceDpiX = device.logicalDpiX();
  const int deviceDpiY = device.logicalDpiY();
  if (deviceDpiX <= 0 || deviceDpiY <= 0) return status::kPrintError;
  // Thousandths of an inch.
  const long printableWidth = long(printable.width()) * 1000 / deviceDpiX;
  const long printableHeight = long(printable.height()) * 1000 / deviceDpiY;
  const double dpi = image.Dpi() > 0 ? image.Dpi() : kDefaultDpi;
  long width = long(desc->Width() * 1000 / dpi);
  long height = long(desc->Height() * 1000 / dpi);
  if (width > printableWidth || height > printableHeight) {
    if (!fit) return status::kTooLargeToPrint;
    // The largest size with the image's aspect inside both printable sides.
    const double scale = std::min(double(printableWidth) / double(width),
                                  double(printableHeight) / double(height));
    width = long(width * scale);
    height = long(height * scale);
  }
  const QRect target(printable.left(), printable.top(), int(width * deviceDpiX / 1000),
                     int(height * deviceDpiY / 1000));
  QPainter painter;
  if (!painter.begin(&device)) return status::kPrintError;
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  // Straight from the buffer: no full-size copy for the printer either.
  painter.translate(target.topLeft());
  painter.scale(double(target.width()) / desc->Width(), double(target.height()) / desc->Height());
  DrawImageRect(painter, *desc, {0, 0, desc->Width() - 1, desc->Height() - 1});
  painter.end();
  return status::kOk;
}

CVeskaView::CVeskaView(AVeskaDoc& doc, QWidget* parent)
    : QAbstractScrollArea(parent), doc_(doc), band_(new QRubberBand(QRubberBand::Rectangle, viewport())) {
  setAccessibleName("Image");
  setFrameShape(QFrame::NoFrame);
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setMouseTracking(true);
  viewport()->setAutoFillBackground(false);
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  band_->hide();
  Views().append(this);
  connect(&doc_, &AVeskaDoc::updateViews, this, &CVeskaView::OnUpdate);
  connect(&doc_, &AVeskaDoc::imageFree, viewport(), qOverload<>(&QWidget::update));
  connect(&doc_, &QObject::destroyed, this, [this] { documentGone_ = true; });
  ResetView(false);
}

CVeskaView::~CVeskaView() { Views().removeAll(this); }

void CVeskaView::ResetView(bool moveFrame) {
  viewCursor_ = QCursor(QPixmap(":/cursors/view.svg"));
  viewport()->unsetCursor();
  ClearSelection();
  if (doc_.Image().Desc() == nullptr) return;
  SizeFrameToImage(moveFrame);
  SetScrollSizes();
}

void CVeskaView::OnUpdate(UpdateHint hint) {
  if (hint == UpdateHint::kReplaced) {
    ResetView(false);
    RefreshStatus();
    viewport()->update();
  } else {
    // Turned or flipped in place: the sizes may have swapped.
    ApplyZoom(0, 0);
    SizeFrameToImage(false);
    RefreshStatus();
  }
}

void CVeskaView::SetScrollSizes() {
  const ImageDesc* desc = doc_.Image().Desc();
  const double scale = zoom_ * 0.01;
  const int width = desc != nullptr ? int(desc->Width() * scale) : 0;
  const int height = desc != nullptr ? int(desc->Height() * scale) : 0;
  const QSize page = viewport()->size();
  horizontalScrollBar()->setRange(0, std::max(0, width - page.width()));
  horizontalScrollBar()->setPageStep(page.width());
  horizontalScrollBar()->setSingleStep(std::max(1, page.width() / 10));
  verticalScrollBar()->setRange(0, std::max(0, height - page.height()));
  verticalScrollBar()->setPageStep(page.height());
  verticalScrollBar()->setSingleStep(std::max(1, page.height() / 10));
}

void CVeskaView::SizeFrameToImage(bool move) {
  auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget());
  const ImageDesc* desc = doc_.Image().Desc();
  if (frame == nullptr || desc == nullptr) return;
  const QSize chrome = frame->size() - size();
  QSize wanted(desc->Width() + chrome.width(), desc->Height() + chrome.height());
  if (QWidget* area = frame->parentWidget()) wanted = wanted.boundedTo(area->size());
  if (move) frame->move(0, 0);
  frame->resize(wanted);
}

void CVeskaView::RefreshView() {
  SetScrollSizes();
  ClearSelection();
  RefreshStatus();
  viewport()->update();
}

void CVeskaView::RefreshStatus() {
  emit message("Done");
  const AImage& image = doc_.Image();
  const ChannelStore& store = image.Channels();
  if (!image.Loaded() || store.PlaneCount() == 0) return;
  ImageStatus status;
  status.multiChannel = store.MultiChannel();
  const int channels = status.multiChannel ? std::min(3, store.PlaneCount()) : 1;
  for (int c = 0; c < channels; ++c) {
    std::tie(status.minimum[c], status.maximum[c]) = doc_.ValueRange(c);
    std::tie(status.small[c], status.big[c]) = doc_.LastCursors(c);
  }
  status.width = image.Width();
  status.height = image.Height();
  status.zoom = ZoomPercent();
  emit statusChanged(&status);
  emit stateChanged();
}

void CVeskaView::Activated() { RefreshStatus(); }

void CVeskaView::Deactivated() {
  emit statusChanged(nullptr);
  ignoreClick_ = true;
}

bool CVeskaView::ApplyZoom(int dx, int dy) {
  zoom_ = std::clamp(zoom_, kMinZoom, kMaxZoom);
  const QPoint target(horizontalScrollBar()->value() + dx, verticalScrollBar()->value() + dy);
  if (!synchronize_) {
    RefreshView();
    return true;
  }
  const bool wasSyncing = std::exchange(syncing_, true);
  for (CVeskaView* view : Views()) {
    view->zoom_ = zoom_;
    view->RefreshView();
  }
  for (CVeskaView* view : Views()) {
    if (view == this) continue;
    view->horizontalScrollBar()->setValue(target.x());
    view->verticalScrollBar()->setValue(target.y());
  }
  syncing_ = wasSyncing;
  return true;
}

void CVeskaView::SetZoom(float percent) {
  zoom_ = percent;
  ApplyZoom(0, 0);
  RefreshStatus();
}

void CVeskaView::SetImageSelection(const veska::PixelRect& rect) {
  selection_ = rect;
  viewport()->update();
  emit stateChanged();
}

void CVeskaView::ClearSelection() {
  if (!selection_) return;
  selection_.reset();
  viewport()->update();
  emit stateChanged();
}

QRect CVeskaView::ZoomedImageRect() const {
  const ImageDesc* desc = doc_.Image().Desc();
  if (desc == nullptr) return {};
  return QRect(0, 0, int(desc->Width() * zoom_ * 0.01), int(desc->Height() * zoom_ * 0.01));
}

QRect CVeskaView::DragBounds() const {
  const ImageDesc* desc = doc_.Image().Desc();
  if (desc == nullptr) return {};
  return QRect(QPoint(0, 0), QPoint(int((desc->Width() - 1) * zoom_ * 0.01),
                                    int((desc->Height() - 1) * zoom_ * 0.01)));
}

QRect CVeskaView::SelectionWindowRect() const {
  if (!selection_) return {};
  const double scale = zoom_ * 0.01;
  const QPoint scroll(horizontalScrollBar()->value(), verticalScrollBar()->value());
  return QRect(QPoint(int(selection_->left * scale), int(selection_->top * scale)),
               QPoint(int(selection_->right * scale), int(selection_->bottom * scale)))
      .translated(-scroll);
}

void CVeskaView::paintEvent(QPaintEvent* event) {
  if (!PixelsReadable()) return;
  QPainter painter(viewport());
  for (const QRect& rect : event->region()) paintedArea_ += qint64(rect.width()) * rect.height();
  const QRect update = event->rect();
  painter.fillRect(update, Qt::white);
  const AImage& image = doc_.Image();
  const ImageDesc* desc = image.Desc();
  if (desc == nullptr || !image.Loaded() || painting_) return;
  painting_ = true;
  const int sx = horizontalScrollBar()->value();
  const int sy = verticalScrollBar()->value();
  PixelRect rect = CoveringImageRect(
      {update.left(), update.top(), update.left() + update.width(), update.top() + update.height()},
      sx, sy, zoom_);
  rect.left = std::max(rect.left, 0);
  rect.top = std::max(rect.top, 0);
  rect.right = std::min(rect.right, desc->Width() - 1);
  rect.bottom = std::min(rect.bottom, desc->Height() - 1);
  // A strip narrower than one zoomed pixel still covers one image pixel.
  if (rect.right >= rect.left && rect.bottom >= rect.top) {
    painter.save();
    painter.translate(-sx, -sy);
    painter.scale(zoom_ * 0.01, zoom_ * 0.01);
    DrawImageRect(painter, *desc, rect);
    painter.restore();
  }
  painting_ = false;
  if (showSelection_ && selection_) {
    painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(SelectionWindowRect());
  }
}

void CVeskaView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  if (PixelsReadable()) SetScrollSizes();
}

bool CVeskaView::PixelsReadable() const {
  // The document may be gone before its window (both are deleted later), and
  // a worker may be changing the pixels (the document then says when it is
  // done and the view repaints).
  return !documentGone_ && !doc_.ImageBusy();
}

void CVeskaView::scrollContentsBy(int dx, int dy) {
  // Only the newly exposed strip is repainted.
  viewport()->scroll(dx, dy);
  if (synchronize_ && !syncing_ && (dx != 0 || dy != 0)) ApplyZoom(0, 0);
}

void CVeskaView::mousePressEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  if (event->button() == Qt::RightButton) {
    const QString text = PixelValues(p);
    if (!text.isEmpty()) UiPrompter::Get().Tell(text, UiPrompter::Icon::kNone);
    QAbstractScrollArea::mousePressEvent(event);
    return;
  }
  if (event->button() != Qt::LeftButton) return QAbstractScrollArea::mousePressEvent(event);
  if (ignoreClick_ || doc_.Image().Desc() == nullptr) return;
  // The old outline goes before a new drag starts.
  showSelection_ = false;
  viewport()->repaint();
  showSelection_ = true;
  if (!DragBounds().contains(p)) return;
  dragging_ = true;
  dragOrigin_ = p;
  band_->setGeometry(QRect(p, QSize()));
  band_->show();
}

void CVeskaView::mouseMoveEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  if (ZoomedImageRect().contains(p))
    viewport()->setCursor(viewCursor_);
  else
    viewport()->unsetCursor();
  if (dragging_) band_->setGeometry(QRect(dragOrigin_, p).normalized() & DragBounds());
}

void CVeskaView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    ignoreClick_ = false;
    if (dragging_) FinishDrag(event->position().toPoint());
  }
  QAbstractScrollArea::mouseReleaseEvent(event);
}

void CVeskaView::keyPressEvent(QKeyEvent* event) {
  if (dragging_ && event->key() == Qt::Key_Escape) {
    CancelDrag();
    return;
  }
  QAbstractScrollArea::keyPressEvent(event);
}

void CVeskaView::CancelDrag() {
  dragging_ = false;
  band_->hide();
  ClearSelection();
  viewport()->update();
}

void CVeskaView::FinishDrag(const QPoint& end) {
  dragging_ = false;
  band_->hide();
  const QRect bounds = DragBounds();
  PixelRect window{std::max(std::min(dragOrigin_.x(), end.x()), bounds.left()),
                   std::max(std::min(dragOrigin_.y(), end.y()), bounds.top()),
                   std::min(std::max(dragOrigin_.x(), end.x()), bounds.right()),
                   std::min(std::max(dragOrigin_.y(), end.y()), bounds.bottom())};
  const int width = window.right - window.left;
  const int height = window.bottom - window.top;
  if (width < kMinSelection || height < kMinSelection) {
    if (width <= kClickSize && height <= kClickSize) {
      CancelDrag();  // a click
      return;
    }
    window.right = int(window.left + kMinSelection * zoom_ * 0.01);
    window.bottom = int(window.top + kMinSelection * zoom_ * 0.01);
  }
  const ImageDesc* desc = doc_.Image().Desc();
  if (desc == nullptr) return;
  const int sx = horizontalScrollBar()->value();
  const int sy = verticalScrollBar()->value();
  selection_ = WindowToImage({window.left + sx, window.top + sy, window.right + sx,
                              window.bottom + sy},
                             zoom_, desc->Width(), desc->Height());
  viewport()->update();
  emit stateChanged();
}

void CVeskaView::focusInEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusInEvent(event);
  showSelection_ = true;
  viewport()->update();
}

void CVeskaView::focusOutEvent(QFocusEvent* event) {
  QAbstractScrollArea::focusOutEvent(event);
  showSelection_ = false;
  viewport()->update();
}

void CVeskaView::SelectAll() {
  const ImageDesc* desc = doc_.Image().Desc();
  if (desc == nullptr) return;
  const PixelRect whole{0, 0, desc->Width() - 1, desc->Height() - 1};
  if (whole.right - whole.left >= kMinSelection && whole.bottom - whole.top >= kMinSelection)
    selection_ = whole;
  else
    selection_.reset();
  viewport()->update();
  emit stateChanged();
}

void CVeskaView::ZoomIn() {
  WaitCursor wait;
  zoom_ += kZoomStep;
  ApplyZoom(0, 0);
  RefreshStatus();
}

void CVeskaView::ZoomOut() {
  WaitCursor wait;
  zoom_ -= kZoomStep;
  ApplyZoom(0, 0);
  RefreshStatus();
}

void CVeskaView::ZoomReset() {
  WaitCursor wait;
  zoom_ = 100;
  ApplyZoom(0, 0);
  RefreshStatus();
}

void CVeskaView::ZoomFit() {
  const ImageDesc* desc = doc_.Image().Desc();
  if (desc == nullptr) return;
  WaitCursor wait;
  const QSize outer = contentsRect().size();
  zoom_ = float(std::trunc(std::min(100.0 / desc->Height() * outer.height(),
                                    100.0 / desc->Width() * outer.width())));
  ApplyZoom(0, 0);
  RefreshStatus();
}

void CVeskaView::ZoomCustom() {
  dialogs::ZoomCustomDialog dialog(this);
  dialog.percent = ZoomPercent();
  if (UiPrompter::Get().Run(dialog) != QDialog::Accepted) return;
  // The wait cursor covers the zooming, not the typing.
  WaitCursor wait;
  zoom_ = float(dialog.percent);
  ApplyZoom(0, 0);
  SizeFrameToImage(false);
  RefreshStatus();
}

void CVeskaView::ZoomSelection() {
  const ImageDesc* desc = doc_.Image().Desc();
  if (desc == nullptr || !selection_) return;
  WaitCursor wait;
  const PixelRect selection = *selection_;
  const double rx = double(desc->Width()) / std::max(1, selection.right - selection.left);
  const double ry = double(desc->Height()) / std::max(1, selection.bottom - selection.top);
  // The selection fills what the whole image filled at the current zoom.
  const float zoom = float(std::trunc(std::min(rx, ry) * zoom_));
  const QPoint target(int(selection.left * zoom * 0.01 + 0.5), int(selection.top * zoom * 0.01 + 0.5));
  const bool wasSynchronized = std::exchange(synchronize_, false);
  zoom_ = zoom;
  ApplyZoom(0, 0);
  horizontalScrollBar()->setValue(target.x());
  verticalScrollBar()->setValue(target.y());
  viewport()->update();
  RefreshStatus();
  synchronize_ = wasSynchronized;
  if (synchronize_) ApplyZoom(0, 0);
}

QString CVeskaView::PixelValues(const QPoint& p) const {
  const AImage& image = doc_.Image();
  if (image.Desc() == nullptr || !ZoomedImageRect().contains(p)) return {};
  const double scale = zoom_ * 0.01;
  const int column = int((horizontalScrollBar()->value() + p.x()) / scale);
  const int row = int((verticalScrollBar()->value() + p.y()) / scale);
  const ChannelStore& store = image.Channels();
  auto value = [&](int channel) -> unsigned {
    const ChannelPlane* plane = store.Plane(channel);
    if (plane == nullptr || !plane->Matrix().HasRows()) return 0;
    const LuminanceMatrix& m = plane->Matrix();
    if (column < 0 || column >= m.w || row < 0 || row >= m.h) return 0;
    return m.Get(m.colOffset + column, m.rowOffset + (m.h - 1 - row));
  };
  if (store.MultiChannel() && store.PlaneCount() >= 3)
    return QString::asprintf("row:%d, col:%d\nvalue: %u, %u, %u", row, column, value(0), value(1),
                             value(2));
  return QString::asprintf("row:%d, col:%d\nvalue: %u", row, column, value(0));
}

void CVeskaView::Copy() {
  AImage& image = doc_.Image();
  const ImageDesc* desc = image.Desc();
  if (desc == nullptr || !selection_) return;
  WaitCursor wait;
  const PixelRect rect = *selection_;
  ClearSelection();
  ImageBuffer part;
  int rc = part.Allocate(rect.Width(), rect.Height(), desc->BitsPerPixel());
  std::vector<uint8_t> block;
  if (rc == status::kOk) {
    ImageDesc source = *desc;  // the same pixels, its own processing rectangle
    SetRect(source, uint32_t(rect.left), uint32_t(rect.top), uint32_t(rect.right),
            uint32_t(rect.bottom));
    rc = veska::Copy(source, part.desc());
  }
  if (rc == status::kOk) rc = MakePackedDib(part.desc(), block);
  if (rc != status::kOk) {
    ErrorReporter::Get().Report(rc);
    return;
  }
  auto* header = reinterpret_cast<BitmapInfoHeader*>(block.data());
  header->xPelsPerMeter = desc->header->xPelsPerMeter;
  header->yPelsPerMeter = desc->header->yPelsPerMeter;
  ModeRecord record;
  record.marker = kModeMarker;
  record.multiChannel = image.Channels().MultiChannel() ? 1 : 0;

  QClipboard* clipboard = QApplication::clipboard();
  if (clipboard == nullptr) {
    UiPrompter::Get().Tell("Failed to open clipboard!");
    return;
  }
  ImageDesc attached;
  AttachPackedDib(block.data(), block.size(), attached);
  auto* data = new QMimeData;
  data->setImageData(ToQImage(attached));
  data->setData(kDibMime, QByteArray(reinterpret_cast<const char*>(block.data()), qsizetype(block.size())));
  data->setData(kModeMime, QByteArray(reinterpret_cast<const char*>(&record), sizeof record));
  clipboard->setMimeData(data);
  const QMimeData* placed = clipboard->mimeData();
  if (placed == nullptr || !placed->hasFormat(kDibMime)) {
    UiPrompter::Get().Tell("Failed to set clipboard data!");
    return;
  }
  if (!placed->hasFormat(kModeMime)) {
    UiPrompter::Get().Tell("Failed to set extended clipboard data!");
    return;
  }
  viewport()->update();
  emit message("Image selection copied to clipboard.");
}

namespace {

// Another program's image as a packed bitmap: grey stays 8-bit grey,
// anything else becomes 24-bit.
std::vector<uint8_t> PackedDibFrom(const QImage& picture) {
  std::vector<uint8_t> block;
  if (picture.isNull()) return block;
  const bool grey = picture.isGrayscale();
  const QImage source =
      picture.convertToFormat(grey ? QImage::Format_Grayscale8 : QImage::Format_BGR888);
  ImageBuffer buffer;
  if (buffer.Allocate(source.width(), source.height(), grey ? 8 : 24) != status::kOk) return block;
  ImageDesc& desc = buffer.desc();
  const size_t rowBytes = size_t(source.width()) * (grey ? 1 : 3);
  for (int y = 0; y < source.height(); ++y) std::memcpy(desc.Row(y), source.constScanLine(y), rowBytes);
  if (grey) SetGrayPalette(desc);
  desc.header->xPelsPerMeter = source.dotsPerMeterX();
  desc.header->yPelsPerMeter = source.dotsPerMeterY();
  if (MakePackedDib(desc, block) != status::kOk) block.clear();
  return block;
}

}  // namespace

void CVeskaView::Paste() {
  WaitCursor wait;
  const QMimeData* data = QApplication::clipboard() ? QApplication::clipboard()->mimeData() : nullptr;
  if (data == nullptr) {
    UiPrompter::Get().Tell("Failed to open clipboard!");
    return;
  }
  std::vector<uint8_t> block;
  if (data->hasFormat(kDibMime)) {
    const QByteArray bytes = data->data(kDibMime);
    block.assign(bytes.begin(), bytes.end());
  } else if (data->hasImage()) {
    block = PackedDibFrom(qvariant_cast<QImage>(data->imageData()));
  }
  if (block.empty()) {
    UiPrompter::Get().Tell("Failed to get clipboard data!");
    return;
  }
  ModeRecord record;
  if (data->hasFormat(kModeMime)) {
    const QByteArray bytes = data->data(kModeMime);
    const size_t count =
        bytes.isEmpty() ? 0 : std::min<size_t>({size_t(uint8_t(bytes[0])), sizeof record, size_t(bytes.size())});
    std::memcpy(&record, bytes.constData(), count);
  }
  std::optional<uint32_t> mode;
  if (record.marker != 0) mode = record.multiChannel;
  if (!doc_.ReplaceWithPackedDib(block, mode)) return;
  emit message("Image pasted from clipboard.");
}

void CVeskaView::Print(QPrinter& printer) {
  if (doc_.Image().Desc() == nullptr) return;
  QPrintDialog dialog(&printer, this);
  dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
  dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
  dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
  // Printing to a file stays: it is how a PDF is made.
  dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
  if (UiPrompter::Get().Run(dialog) != QDialog::Accepted) return;
  PrintOn(printer);
}

void CVeskaView::PrintOn(QPrinter& printer) {
  const AImage& image = doc_.Image();
  if (image.Desc() == nullptr) return;
  emit message("Printing image...");
  const QRect printable(0, 0, printer.width(), printer.height());
  int rc = PrintImage(image, printer, printable, false);
  if (rc == status::kTooLargeToPrint &&
      UiPrompter::Get().Ask(kAppTitle,
                            "The image is larger than the available printable area.\n"
                            "Do you want to automatically fit the image to the printable area?",
                            QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes,
                            UiPrompter::Icon::kQuestion) == QMessageBox::Yes)
    rc = PrintImage(image, printer, printable, true);
  if (rc != status::kOk) ErrorReporter::Get().Report(rc);
  RefreshStatus();
}

}  // namespace veska::app
