#include "dialogs/number_field.h"

#include <QLineEdit>
#include <cmath>

#include "app/prompter.h"

namespace veska::dialogs {

void FocusBox(QLineEdit& box) {
  box.setFocus(Qt::OtherFocusReason);
  box.selectAll();
}

bool ParseUnsigned(const QString& text, uint32_t& value) {
  QString digits = text.trimmed();
  if (digits.startsWith('+')) digits.remove(0, 1);
  if (digits.isEmpty()) return false;
  uint64_t number = 0;
  for (QChar c : digits) {
    if (c < '0' || c > '9') return false;
    number = std::min<uint64_t>(number * 10 + uint64_t(c.unicode() - '0'), UINT32_MAX);
  }
  value = uint32_t(number);
  return true;
}

void Refuse(QLineEdit& box, const QString& message) {
  app::UiPrompter::Get().Tell(message);
  FocusBox(box);
}

bool ReadNumber(QLineEdit& box, uint32_t lowest, uint32_t highest, uint32_t& value) {
  if (!ParseUnsigned(box.text(), value)) {
    Refuse(box, kNotAPositiveInteger);
    return false;
  }
  if (value < lowest || value > highest) {
    Refuse(box, QString(kIntegerBetween).arg(lowest).arg(highest));
    return false;
  }
  return true;
}

bool ReadInteger(QLineEdit& box, int lowest, int highest, int& value) {
  bool ok = false;
  const int number = box.text().trimmed().toInt(&ok);
  if (!ok) {
    Refuse(box, kNotAnInteger);
    return false;
  }
  if (number < lowest || number > highest) {
    Refuse(box, QString(kIntegerBetween).arg(lowest).arg(highest));
    return false;
  }
  value = number;
  return true;
}

bool ReadDouble(QLineEdit& box, double& value) {
  bool ok = false;
  const double number = box.text().trimmed().toDouble(&ok);
  if (!ok || !std::isfinite(number)) {
    Refuse(box, kNotANumber);
    return false;
  }
  value = number;
  return true;
}

QString FormatDouble(double value) { return QString::number(value, 'g', 15); }

}  // namespace veska::dialogs
