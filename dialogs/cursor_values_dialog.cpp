#include "dialogs/cursor_values_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/prompter.h"
#include "dialogs/dialog_buttons.h"
#include "dialogs/number_field.h"

namespace veska::dialogs {
namespace {

constexpr const char* kPlaneNames[] = {"Red", "Green", "Blue"};

QLineEdit* Box(const QString& name) {
  auto* box = new QLineEdit;
  box->setAccessibleName(name);
  box->setMaximumWidth(70);
  return box;
}

// Reads one cursor box: a whole number, then the cursor checks.
bool ReadCursor(QLineEdit& box, const QString& name, bool sixteenBit, bool quoteName,
                int32_t& value) {
  uint32_t number = 0;
  if (!ParseUnsigned(box.text(), number) || number > uint32_t(INT32_MAX)) {
    Refuse(box, kNotAPositiveInteger);
    return false;
  }
  QString problem = ValidateCursor(name, int32_t(number), sixteenBit, quoteName);
  if (!problem.isEmpty()) {
    Refuse(box, problem);
    return false;
  }
  value = int32_t(number);
  return true;
}

}  // namespace

QString ValidateCursor(const QString& name, int32_t value, bool sixteenBit, bool quoteName) {
  if (value % 2 == 0) {
    return QString(quoteName ? "'%1' must be an odd number" : "%1 must be an odd number").arg(name);
  }
  const int32_t highest = sixteenBit ? 65535 : 257;
  if (value < 1 || value > highest) return QString("%1 must be between 1 and %2").arg(name).arg(highest);
  return {};
}

CursorValuesDialog::CursorValuesDialog(bool sixteenBit, QWidget* parent)
    : QDialog(parent), sixteenBit_(sixteenBit) {
  setWindowTitle("Enter Cursor Values");
  big_ = Box("Big:");
  small_ = Box("Small:");
  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel("Big:"), 0, 0);
  grid->addWidget(big_, 0, 1);
  grid->addWidget(new QLabel("Small:"), 1, 0);
  grid->addWidget(small_, 1, 1);
  auto* layout = new QHBoxLayout(this);
  layout->addLayout(grid);
  layout->addWidget(
      DialogButtons(this, QDialogButtonBox::Ok | QDialogButtonBox::Cancel, Qt::Vertical));
}

void CursorValuesDialog::showEvent(QShowEvent* event) {
  big_->setText(QString::number(big));
  small_->setText(QString::number(small));
  QDialog::showEvent(event);
}

void CursorValuesDialog::accept() {
  int32_t newBig = 0;
  int32_t newSmall = 0;
  if (!ReadCursor(*big_, "Big Cursor Size", sixteenBit_, true, newBig) ||
      !ReadCursor(*small_, "Small Cursor Size", sixteenBit_, true, newSmall))
    return;
  big = newBig;
  small = newSmall;
  QDialog::accept();
}

RgbCursorValuesDialog::RgbCursorValuesDialog(bool sixteenBit, QWidget* parent)
    : QDialog(parent), sixteenBit_(sixteenBit) {
  setWindowTitle("Enter Cursor Values");
  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel("Big:"), 1, 0);
  grid->addWidget(new QLabel("Small:"), 2, 0);
  for (int plane = 0; plane < 3; ++plane) {
    grid->addWidget(new QLabel(kPlaneNames[plane]), 0, plane + 1, Qt::AlignHCenter);
    big_[plane] = Box(QString("%1 Big:").arg(kPlaneNames[plane]));
    small_[plane] = Box(QString("%1 Small:").arg(kPlaneNames[plane]));
    grid->addWidget(big_[plane], 1, plane + 1);
    grid->addWidget(small_[plane], 2, plane + 1);
  }
  auto* layout = new QHBoxLayout(this);
  layout->addLayout(grid);
  layout->addWidget(
      DialogButtons(this, QDialogButtonBox::Ok | QDialogButtonBox::Cancel, Qt::Vertical));
  // Plane by plane: big, then small.
  for (int plane = 0; plane < 3; ++plane) {
    if (plane > 0) setTabOrder(small_[plane - 1], big_[plane]);
    setTabOrder(big_[plane], small_[plane]);
  }
}

void RgbCursorValuesDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (initialised_) return;
  initialised_ = true;
  // The preset values of the enabled planes pass the same checks as typed
  // ones; the first that fails is reported as the dialog opens.
  for (int plane = 0; plane < 3; ++plane) {
    if (!enabled[plane]) continue;
    QString problem = ValidateCursor(QString("%1 Big Cursor Size").arg(kPlaneNames[plane]),
                                     big[plane], sixteenBit_, false);
    if (problem.isEmpty())
      problem = ValidateCursor(QString("%1 Small Cursor Size").arg(kPlaneNames[plane]),
                               small[plane], sixteenBit_, false);
    if (!problem.isEmpty()) {
      app::UiPrompter::Get().Tell(problem);
      break;
    }
  }
  for (int plane = 0; plane < 3; ++plane) {
    big_[plane]->setEnabled(enabled[plane]);
    small_[plane]->setEnabled(enabled[plane]);
    big_[plane]->setText(big[plane] == 0 ? QString("n/a") : QString::number(big[plane]));
    small_[plane]->setText(small[plane] == 0 ? QString("n/a") : QString::number(small[plane]));
  }
}

void RgbCursorValuesDialog::accept() {
  std::array<int32_t, 3> newBig = big;
  std::array<int32_t, 3> newSmall = small;
  for (int plane = 0; plane < 3; ++plane) {
    if (!enabled[plane]) continue;
    const QString name = kPlaneNames[plane];
    if (!ReadCursor(*big_[plane], name + " Big Cursor Size", sixteenBit_, false, newBig[plane]) ||
        !ReadCursor(*small_[plane], name + " Small Cursor Size", sixteenBit_, false,
                    newSmall[plane]))
      return;
  }
  big = newBig;
  small = newSmall;
  QDialog::accept();
}

}  // namespace veska::dialogs
