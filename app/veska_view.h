// CVeskaView: the image window's view of its document. It draws the image
// straight from the document's pixel buffer at a zoom of 1..3000 percent
// (nearest neighbour, white beyond the image), lets the user drag a selection
// rectangle, keeps the status bar's image panes up to date and carries the
// zoom, clipboard, print and pixel-value commands. With Synchronize on, every
// image window shares one zoom and scroll position.
#pragma once

#include <QAbstractScrollArea>
#include <QCursor>
#include <QList>
#include <QRgb>
#include <QString>
#include <QStringList>
#include <optional>

#include "imagelib/image_desc.h"
#include "imagelib/image_rect.h"

class QPaintDevice;
class QPainter;
class QPrinter;
class QRubberBand;

namespace veska {
class AImage;
}

namespace veska::app {

class AVeskaDoc;
enum class UpdateHint;

// The pixels of `desc` (8-bit with colour table, or 24-bit) as a QImage.
QImage ToQImage(const veska::ImageDesc& desc);
// Draws `rect` of `desc` straight from its buffer, no copy, with the rect's
// top-left image corner at the painter's (rect.left, rect.top), one image
// pixel per painter unit (scale the painter to zoom).
void DrawImageRect(QPainter& painter, const veska::ImageDesc& desc, const veska::PixelRect& rect);

// What the status bar's image panes show. Channels 1 and 2 count only with
// multiple channels.
struct ImageStatus {
  bool multiChannel = false;
  int minimum[3] = {};
  int maximum[3] = {};
  int small[3] = {};  // last-used cursors; 0 shows "n/a"
  int big[3] = {};
  int width = 0;
  int height = 0;
  int zoom = 0;
};
// The texts of panes 1..8 (Lum, Min, Max, Small, Big, Width, Height, Zoom%).
QStringList StatusPaneTexts(const ImageStatus& status);

// The arithmetic between window and image coordinates at `zoom` percent.
// A rectangle in window pixels (inclusive corners, after adding the scroll
// position) as image pixels, lowered to the image's last column and row.
veska::PixelRect WindowToImage(const veska::PixelRect& window, float zoom, int width, int height);
// The image rectangle that covers the window rectangle `update` scrolled by
// (sx, sy), before clipping to the image.
veska::PixelRect CoveringImageRect(const veska::PixelRect& update, int sx, int sy, float zoom);

// The clipboard's formats besides the standard image: our exact packed
// bitmap and the 12-byte luminance-mode record.
inline constexpr char kDibMime[] = "application/x-veska-dib";
inline constexpr char kModeMime[] = "application/x-veska-clipboard-format";

// Draws `image` on `device` at its physical size from its dots per inch
// (fit: the largest size with its aspect that fits `printable`, in device
// pixels), top-left at the printable area's corner. Returns the status (0,
// or 2026 when it does not fit and is not to be fitted; nothing is drawn then).
int PrintImage(const veska::AImage& image, QPaintDevice& device, const QRect& printable, bool fit);

class CVeskaView final : public QAbstractScrollArea {
  Q_OBJECT
 public:
  static constexpr float kMinZoom = 1;
  static constexpr float kMaxZoom = 3000;
  static constexpr int kZoomStep = 10;
  // A selection smaller than this (window pixels) grows to this many image
  // pixels; one at most kClickSize both ways is a click and clears it.
  static constexpr int kMinSelection = 50;
  static constexpr int kClickSize = 20;

  explicit CVeskaView(AVeskaDoc& doc, QWidget* parent = nullptr);
  ~CVeskaView() override;

  AVeskaDoc& Document() const { return doc_; }

  // Zoom in percent: as kept, and truncated.
  float ZoomFactor() const { return zoom_; }
  int ZoomPercent() const { return int(zoom_); }
  int Zoom() const { return ZoomPercent(); }
  // Sets the zoom (clamped) and applies it as the zoom commands do.
  void SetZoom(float percent);

  bool HasSelection() const { return selection_.has_value(); }
  // The selection in image pixels, or nothing when there is none.
  std::optional<veska::PixelRect> ImageSelection() const { return selection_; }
  // Sets the selection in image pixels and shows it.
  void SetImageSelection(const veska::PixelRect& rect);
  void ClearSelection();

  // The shared Synchronize switch.
  static bool Synchronized() { return synchronize_; }
  static void SetSynchronized(bool on) { synchronize_ = on; }

  // The view commands.
  void SelectAll();
  void ZoomIn();
  void ZoomOut();
  void ZoomReset();
  void ZoomFit();
  void ZoomCustom();
  void ZoomSelection();
  void Copy();
  void Paste();
  void Print(QPrinter& printer);
  // Prints on an already chosen printer (the dialog answered).
  void PrintOn(QPrinter& printer);

  // Sizes the frame to the image at 100 percent plus the frame's borders,
  // limited to the window area; `move` also puts it at the area's corner.
  void SizeFrameToImage(bool move);
  // Loads the view cursor, clears the selection and, with pixels, sizes
  // the frame and the scroll range.
  void ResetView(bool moveFrame);
  // Scroll range, selection cleared, status panes, repaint.
  void RefreshView();
  // Sends "Done" to the message pane and the image's figures to the panes.
  void RefreshStatus();
  // Clamps the zoom and refreshes this view or, with Synchronize on, every
  // view, scrolling the others to this one's position plus (dx, dy).
  bool ApplyZoom(int dx, int dy);

  // Activation by the main window: panes filled, or zeroed and the next
  // click ignored.
  void Activated();
  void Deactivated();

  // The pixel value message for window point p, empty outside the image.
  QString PixelValues(const QPoint& p) const;

  // Window pixels painted since the view was made (area of the painted
  // regions): scrolling should add only the newly exposed strip.
  qint64 PaintedArea() const { return paintedArea_; }
  // The selection drag's bounds in window pixels.
  QRect DragBounds() const;

 signals:
  // A text for the status bar's message pane.
  void message(const QString& text);
  // New figures for the image panes; nullptr: the zero record of a
  // deactivated window.
  void statusChanged(const veska::app::ImageStatus* status);
  // The selection or the zoom changed (what the commands' enabling reads).
  void stateChanged();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void OnUpdate(UpdateHint hint);
  void SetScrollSizes();
  void FinishDrag(const QPoint& end);
  void CancelDrag();
  QRect ZoomedImageRect() const;
  QRect SelectionWindowRect() const;
  // False while the document is gone or its pixels are being changed.
  bool PixelsReadable() const;

  static bool synchronize_;
  static bool painting_;
  static bool syncing_;

  AVeskaDoc& doc_;
  QCursor viewCursor_;
  float zoom_ = 100;
  std::optional<veska::PixelRect> selection_;
  bool ignoreClick_ = false;
  bool showSelection_ = true;
  bool dragging_ = false;
  QPoint dragOrigin_;
  QRubberBand* band_;
  qint64 paintedArea_ = 0;
  bool documentGone_ = false;
};

}  // namespace veska::app
