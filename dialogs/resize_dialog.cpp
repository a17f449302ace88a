#include "dialogs/resize_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>
#include <climits>
#include <cmath>

#include "app/document.h"
#include "app/prompter.h"
#include "dialogs/number_field.h"
#include "engine/luminance_matrix.h"

namespace veska::dialogs {
namespace {

constexpr double kCmPerInch = 2.54;
constexpr char kCaption[] = "Resize Image";
constexpr char kSizeRefused[] =
    "The new image would be %1 x %2 pixels. Width and height must each be from 1 to %3 pixels.";

// A field's value in a unit other than pixels: 4 decimal places.
double Round4(double x) { return std::trunc(x * 10000 + 0.5) * 0.0001; }

// The edit's caret and selection, put back after its text was set again.
struct Caret {
  explicit Caret(QLineEdit* box)
      : box(box), position(box->cursorPosition()), start(box->selectionStart()),
        length(box->selectionLength()) {}
  void Restore() const {
    if (start >= 0 && length > 0)
      box->setSelection(start, length);
    else
      box->setCursorPosition(std::min(position, int(box->text().size())));
  }
  QLineEdit* box;
  int position, start, length;
};

}  // namespace

int WholePixels(double pixels) {
  if (std::isnan(pixels)) return 0;
  return int(std::lround(std::clamp(pixels, double(INT_MIN), double(INT_MAX))));
}

CResizeDlg::CResizeDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(kCaption);
  setSizeGripEnabled(true);

  sameSize_ = new QComboBox;
  auto* sameSizeLabel = new QLabel("Same &size as:");
  sameSizeLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  sameSizeLabel->setBuddy(sameSize_);
  widthBox_ = new QLineEdit;
  heightBox_ = new QLineEdit;
  resolutionBox_ = new QLineEdit;
  widthBox_->setAccessibleName("Width");
  heightBox_->setAccessibleName("Height");
  resolutionBox_->setAccessibleName("Resolution");
  resolutionUnit_ = new QComboBox;
  resolutionUnit_->addItems({"pixels / inch", "pixels / cm"});
  resolutionUnit_->setAccessibleName("Resolution unit");
  constrain_ = new QCheckBox("&Constrain Proportions");
  resampleBox_ = new QCheckBox("&Resample (Bilinear)");

  auto* unitsGroup = new QGroupBox("Units");
  auto* unitsLayout = new QHBoxLayout(unitsGroup);
  auto* unitButtons = new QButtonGroup(this);
  const char* unitNames[] = {"&pixels", "&inches", "&cm", "per&cent"};
  for (int i = 0; i < 4; ++i) {
    units_[size_t(i)] = new QRadioButton(unitNames[i]);
    unitButtons->addButton(units_[size_t(i)], i);
    unitsLayout->addWidget(units_[size_t(i)]);
    connect(units_[size_t(i)], &QRadioButton::clicked, this, &CResizeDlg::ApplyUnit);
  }
  auto* resolutionGroup = new QGroupBox("Resolution");
  auto* resolutionLayout = new QHBoxLayout(resolutionGroup);
  resolutionLayout->addWidget(resolutionBox_);
  resolutionLayout->addWidget(resolutionUnit_);

  auto* ok = new QPushButton("OK");
  ok->setDefault(true);
  auto* cancel = new QPushButton("Cancel");
  cancel->setAutoDefault(false);
  connect(ok, &QPushButton::clicked, this, &CResizeDlg::accept);
  connect(cancel, &QPushButton::clicked, this, &CResizeDlg::reject);

  connect(sameSize_, &QComboBox::activated, this, &CResizeDlg::TakeReference);
  connect(resolutionUnit_, &QComboBox::activated, this, &CResizeDlg::OnResolutionUnitChanged);
  connect(widthBox_, &QLineEdit::textEdited, this, &CResizeDlg::OnWidthEdited);
  connect(heightBox_, &QLineEdit::textEdited, this, &CResizeDlg::OnHeightEdited);
  connect(resolutionBox_, &QLineEdit::textEdited, this, &CResizeDlg::OnResolutionEdited);
  connect(constrain_, &QCheckBox::clicked, this, &CResizeDlg::OnConstrainClicked);

