// The OK and Cancel buttons of the dialogs, made in one place.
#pragma once

#include <QDialog>
#include <QDialogButtonBox>

namespace veska::dialogs {

// A box of `which` (Ok and/or Cancel) with the texts "OK" and "Cancel", OK
// the default button, and the box's accepted and rejected going to the
// dialog's accept and reject.
QDialogButtonBox* DialogButtons(QDialog* dialog, QDialogButtonBox::StandardButtons which,
                                Qt::Orientation orientation = Qt::Horizontal);

}  // namespace veska::dialogs
