#include "dialogs/mix_dialog.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>

#include "app/document.h"
#include "app/prompter.h"
#include "dialogs/number_field.h"

namespace veska::dialogs {
namespace {

constexpr const char* kModeIcons[] = {":/icons/mix-add.svg", ":/icons/mix-subtract.svg"};
constexpr int kTickInterval = 5;

// The percentage box's text as a plain decimal number: leading blanks and
// one sign allowed, digits up to the first other character, none giving 0.
int LeadingNumber(const QString& text) {
  int i = 0;
  while (i < text.size() && text[i].isSpace()) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int64_t number = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
    number = std::min<int64_t>(number * 10 + (text[i].unicode() - '0'), INT32_MAX);
  return int(negative ? -number : number);
}

}  // namespace

int CheckMixCompatible(const veska::AImage& primary, const veska::AImage& candidate) {
  const veska::ImageDesc* a = primary.Desc();
  const veska::ImageDesc* b = candidate.Desc();
  if (a == nullptr || b == nullptr) return kMixSize;
  if (a->imageType != b->imageType || primary.FromIndexed() != candidate.FromIndexed())
    return kMixColourType;
  if (a->header->planes != b->header->planes) return kMixChannels;
  if (a->BitsPerPixel() != b->BitsPerPixel()) return kMixDepth;
  if (a->Width() != b->Width() || a->Height() != b->Height()) return kMixSize;
  if (&primary == &candidate) return kMixSelf;
  return kMixOk;
}

QString MixCheckMessage(int code) {
  switch (code) {
    case kMixDepth:
      return "The bit-depth of the Primary and Secondary images does not match and cannot be "
             "mixed.";
    case kMixColourType:
      return "The color type (color/grayscale) of Primary and Secondary images does not match "
             "and cannot be mixed.";
    case kMixChannels:
      return "The number of channels in the Primary and Secondary images does not match and "
             "cannot be mixed.";
    case kMixSize:
      return "The dimensions of the Primary and the Secondary image do not match.";
    default:
      return {};
  }
}

bool MixVisibleRegion(veska::AImage& output, veska::AImage& a, veska::AImage& b,
                      const veska::PixelRect& visible, int weightA, int weightB) {
  veska::AImage part;
  return output.Copy(a, visible) && part.Copy(b, visible) && output.Mix(part, weightA, weightB);
}

CMixPanel::CMixPanel(QWidget* parent) : CImagePanel(parent) {}

void CMixPanel::SetImageA(veska::AImage* a) {
  SetSource(a);
  imageA_ = a;
}

void CMixPanel::SetWeights(int weightA, int weightB) {
  weightA_ = weightA;
  weightB_ = weightB;
}

void CMixPanel::Reprocess() {
  resultValid_ = false;
  update();
  if (imageA_ != nullptr && imageB_ != nullptr && imageA_->Desc() != nullptr &&
      imageB_->Desc() != nullptr) {
    RecomputeVisibleRegion();
    ++computations_;
    MixVisibleRegion(output_, *imageA_, *imageB_, visible_, weightA_, weightB_);
    renderScale_ = zoom_;
  }
  SetResult(true);
}

void CMixPanel::resizeEvent(QResizeEvent* event) {
  CImagePanel::resizeEvent(event);
  if (computations_ > 0 && !dragging_) Reprocess();
}

CMixModeButton::CMixModeButton(QWidget* parent) : QLabel(parent) {
  setAccessibleName("Mix Mode");
  setAlignment(Qt::AlignCenter);
  setFixedSize(32, 32);
  setFocusPolicy(Qt::TabFocus);
  setCursor(Qt::ArrowCursor);
  SetMode(0);
}

void CMixModeButton::SetMode(int mode) {
  mode_ = mode == 0 ? 0 : 1;
  setPixmap(QIcon(kModeIcons[mode_]).pixmap(16, 16));
  setToolTip(mode_ == 0 ? "Add the secondary image" : "Subtract the secondary image");
}

void CMixModeButton::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  SetMode(1 - mode_);
  emit modeChanged(mode_);
}

void CMixModeButton::keyPressEvent(QKeyEvent* event) {
  if (event->key() != Qt::Key_Space) return QLabel::keyPressEvent(event);
  SetMode(1 - mode_);
  emit modeChanged(mode_);
}