  auto* size = new QGridLayout;
  size->addWidget(sameSizeLabel, 0, 0);
  size->addWidget(sameSize_, 0, 1, 1, 3);
  size->addWidget(new QLabel("Width:"), 1, 0);
  size->addWidget(widthBox_, 1, 1);
  size->addWidget(new QLabel("Height:"), 1, 2);
  size->addWidget(heightBox_, 1, 3);
  auto* checks = new QVBoxLayout;
  checks->addStretch();
  checks->addWidget(constrain_);
  checks->addWidget(resampleBox_);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(resolutionGroup, 1);
  bottom->addLayout(checks);
  auto* left = new QVBoxLayout;
  left->addLayout(size);
  left->addWidget(unitsGroup);
  left->addLayout(bottom);
  left->addStretch();
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  buttons->addStretch();
  auto* layout = new QHBoxLayout(this);
  layout->addLayout(left, 1);
  layout->addLayout(buttons);
  WriteControls();
}

CResizeDlg::~CResizeDlg() = default;

void CResizeDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (initialised_) return;
  initialised_ = true;
  Initialise();
}

bool CResizeDlg::Initialise() {
  if (documents_ == nullptr || documents_->empty()) return false;
  // The list is kept in title order, each entry holding its document.
  for (app::AVeskaDoc* doc : *documents_) {
    listed_.push_back(doc);
    int at = 0;
    while (at < sameSize_->count() &&
           QString::compare(sameSize_->itemText(at), doc->Title(), Qt::CaseInsensitive) <= 0)
      ++at;
    sameSize_->insertItem(at, doc->Title(), QVariant::fromValue<void*>(doc));
  }
  sameSize_->setCurrentIndex(-1);
  u_ = kInches;
  constrainFlag_ = true;
  if (current_ != nullptr) {
    reference_ = current_;
    sameSize_->setCurrentIndex(sameSize_->findData(QVariant::fromValue<void*>(current_)));
    setWindowTitle(QString("%1 : %2").arg(kCaption, current_->Title()));
    const veska::AImage& image = current_->Image();
    r0_ = r_ = image.Dpi();
    h0_ = hi_ = image.Height() / r_;
    w0_ = wi_ = image.Width() / r_;
    heightField_ = hi_;
    widthField_ = wi_;
    resolutionField_ = r_;
  }
  WriteControls();
  TakeReference();
  ApplyUnit();
  return true;
}

bool CResizeDlg::ReadControls() {
  if (!ReadDouble(*heightBox_, heightField_)) return false;
  if (!ReadDouble(*widthBox_, widthField_)) return false;
  if (!ReadDouble(*resolutionBox_, resolutionField_)) return false;
  constrainFlag_ = constrain_->isChecked();
  resample_ = resampleBox_->isChecked();
  for (int i = 0; i < 4; ++i)
    if (units_[size_t(i)]->isChecked()) unitChoice_ = i;
  resolutionUnitChoice_ = std::max(0, resolutionUnit_->currentIndex());
  return true;
}

void CResizeDlg::WriteControls() {
  heightBox_->setText(FormatDouble(heightField_));
  widthBox_->setText(FormatDouble(widthField_));
  resolutionBox_->setText(FormatDouble(resolutionField_));
  constrain_->setChecked(constrainFlag_);
  resampleBox_->setChecked(resample_);
  units_[size_t(unitChoice_)]->setChecked(true);
  resolutionUnit_->setCurrentIndex(resolutionUnitChoice_);
}

void CResizeDlg::RecomputeWidths() {
  w_[kPixels] = rp_[kPerInch] * wi_;
  w_[kInches] = wi_;
  w_[kCentimetres] = wi_ * kCmPerInch;
  w_[kPercent] = (wi_ * rp_[kPerInch] / r0_) / w0_ * 100;
}

void CResizeDlg::RecomputeHeights() {
  h_[kPixels] = rp_[kPerInch] * hi_;
  h_[kInches] = hi_;
  h_[kCentimetres] = hi_ * kCmPerInch;
  h_[kPercent] = (hi_ * rp_[kPerInch] / r0_) / h0_ * 100;
}

void CResizeDlg::Recompute() {
  rp_[kPerInch] = r_;
  rp_[kPerCentimetre] = r_ / kCmPerInch;
  RecomputeWidths();
  RecomputeHeights();
}

void CResizeDlg::RefreshFields(int fields) {
  if (u_ == kPixels) {
    if (fields & kHeightField) heightField_ = std::trunc(h_[kPixels] + 0.5);
    if (fields & kWidthField) widthField_ = std::trunc(w_[kPixels] + 0.5);
  } else {
    if (fields & kHeightField) heightField_ = Round4(h_[size_t(u_)]);
    if (fields & kWidthField) widthField_ = Round4(w_[size_t(u_)]);
  }
  if (fields & kResolutionField) resolutionField_ = Round4(rp_[size_t(ru_)]);
  wi_ = w_[kInches];
  hi_ = h_[kInches];
  r_ = rp_[kPerInch];
  WriteControls();
}

