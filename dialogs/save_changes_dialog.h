// The close prompt of Close All and exit: "Save changes to %s?" with Yes,
// No, Yes To All and Cancel, left to right. The result is the button's code.
#pragma once

#include <QDialog>

namespace veska::dialogs {

class SaveChangesDialog final : public QDialog {
  Q_OBJECT
 public:
  enum Result { kCancel = 2, kYes = 6, kNo = 7, kYesToAll = 1066 };

  explicit SaveChangesDialog(const QString& documentName, QWidget* parent = nullptr);
};

}  // namespace veska::dialogs