CMixDlg::CMixDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Mix Images");
  setSizeGripEnabled(true);

  panel_ = new CMixPanel;
  panel_->setMinimumSize(256, 220);
  mode_ = new CMixModeButton;
  primaryList_ = new QComboBox;
  secondaryList_ = new QComboBox;
  primaryList_->setAccessibleName("Primary Image");
  secondaryList_->setAccessibleName("Secondary Image");
  slider_ = new QSlider(Qt::Horizontal);
  slider_->setAccessibleName("% Secondary");
  slider_->setTickPosition(QSlider::TicksAbove);
  edit_ = new QLineEdit;
  edit_->setAccessibleName("Percentage");
  edit_->setMaximumWidth(50);
  edit_->installEventFilter(this);
  ok_ = new QPushButton("OK");
  ok_->setDefault(true);
  auto* cancel = new QPushButton("Cancel");
  cancel->setAutoDefault(false);
  connect(ok_, &QPushButton::clicked, this, &CMixDlg::accept);
  connect(cancel, &QPushButton::clicked, this, &CMixDlg::reject);

  connect(primaryList_, &QComboBox::activated, this, &CMixDlg::OnPrimaryChanged);
  connect(secondaryList_, &QComboBox::activated, this, &CMixDlg::OnSecondaryChanged);
  connect(slider_, &QSlider::actionTriggered, this, &CMixDlg::OnSliderAction);
  connect(slider_, &QSlider::sliderReleased, this, [this] {
    UpdatePreview();
    WriteControls();
  });
  connect(edit_, &QLineEdit::textChanged, this, &CMixDlg::OnPercentEdited);
  connect(mode_, &CMixModeButton::modeChanged, this, &CMixDlg::UpdatePreview);

  auto* choice = new QGridLayout;
  choice->addWidget(new QLabel("Primary Image"), 0, 0, Qt::AlignCenter);
  choice->addWidget(new QLabel("Mix Mode"), 0, 1, Qt::AlignCenter);
  choice->addWidget(new QLabel("Secondary Image"), 0, 2, Qt::AlignCenter);
  choice->addWidget(primaryList_, 1, 0);
  choice->addWidget(mode_, 1, 1, Qt::AlignCenter);
  choice->addWidget(secondaryList_, 1, 2);
  choice->setColumnStretch(0, 1);
  choice->setColumnStretch(2, 1);
  auto* percent = new QGridLayout;
  percent->addWidget(new QLabel("% Secondary"), 0, 1, Qt::AlignLeft);
  percent->addWidget(slider_, 1, 0);
  percent->addWidget(edit_, 1, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok_);
  buttons->addWidget(cancel);
  buttons->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(panel_, 1);
  layout->addLayout(choice);
  layout->addLayout(percent);
  layout->addLayout(buttons);

  // The members start in the controls: the box holds 50 until the dialog is
  // set up.
  WriteControls();
}

CMixDlg::~CMixDlg() = default;

int CMixDlg::CheckMixCompatible(const veska::AImage& candidate) const {
  if (primary_ == nullptr) return kMixSize;
  return dialogs::CheckMixCompatible(primary_->Image(), candidate);
}

void CMixDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (initialised_) return;
  initialised_ = true;
  Initialise();
}

void CMixDlg::Initialise() {
  if (!FillLists()) app::UiPrompter::Get().Tell(kMixListFailed);
  slider_->setRange(0, 100);
  slider_->setTickInterval(kTickInterval);
  slider_->setPageStep(kTickInterval);
  slider_->setValue(0);
  edit_->setText("0");
  mode_->SetMode(0);
  UpdatePreview();
}

app::AVeskaDoc* CMixDlg::Listed(int index) const {
  return index >= 0 && size_t(index) < listed_.size() ? listed_[size_t(index)] : nullptr;
}

bool CMixDlg::FillLists() {
  if (documents_ == nullptr || primary_ == nullptr) return false;
  secondary_ = nullptr;
  listed_.clear();
  primaryList_->clear();
  secondaryList_->clear();
  bool complete = true;
  for (app::AVeskaDoc* doc : *documents_) {
    if (!doc->Loaded()) {
      complete = false;
      break;
    }
    if (!MixCompatible(CheckMixCompatible(doc->Image()))) continue;
    listed_.push_back(doc);
    primaryList_->addItem(doc->Title());
    secondaryList_->addItem(doc->Title());
  }
  // Filling selects nothing; the rules below choose.
  primaryList_->setCurrentIndex(-1);
  secondaryList_->setCurrentIndex(-1);
  if (!complete) return false;
  const int count = int(listed_.size());
  const int k = primaryList_->findText(primary_->Title(), Qt::MatchExactly | Qt::MatchCaseSensitive);
  if (k < 0) {
    if (count == 0) return false;
    primaryList_->setCurrentIndex(0);
    secondaryList_->setCurrentIndex(count == 1 ? 0 : 1);
  } else {
    primaryList_->setCurrentIndex(k);
    int second = 0;
    if (count > 1) {
      second = k + 1 < count ? k + 1 : k - 1;
      if (second < 0) second = 1;
    }
    secondaryList_->setCurrentIndex(second);
  }
  panel_->SetZoom(zoom_ * 0.01f);
  OnPrimaryChanged();
  OnSecondaryChanged();
  return true;
}

