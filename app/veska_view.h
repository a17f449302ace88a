// The image window's view of its document: for now the image at its own
// size in a scroll area, redrawn whenever the document's image changes.
#pragma once

#include <QImage>
#include <QScrollArea>
#include <optional>

#include "imagelib/image_desc.h"
#include "imagelib/image_rect.h"

class QLabel;

namespace veska::app {

class AVeskaDoc;

// The pixels of `desc` (8-bit with colour table, or 24-bit) as a QImage.
QImage ToQImage(const veska::ImageDesc& desc);

class CVeskaView final : public QScrollArea {
  Q_OBJECT
 public:
  explicit CVeskaView(AVeskaDoc& doc, QWidget* parent = nullptr);

  AVeskaDoc& Document() const { return doc_; }
  // Whether the user has selected a rectangle; zoom in percent.
  bool HasSelection() const { return false; }
  int ZoomPercent() const { return 100; }
  int Zoom() const { return ZoomPercent(); }
  // The selection in image pixels, or nothing when there is none.
  std::optional<veska::PixelRect> ImageSelection() const { return std::nullopt; }
  void ClearSelection() {}

  void Refresh();

 private:
  AVeskaDoc& doc_;
  QLabel* picture_;
};

}  // namespace veska::app
