// The two "Enter Cursor Values" dialogs of the Process command: one pair of
// cursors for a single luminance channel, or one pair per colour plane. Both
// check each cursor as it is read: odd, and within 1..257 (8-bit store) or
// 1..65535 (16-bit store). The caller compares big with small.
#pragma once

#include <QDialog>
#include <QString>
#include <array>
#include <cstdint>

class QLineEdit;

namespace veska::dialogs {

// The message for a cursor value that fails, or an empty text. The single
// channel dialog quotes the field's name, the three-channel one does not.
QString ValidateCursor(const QString& name, int32_t value, bool sixteenBit, bool quoteName);

class CursorValuesDialog final : public QDialog {
  Q_OBJECT
 public:
  CursorValuesDialog(bool sixteenBit, QWidget* parent = nullptr);

  // Preset before showing, read after OK.
  int32_t big = 0;
  int32_t small = 0;

  QLineEdit* BigBox() const { return big_; }
  QLineEdit* SmallBox() const { return small_; }

  void accept() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  bool sixteenBit_;
  QLineEdit* big_;
  QLineEdit* small_;
};

class RgbCursorValuesDialog final : public QDialog {
  Q_OBJECT
 public:
  RgbCursorValuesDialog(bool sixteenBit, QWidget* parent = nullptr);

  // Preset before showing, read after OK; planes red, green, blue.
  std::array<int32_t, 3> big{};
  std::array<int32_t, 3> small{};
  std::array<bool, 3> enabled{};

  QLineEdit* BigBox(int plane) const { return big_[plane]; }
  QLineEdit* SmallBox(int plane) const { return small_[plane]; }

  void accept() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  bool sixteenBit_;
  bool initialised_ = false;
  std::array<QLineEdit*, 3> big_{};
  std::array<QLineEdit*, 3> small_{};
};

}  // namespace veska::dialogs
