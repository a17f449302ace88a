#include "dialogs/small_dialogs.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QPixmap>
#include <QVBoxLayout>

#include "dialogs/dialog_buttons.h"
#include "dialogs/number_field.h"
#include "dialogs/save_changes_dialog.h"

#ifndef VESKA_VERSION
#define VESKA_VERSION "unknown"
#endif

namespace veska::dialogs {
namespace {

}  // namespace

ZoomCustomDialog::ZoomCustomDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Zoom Custom");
  auto* group = new QGroupBox;
  group->setAccessibleName("Zoom");
  auto* form = new QFormLayout(group);
  box_ = new QLineEdit;
  box_->setAccessibleName("Zoom To Percent:");
  form->addRow("Zoom To Percent:", box_);
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(group);
  layout->addWidget(DialogButtons(this, QDialogButtonBox::Ok | QDialogButtonBox::Cancel, Qt::Vertical));
}

void ZoomCustomDialog::showEvent(QShowEvent* event) {
  box_->setText(QString::number(percent));
  QDialog::showEvent(event);
}

void ZoomCustomDialog::accept() {
  uint32_t value = 0;
  if (!ReadNumber(*box_, kLowest, kHighest, value)) return;
  percent = int(value);
  QDialog::accept();
}

SaveChangesDialog::SaveChangesDialog(const QString& documentName, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle("Veska");
  auto* text = new QLabel(QString("Save changes to %1?").arg(documentName));
  auto* row = new QHBoxLayout;
  const struct {
    const char* label;
    Result result;
  } kButtons[] = {{"&Yes", kYes}, {"&No", kNo}, {"Yes To &All", kYesToAll}, {"Cancel", kCancel}};
  for (const auto& entry : kButtons) {
    auto* button = new QPushButton(entry.label);
    button->setAutoDefault(false);
    if (entry.result == kYes) button->setDefault(true);
    const int result = entry.result;
    connect(button, &QPushButton::clicked, this, [this, result] { done(result); });
    row->addWidget(button);
  }
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(text);
  layout->addLayout(row);
}

BifSizeDialog::BifSizeDialog(const QString& path, QWidget* parent) : QDialog(parent) {
  setWindowTitle("Enter BIF Image Dimensions");
  auto* form = new QFormLayout;
  widthBox_ = new QLineEdit;
  heightBox_ = new QLineEdit;
  widthBox_->setAccessibleName("Width:");
  heightBox_->setAccessibleName("Height:");
  form->addRow(new QLabel(path));
  form->addRow("Width:", widthBox_);
  form->addRow("Height:", heightBox_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(DialogButtons(this, QDialogButtonBox::Ok | QDialogButtonBox::Cancel));
}

void BifSizeDialog::accept() {
  uint32_t width = 0;
  uint32_t height = 0;
  if (!ReadNumber(*widthBox_, 0, 65535, width) || !ReadNumber(*heightBox_, 0, 65535, height))
    return;
  width_ = int(width);
  height_ = int(height);
  QDialog::accept();
}

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle("About Veska Pro");
  auto* picture = new QLabel;
  picture->setAccessibleName("Veska Pro");
  QPixmap artwork(":/about.svg");
  if (!artwork.isNull()) picture->setPixmap(artwork);
  auto* text = new QLabel(QString("Veska Pro Version %1\n\n"
                                  "Local-contrast enhancement for photographs and scientific "
                                  "images.\nFree software for the Linux desktop.")
                              .arg(VESKA_VERSION));
  auto* row = new QHBoxLayout;
  row->addWidget(picture);
  row->addWidget(text, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(row);
  layout->addWidget(DialogButtons(this, QDialogButtonBox::Ok));
}

}  // namespace veska::dialogs
