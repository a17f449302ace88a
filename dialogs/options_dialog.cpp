#include "dialogs/options_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/prompter.h"
#include "dialogs/dialog_buttons.h"
#include "dialogs/number_field.h"

namespace veska::dialogs {

OptionsDialog::OptionsDialog(veska::ScanlineCounts& counts, QWidget* parent)
    : QDialog(parent), counts_(counts) {
  setWindowTitle("Veska Options");
  auto* group = new QGroupBox("Number of Scanlines Per Octant");
  auto* form = new QFormLayout(group);
  full_ = new QLineEdit;
  preview_ = new QLineEdit;
  batch_ = new QLineEdit;
  form->addRow("Full Veska Processing:", full_);
  form->addRow("Veska Preview Processing:", preview_);
  form->addRow("Batch Veska Processing:", batch_);
  full_->setAccessibleName("Full Veska Processing:");
  preview_->setAccessibleName("Veska Preview Processing:");
  batch_->setAccessibleName("Batch Veska Processing:");

  auto* buttons = DialogButtons(this, QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  buttons->setCenterButtons(true);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(group);
  layout->addWidget(buttons);

  const veska::ScanlineTexts texts = counts_.Texts();
  full_->setText(QString::fromStdString(texts.full));
  preview_->setText(QString::fromStdString(texts.preview));
  batch_->setText(QString::fromStdString(texts.batch));
}

void OptionsDialog::accept() {
  const veska::ScanlineVerdict verdict = counts_.Accept(
      {batch_->text().toStdString(), full_->text().toStdString(), preview_->text().toStdString()});
  if (verdict.accepted) {
    QDialog::accept();
    return;
  }
  app::UiPrompter::Get().Tell(QString::fromStdString(verdict.message));
  if (verdict.selectBox) {
    QLineEdit* box = verdict.box == veska::ScanlineBox::kBatch  ? batch_
                     : verdict.box == veska::ScanlineBox::kFull ? full_
                                                                : preview_;
    FocusBox(*box);
  }
}

}  // namespace veska::dialogs
