// "Resize Image": a new width and height in pixels, inches, centimetres or
// percent of a reference image, a resolution per inch or per centimetre,
// constrained proportions and bilinear resampling. The reference is the
// current document or the one chosen in the same-size list. The dialog keeps
// the size in inches and the resolution in pixels per inch as its working
// values and shows them in the chosen units, rounded to 4 decimals (whole
// numbers for pixels).
#pragma once

#include <QDialog>
#include <array>
#include <vector>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;

namespace veska::app {
class AVeskaDoc;
}

namespace veska::dialogs {

// The whole number of pixels a size in pixels comes to: the nearest one, so
// a size typed in any unit is not lost to a hair of arithmetic below it.
int WholePixels(double pixels);

class CResizeDlg final : public QDialog {
  Q_OBJECT
 public:
  enum Unit { kPixels = 0, kInches = 1, kCentimetres = 2, kPercent = 3 };
  enum ResolutionUnit { kPerInch = 0, kPerCentimetre = 1 };

  explicit CResizeDlg(QWidget* parent = nullptr);
  ~CResizeDlg() override;

  // Set by the caller before the dialog is shown (not owned).
  void SetCurrent(app::AVeskaDoc* doc) { current_ = doc; }
  void SetDocuments(const std::vector<app::AVeskaDoc*>* documents) { documents_ = documents; }

  // After OK: the new size in pixels (not yet whole), the resolution in
  // pixels per inch and the resample flag.
  double NewWidth() const { return newWidth_; }
  double NewHeight() const { return newHeight_; }
  double Resolution() const { return resolution_; }
  bool Resample() const { return resample_; }
  app::AVeskaDoc* Reference() const { return reference_; }

  QComboBox* SameSizeList() const { return sameSize_; }
  QLineEdit* WidthBox() const { return widthBox_; }
  QLineEdit* HeightBox() const { return heightBox_; }
  QLineEdit* ResolutionBox() const { return resolutionBox_; }
  QComboBox* ResolutionUnitList() const { return resolutionUnit_; }
  QRadioButton* UnitButton(Unit unit) const { return units_[size_t(unit)]; }
  QCheckBox* ConstrainBox() const { return constrain_; }
  QCheckBox* ResampleBox() const { return resampleBox_; }

  void accept() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  enum Field { kWidthField = 1, kHeightField = 2, kResolutionField = 4 };

  bool Initialise();
  bool ReadControls();
  void WriteControls();
  void Recompute();
  void RecomputeWidths();
  void RecomputeHeights();
  void RefreshFields(int fields);
  void TakeReference();
  void ApplyUnit();
  void OnResolutionUnitChanged();
  void OnWidthEdited();
  void OnHeightEdited();
  void OnResolutionEdited();
  void OnConstrainClicked();
  // A field's value in unit u as a size in inches; `reference` is W0 or H0.
  double InchesFrom(double value, double reference) const;

  QComboBox* sameSize_;
  double heightField_ = 1.0;
  double widthField_ = 1.0;
  double resolutionField_ = 1.0;
  bool constrainFlag_ = true;
  bool resample_ = false;
  int unitChoice_ = kPixels;
  int resolutionUnitChoice_ = kPerInch;
  const std::vector<app::AVeskaDoc*>* documents_ = nullptr;
  std::vector<app::AVeskaDoc*> listed_;
  app::AVeskaDoc* current_ = nullptr;
  app::AVeskaDoc* reference_ = nullptr;
  // Working size in inches and resolution in pixels per inch.
  double wi_ = 0, hi_ = 0, r_ = 72;
  // The reference's size in inches and resolution.
  double w0_ = 0, h0_ = 0, r0_ = 72;
  // Width and height in each unit, resolution in each resolution unit.
  std::array<double, 4> w_{};
  std::array<double, 4> h_{};
  std::array<double, 2> rp_{};
  int u_ = kPixels;
  int ru_ = kPerInch;
  double newWidth_ = 0, newHeight_ = 0, resolution_ = 0;
  bool initialised_ = false;

  QLineEdit* widthBox_;
  QLineEdit* heightBox_;
  QLineEdit* resolutionBox_;
  QComboBox* resolutionUnit_;
  std::array<QRadioButton*, 4> units_{};
  QCheckBox* constrain_;
  QCheckBox* resampleBox_;
};

}  // namespace veska::dialogs
