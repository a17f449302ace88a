// "Open Window Information": one row per open document (title, full path,
// grey or colour, luminance mode, last-used cursors). A double click on a
// row activates that document's window and closes the dialog.
#pragma once

#include <QDialog>
#include <functional>
#include <vector>

class QTreeWidget;
class QTreeWidgetItem;

namespace veska::app {
class AVeskaDoc;
}

namespace veska::dialogs {

class WindowInfoDialog final : public QDialog {
  Q_OBJECT
 public:
  using Activate = std::function<void(veska::app::AVeskaDoc*)>;

  WindowInfoDialog(const std::vector<veska::app::AVeskaDoc*>& documents, Activate activate,
                   QWidget* parent = nullptr);

  QTreeWidget* List() const { return list_; }

  // The cell texts of one cursor column: "%d" or "n/a" for one channel;
  // "%3ld" or "n/a" per plane joined by "," for three.
  static QString CursorCell(const std::vector<int>& values);

 private:
  void OnDoubleClick(QTreeWidgetItem* item);

  std::vector<veska::app::AVeskaDoc*> documents_;
  Activate activate_;
  QTreeWidget* list_;
};

}  // namespace veska::dialogs
