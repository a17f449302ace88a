#include "dialogs/window_info_dialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/document.h"
#include "dialogs/dialog_buttons.h"

namespace veska::dialogs {
namespace {

struct Column {
  const char* title;
  int width;
  Qt::Alignment alignment;
};
constexpr Column kColumns[] = {
    {"Title", 75, Qt::AlignLeft},         {"Full Path", 200, Qt::AlignLeft},
    {"Type", 50, Qt::AlignLeft},          {"Luminance", 75, Qt::AlignHCenter},
    {"Small Cursor", 85, Qt::AlignHCenter}, {"Big Cursor", 85, Qt::AlignHCenter},
};

}  // namespace

QString WindowInfoDialog::CursorCell(const std::vector<int>& values) {
  QStringList cells;
  for (int value : values) {
    if (value == 0) {
      cells << "n/a";
    } else {
      cells << (values.size() == 1 ? QString::number(value)
                                   : QString("%1").arg(value, 3));
    }
  }
  return cells.join(',');
}

WindowInfoDialog::WindowInfoDialog(const std::vector<app::AVeskaDoc*>& documents,
                                   Activate activate, QWidget* parent)
    : QDialog(parent), documents_(documents), activate_(std::move(activate)) {
  setWindowTitle("Open Window Information");
  list_ = new QTreeWidget;
  list_->setAccessibleName("Open windows");
  list_->setRootIsDecorated(false);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setColumnCount(int(std::size(kColumns)));
  QStringList headers;
  for (const Column& column : kColumns) headers << column.title;
  list_->setHeaderLabels(headers);
  for (int i = 0; i < int(std::size(kColumns)); ++i) {
    list_->setColumnWidth(i, kColumns[i].width);
    list_->headerItem()->setTextAlignment(i, kColumns[i].alignment);
  }
  for (app::AVeskaDoc* doc : documents_) {
    // A document without an image ends the list.
    if (!doc->Loaded()) break;
    const veska::ChannelStore& store = doc->Channels();
    const bool multi = store.MultiChannel();
    std::vector<int> smalls, bigs;
    for (int plane = 0; plane < (multi ? 3 : 1); ++plane) {
      smalls.push_back(store.LastSmall(plane));
      bigs.push_back(store.LastBig(plane));
    }
    auto* item = new QTreeWidgetItem(
        QStringList{doc->Title(), doc->PathName(), doc->Image().IsGray() ? "Grayscale" : "Color",
                    multi ? "Multiple" : "Single", CursorCell(smalls), CursorCell(bigs)});
    for (int i = 0; i < int(std::size(kColumns)); ++i)
      item->setTextAlignment(i, kColumns[i].alignment);
    list_->addTopLevelItem(item);
  }
  connect(list_, &QTreeWidget::itemDoubleClicked, this,
          [this](QTreeWidgetItem* item) { OnDoubleClick(item); });

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_);
  layout->addWidget(DialogButtons(this, QDialogButtonBox::Ok));
  resize(640, 260);
}

void WindowInfoDialog::OnDoubleClick(QTreeWidgetItem*) {
  QList<QTreeWidgetItem*> selected = list_->selectedItems();
  if (selected.isEmpty()) return;
  const QString title = selected.first()->text(0);
  if (title.isEmpty()) return;
  for (app::AVeskaDoc* doc : documents_) {
    if (doc->Title() == title) {
      if (activate_) activate_(doc);
      break;
    }
  }
  accept();
}

}  // namespace veska::dialogs