void CResizeDlg::TakeReference() {
  const int index = sameSize_->currentIndex();
  if (index < 0) {
    reference_ = nullptr;
    return;
  }
  if (!ReadControls()) return;
  reference_ = static_cast<app::AVeskaDoc*>(sameSize_->itemData(index).value<void*>());
  const veska::AImage& image = reference_->Image();
  r0_ = r_ = image.Dpi();
  h0_ = hi_ = image.Height() / r_;
  w0_ = wi_ = image.Width() / r_;
  heightField_ = h0_;
  widthField_ = w0_;
  resolutionField_ = r0_;
  Recompute();
  RefreshFields(kWidthField | kHeightField | kResolutionField);
}

void CResizeDlg::ApplyUnit() {
  ReadControls();
  u_ = unitChoice_;
  Recompute();
  RefreshFields(kWidthField | kHeightField | kResolutionField);
}

void CResizeDlg::OnResolutionUnitChanged() {
  ReadControls();
  ru_ = resolutionUnitChoice_;
  ApplyUnit();
}

double CResizeDlg::InchesFrom(double value, double reference) const {
  switch (u_) {
    case kPixels: return value / r_;
    case kInches: return value;
    // An inch is 2.54 cm exactly.
    case kCentimetres: return value / kCmPerInch;
    default: return reference * 0.01 * value;
  }
}

void CResizeDlg::OnWidthEdited() {
  const Caret caret(widthBox_);
  const double old = widthField_;
  if (!ReadControls() || widthField_ == old) return;
  const size_t u = size_t(u_);
  if (constrainFlag_) {
    const double v = widthField_;
    if (w_[u] != 0)
      heightField_ = h_[u] / w_[u] * v;
    else
      heightField_ = u_ == kPercent ? v : h0_ / w0_ * v;
    hi_ = InchesFrom(heightField_, h0_);
    RecomputeHeights();
  }
  wi_ = InchesFrom(widthField_, w0_);
  RecomputeWidths();
  RefreshFields(kHeightField);
  caret.Restore();
}

void CResizeDlg::OnHeightEdited() {
  const Caret caret(heightBox_);
  const double old = heightField_;
  if (!ReadControls() || heightField_ == old) return;
  const size_t u = size_t(u_);
  if (constrainFlag_) {
    const double v = heightField_;
    if (h_[u] != 0)
      widthField_ = w_[u] / h_[u] * v;
    else
      widthField_ = u_ == kPercent ? v : w0_ / h0_ * v;
    wi_ = InchesFrom(widthField_, w0_);
    RecomputeWidths();
  }
  hi_ = InchesFrom(heightField_, h0_);
  RecomputeHeights();
  RefreshFields(kWidthField | kResolutionField);
  caret.Restore();
}

void CResizeDlg::OnResolutionEdited() {
  const Caret caret(resolutionBox_);
  const double old = resolutionField_;
  if (!ReadControls() || resolutionField_ == old) return;
  r_ = ru_ == kPerInch ? resolutionField_ : kCmPerInch * resolutionField_;
  Recompute();
  RefreshFields(kWidthField | kHeightField);
  caret.Restore();
}

void CResizeDlg::OnConstrainClicked() {
  if (!ReadControls()) return;
  if (constrainFlag_) TakeReference();
}

void CResizeDlg::accept() {
  if (!ReadControls()) return;
  resolution_ = rp_[kPerInch];
  switch (u_) {
    case kInches:
      newWidth_ = w_[kInches] * rp_[kPerInch];
      newHeight_ = h_[kInches] * rp_[kPerInch];
      break;
    case kCentimetres:
      newWidth_ = w_[kCentimetres] * rp_[kPerInch] / kCmPerInch;
      newHeight_ = h_[kCentimetres] * rp_[kPerInch] / kCmPerInch;
      break;
    default:
      newWidth_ = w_[kPixels];
      newHeight_ = h_[kPixels];
      break;
  }
  // A size the image cannot take is said here, with the values kept for
  // the user to correct.
  const int width = WholePixels(newWidth_);
  const int height = WholePixels(newHeight_);
  if (width < 1 || height < 1 || width > veska::kMaxMatrixImageSide ||
      height > veska::kMaxMatrixImageSide) {
    app::UiPrompter::Get().Tell(
        QString(kSizeRefused).arg(width).arg(height).arg(veska::kMaxMatrixImageSide));
    return;
  }
  QDialog::accept();
}

}  // namespace veska::dialogs
