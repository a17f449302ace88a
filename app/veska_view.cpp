#include "app/veska_view.h"

#include <QLabel>
#include <QPixmap>
#include <cstring>

#include "app/document.h"

namespace veska::app {

QImage ToQImage(const veska::ImageDesc& desc) {
  const int width = desc.Width();
  const int height = desc.Height();
  if (desc.pixels == nullptr || width <= 0 || height <= 0) return {};
  QImage image;
  if (desc.BitsPerPixel() == 8) {
    image = QImage(width, height, QImage::Format_Indexed8);
    QList<QRgb> table;
    for (int i = 0; i < desc.colours; ++i)
      table << qRgb(desc.palette[i].red, desc.palette[i].green, desc.palette[i].blue);
    if (table.isEmpty())
      for (int i = 0; i < 256; ++i) table << qRgb(i, i, i);
    while (table.size() < 256) table << qRgb(0, 0, 0);
    image.setColorTable(table);
  } else if (desc.BitsPerPixel() == 24) {
    image = QImage(width, height, QImage::Format_BGR888);
  } else {
    return {};
  }
  const int rowBytes = width * desc.BitsPerPixel() / 8;
  for (int y = 0; y < height; ++y) std::memcpy(image.scanLine(y), desc.Row(y), size_t(rowBytes));
  return image;
}

CVeskaView::CVeskaView(AVeskaDoc& doc, QWidget* parent) : QScrollArea(parent), doc_(doc) {
  setAccessibleName("Image");
  picture_ = new QLabel;
  picture_->setAccessibleName("Image");
  setWidget(picture_);
  setBackgroundRole(QPalette::Dark);
  connect(&doc_, &AVeskaDoc::updateViews, this, &CVeskaView::Refresh);
  Refresh();
}

void CVeskaView::Refresh() {
  const veska::ImageDesc* desc = doc_.Image().Desc();
  picture_->setPixmap(desc != nullptr ? QPixmap::fromImage(ToQImage(*desc)) : QPixmap());
  picture_->adjustSize();
}

}  // namespace veska::app
