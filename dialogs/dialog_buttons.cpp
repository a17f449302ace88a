#include "dialogs/dialog_buttons.h"

#include <QPushButton>

namespace veska::dialogs {

QDialogButtonBox* DialogButtons(QDialog* dialog, QDialogButtonBox::StandardButtons which,
                                Qt::Orientation orientation) {
  auto* buttons = new QDialogButtonBox(which, orientation);
  if (QPushButton* ok = buttons->button(QDialogButtonBox::Ok)) {
    ok->setText("OK");
    ok->setDefault(true);
  }
  if (QPushButton* cancel = buttons->button(QDialogButtonBox::Cancel)) cancel->setText("Cancel");
  QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  return buttons;
}

}  // namespace veska::dialogs
