#include "dialogs/number_field.h"

#include <QLineEdit>

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

}  // namespace veska::dialogs
