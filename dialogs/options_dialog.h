// "Veska Options": the three scanline counts per octant. Each showing starts
// from the counts in force; OK puts the entries in force only when every
// check passes, otherwise it shows the first failing check's message and the
// dialog stays open. The checks and their order live in ScanlineCounts.
#pragma once

#include <QDialog>

#include "engine/scanline_counts.h"

class QLineEdit;

namespace veska::dialogs {

class OptionsDialog final : public QDialog {
  Q_OBJECT
 public:
  OptionsDialog(veska::ScanlineCounts& counts, QWidget* parent = nullptr);

  QLineEdit* FullBox() const { return full_; }
  QLineEdit* PreviewBox() const { return preview_; }
  QLineEdit* BatchBox() const { return batch_; }

  void accept() override;

 private:
  veska::ScanlineCounts& counts_;
  QLineEdit* full_;
  QLineEdit* preview_;
  QLineEdit* batch_;
};

}  // namespace veska::dialogs