void CMixDlg::EnableChoice(bool on) {
  slider_->setEnabled(on);
  ok_->setEnabled(on);
  edit_->setEnabled(on);
}

void CMixDlg::OnPrimaryChanged() {
  const int index = primaryList_->currentIndex();
  if (index < 0 || primaryList_->currentText().isEmpty()) {
    EnableChoice(false);
    primary_ = nullptr;
  } else {
    primary_ = Listed(index);
    EnableChoice(true);
  }
  UpdatePreview();
}

void CMixDlg::OnSecondaryChanged() {
  const int index = secondaryList_->currentIndex();
  if (index < 0 || secondaryList_->currentText().isEmpty()) {
    EnableChoice(false);
    secondary_ = nullptr;
    UpdatePreview();
    return;
  }
  secondary_ = Listed(index);
  const int code = secondary_ != nullptr ? CheckMixCompatible(secondary_->Image()) : kMixSize;
  if (!MixCompatible(code)) {
    EnableChoice(false);
    app::UiPrompter::Get().Tell(MixCheckMessage(code));
    secondaryList_->setCurrentIndex(-1);
    secondary_ = nullptr;
    UpdatePreview();
    return;
  }
  EnableChoice(true);
  UpdatePreview();
}

void CMixDlg::OnSliderAction(int action) {
  switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
    case QAbstractSlider::SliderSingleStepAdd:
    case QAbstractSlider::SliderPageStepSub:
    case QAbstractSlider::SliderPageStepAdd:
    case QAbstractSlider::SliderMove:
      // The slider reports an action before it takes the new position.
      percent_ = slider_->sliderPosition();
      primaryWeight_ = 100 - percent_;
      WriteControls();
      break;
    default:
      break;
  }
  // A step from the keyboard or a click beside the handle ends at once.
  if (action != QAbstractSlider::SliderMove && !slider_->isSliderDown()) {
    slider_->setValue(slider_->sliderPosition());
    UpdatePreview();
    WriteControls();
  }
}

void CMixDlg::OnPercentEdited(const QString& text) {
  slider_->setValue(LeadingNumber(text));
  UpdatePreview();
}

bool CMixDlg::eventFilter(QObject* watched, QEvent* event) {
  // Leaving the box settles the weights and the slider; not while the box's
  // own refusal is being shown.
  if (watched == edit_ && event->type() == QEvent::FocusOut && !leaving_ && isVisible()) {
    leaving_ = true;
    ComputeWeights();
    primaryWeight_ = 100 - percent_;
    slider_->setValue(percent_);
    leaving_ = false;
  }
  return QDialog::eventFilter(watched, event);
}

bool CMixDlg::ReadControls() {
  int value = percent_;
  if (!ReadInteger(*edit_, 0, 100, value)) return false;
  percent_ = value;
  return true;
}

void CMixDlg::WriteControls() {
  const QString text = QString::number(percent_);
  if (edit_->text() != text) edit_->setText(text);
}

void CMixDlg::ComputeWeights() {
  ReadControls();
  percent_ = slider_->sliderPosition();
  primaryWeight_ = 100 - percent_;
  weightA_ = 100 - percent_;
  weightB_ = mode_->Mode() == 0 ? percent_ : -percent_;
  if (weightA_ < 0 && weightB_ < 0) {
    weightA_ = -weightA_;
    weightB_ = -weightB_;
  }
  WriteControls();
}

void CMixDlg::UpdatePreview() {
  // A document no longer chosen leaves the panel's image as it was.
  if (primary_ != nullptr) panel_->SetImageA(&primary_->Image());
  if (secondary_ != nullptr) panel_->SetImageB(&secondary_->Image());
  ComputeWeights();
  panel_->SetWeights(weightA_, weightB_);
  panel_->Reprocess();
}

void CMixDlg::accept() {
  ComputeWeights();
  if (primaryList_->currentIndex() < 0 || secondaryList_->currentIndex() < 0) return;
  primary_ = Listed(primaryList_->currentIndex());
  secondary_ = Listed(secondaryList_->currentIndex());
  if (!ReadControls()) return;
  QDialog::accept();
}

}  // namespace veska::dialogs
