// The small modal dialogs: "Zoom Custom", the Yes / No / Yes To All / Cancel
// close prompt, the BIF dimensions question and the About box.
#pragma once

#include <QDialog>
#include <QString>

class QLineEdit;

namespace veska::dialogs {

class ZoomCustomDialog final : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kLowest = 1;
  static constexpr int kHighest = 3000;

  explicit ZoomCustomDialog(QWidget* parent = nullptr);
  // Preset before showing, read after OK.
  int percent = 0;
  QLineEdit* PercentBox() const { return box_; }
  void accept() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QLineEdit* box_;
};

class BifSizeDialog final : public QDialog {
  Q_OBJECT
 public:
  BifSizeDialog(const QString& path, QWidget* parent = nullptr);
  int ImageWidth() const { return width_; }
  int ImageHeight() const { return height_; }
  QLineEdit* WidthBox() const { return widthBox_; }
  QLineEdit* HeightBox() const { return heightBox_; }
  void accept() override;

 private:
  QLineEdit* widthBox_;
  QLineEdit* heightBox_;
  int width_ = 0;
  int height_ = 0;
};

class AboutDialog final : public QDialog {
  Q_OBJECT
 public:
  explicit AboutDialog(QWidget* parent = nullptr);
};

}  // namespace veska::dialogs
