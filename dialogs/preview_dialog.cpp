#include "dialogs/preview_dialog.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSlider>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>
#include <utility>

#include "app/prompter.h"
#include "dialogs/image_panel.h"

namespace veska::dialogs {
namespace {

// The slider positions of the last slider event, kept for the whole run of
// the program and shared by every preview dialog.
int32_t lastSmallPosition = 1;
std::optional<int32_t> lastBigPosition;

constexpr int kFlatGrey = 128;
const char* const kColumns[] = {"E", "Channel", "C", "Min", "Max", "Small", "Big"};
constexpr int kColumnWidths[] = {20, 55, 20, 45, 45, 45, 45};
enum Column { kEnabled = 0, kName, kRangeMark, kMin, kMax, kSmall, kBig };

bool AtMaximum(const ChannelRecord& record) {
  return record.small == record.smallMax || record.big == record.bigMax;
}

uint16_t LowerToOdd(int32_t value) { return uint16_t(value % 2 == 0 ? value - 1 : value); }

}  // namespace

CPreviewDlg::CPreviewDlg(veska::AImage& image, const veska::PixelRect& selection,
                         QWidget* parent, int zoomPercent, int previewScanlines)
    : QDialog(parent),
      image_(image),
      store_(image.Channels()),
      selection_(selection),
      zoom_(float(zoomPercent)) {
  setWindowTitle("Preview Processing");
  setSizeGripEnabled(true);

  // Opening the dialog starts every plane from its default cursors.
  for (int i = 0; i < store_.PlaneCount(); ++i) {
    veska::ChannelPlane* plane = store_.Plane(i);
    plane->SetEnabled(true);
    plane->SetFullRange(true);
    plane->DefaultCursors();
    ChannelRecord record;
    record.small = plane->SmallCursor();
    record.big = plane->BigCursor();
    record.enabled = plane->Enabled();
    record.flat = plane->Flat();
    record.fullRange = plane->FullRange();
    record.bigMax = std::clamp((plane->Max() - plane->Min() + 1) / 2 * 2 + 1, 3, 65535);
    record.smallMax = record.bigMax - 2;
    records_.push_back(record);
  }

  panel_ = new CPreviewPanel(previewScanlines);
  panel_->SetZoom(zoom_ * 0.01f);
  panel_->setMinimumSize(256, 256);

  auto* done = new QPushButton("Done");
  done->setAutoDefault(false);
  connect(done, &QPushButton::clicked, this, &CPreviewDlg::reject);
  // Enter ends the dialog with OK; the button says so.
  auto* process = new QPushButton("Process");
  process->setDefault(true);
  connect(process, &QPushButton::clicked, this, &CPreviewDlg::accept);

  list_ = new QTreeWidget;
  list_->setAccessibleName("Planes");
  list_->setRootIsDecorated(false);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setWordWrap(false);
  list_->setSortingEnabled(false);
  list_->header()->setSectionsClickable(false);
  list_->setColumnCount(7);
  list_->setIconSize(QSize(12, 12));
  QStringList headers;
  for (const char* column : kColumns) headers << column;
  list_->setHeaderLabels(headers);
  for (int c = 0; c < 7; ++c) {
    list_->setColumnWidth(c, kColumnWidths[c]);
    list_->headerItem()->setTextAlignment(c, Qt::AlignCenter);
  }
  list_->installEventFilter(this);
  list_->viewport()->installEventFilter(this);
  connect(list_, &QTreeWidget::itemDoubleClicked, this, &CPreviewDlg::OnDoubleClick);

  composite_ = new QCheckBox("Display Composite Image");
  freeze_ = new QCheckBox("Freeze cursor width");
  connect(composite_, &QCheckBox::clicked, this, &CPreviewDlg::OnCompositeClicked);
  connect(freeze_, &QCheckBox::clicked, this, &CPreviewDlg::OnFreezeClicked);

  bigSlider_ = new QSlider(Qt::Horizontal);
  smallSlider_ = new QSlider(Qt::Horizontal);
  bigSlider_->setAccessibleName("Big Cursor");
  smallSlider_->setAccessibleName("Small Cursor");
  bigValue_ = new QLineEdit;
  smallValue_ = new QLineEdit;
  for (QLineEdit* value : {bigValue_, smallValue_}) {
    value->setReadOnly(true);
    value->setMaximumWidth(60);
  }
  for (auto [slider, which] : {std::pair{smallSlider_, Slider::kSmall},
                               std::pair{bigSlider_, Slider::kBig}}) {
    slider->setTickPosition(QSlider::NoTicks);
    connect(slider, &QSlider::actionTriggered, this,
            [this, which](int action) { OnSliderAction(which, action); });
    connect(slider, &QSlider::sliderReleased, this,
            [this, which] { OnSliderEvent(which, kEndScroll); });
  }

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(process);
  buttons->addWidget(done);
  auto* side = new QVBoxLayout;
  side->addLayout(buttons);
  side->addStretch();
  side->addWidget(list_);
  auto* top = new QHBoxLayout;
  top->addWidget(panel_, 1);
  top->addLayout(side);
  auto* checks = new QHBoxLayout;
  checks->addWidget(composite_);
  checks->addStretch();
  checks->addWidget(freeze_);
  auto* group = new QGroupBox("Cursor Values");
  auto* grid = new QGridLayout(group);
  grid->addWidget(new QLabel("Big Cursor"), 0, 0, Qt::AlignCenter);
  grid->addWidget(bigSlider_, 1, 0);
  grid->addWidget(bigValue_, 1, 1);
  grid->addWidget(new QLabel("Small Cursor"), 2, 0, Qt::AlignCenter);
  grid->addWidget(smallSlider_, 3, 0);
  grid->addWidget(smallValue_, 3, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top, 1);
  layout->addLayout(checks);
  layout->addWidget(group);

  if (!records_.empty()) {
    lastSmall_ = records_[0].small;
    lastBig_ = records_[0].big;
  }
  FillList();
  composite_->setChecked(true);
  composite_->setEnabled(store_.MultiChannel());
  panel_->SetSource(&image_);
  SelectChannel(0);
}

CPreviewDlg::~CPreviewDlg() = default;

void CPreviewDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (initialised_) return;
  initialised_ = true;
  // The panel has its size now: centre it on the selection and compute.
  panel_->CentreOn(selection_);
  RefreshPreview();
}

void CPreviewDlg::FillList() {
  list_->clear();
  const bool checkBoxes = store_.PlaneCount() >= 2;
  const QStringList names =
      checkBoxes ? QStringList{"Red", "Green", "Blue"} : QStringList{"Single"};
  for (int row = 0; row < names.size(); ++row) {
    auto* item = new QTreeWidgetItem(list_);
    item->setText(kName, names[row]);
    for (int c = 0; c < 7; ++c) item->setTextAlignment(c, Qt::AlignCenter);
    const bool flat = size_t(row) < records_.size() && records_[size_t(row)].flat;
    Qt::ItemFlags flags = Qt::ItemIsEnabled;
    if (!flat) flags |= Qt::ItemIsSelectable;
    if (checkBoxes && !flat) flags |= Qt::ItemIsUserCheckable;
    item->setFlags(flags);
  }
  RefreshListValues();
  if (!records_.empty() && !records_[0].flat) list_->topLevelItem(0)->setSelected(true);
}

void CPreviewDlg::RefreshListValues() {
  const bool checkBoxes = store_.PlaneCount() >= 2;
  for (int row = 0; row < list_->topLevelItemCount(); ++row) {
    QTreeWidgetItem* item = list_->topLevelItem(row);
    if (size_t(row) >= records_.size()) {
      for (int c : {kMin, kMax, kSmall, kBig}) item->setText(c, "0");
      continue;
    }
    const ChannelRecord& record = records_[size_t(row)];
    const veska::ChannelPlane* plane = store_.Plane(row);
    if (record.flat) {
      for (int c : {kMin, kMax, kSmall, kBig}) item->setText(c, "n/a");
      for (int c = 0; c < 7; ++c) item->setForeground(c, QColor(kFlatGrey, kFlatGrey, kFlatGrey));
      item->setIcon(kRangeMark, QIcon());
      continue;
    }
    item->setText(kMin, QString::number(plane->Min()));
    item->setText(kMax, QString::number(plane->Max()));
    item->setText(kSmall, QString::number(record.small));
    item->setText(kBig, QString::number(record.big));
    if (checkBoxes) item->setCheckState(kEnabled, record.enabled ? Qt::Checked : Qt::Unchecked);
    const char* mark = !AtMaximum(record) ? ":/marks/full-range-mixed.svg"
                       : record.fullRange ? ":/marks/full-range-on.svg"
                                          : ":/marks/full-range-off.svg";
    item->setIcon(kRangeMark, QIcon(mark));
    item->setData(kRangeMark, Qt::UserRole, QString(mark));
  }
}

void CPreviewDlg::ShowValues() {
  smallValue_->setText(QString::number(smallSlider_->value()));
  bigValue_->setText(QString::number(bigSlider_->value()));
}

void CPreviewDlg::MoveSliders(int small, int big) {
  const QSignalBlocker blockSmall(smallSlider_);
  const QSignalBlocker blockBig(bigSlider_);
  smallSlider_->setValue(small);
  bigSlider_->setValue(big);
}

void CPreviewDlg::SelectChannel(int plane) {
  if (size_t(plane) >= records_.size()) return;
  const ChannelRecord& record = records_[size_t(plane)];
  bigSliderMax_ = LowerToOdd(record.bigMax);
  smallSliderMax_ = LowerToOdd(record.smallMax);
  const veska::ChannelPlane* p = store_.Plane(plane);
  const bool varies = p != nullptr && p->Max() != p->Min();
  smallSlider_->setEnabled(varies);
  bigSlider_->setEnabled(varies);
  {
    const QSignalBlocker blockSmall(smallSlider_);
    const QSignalBlocker blockBig(bigSlider_);
    smallSlider_->setRange(1, smallSliderMax_);
    bigSlider_->setRange(3, bigSliderMax_);
  }
  lastSmall_ = record.small;
  lastBig_ = record.big;
  MoveSliders(record.small, record.big);
  current_ = plane;
  RefreshListValues();
  ShowValues();
}

void CPreviewDlg::OnSliderAction(Slider which, int action) {
  int code;
  switch (action) {
    case QAbstractSlider::SliderSingleStepSub: code = kLineLeft; break;
    case QAbstractSlider::SliderSingleStepAdd: code = kLineRight; break;
    case QAbstractSlider::SliderPageStepSub: code = kPageLeft; break;
    case QAbstractSlider::SliderPageStepAdd: code = kPageRight; break;
    case QAbstractSlider::SliderToMinimum: code = kTop; break;
    case QAbstractSlider::SliderToMaximum: code = kBottom; break;
    case QAbstractSlider::SliderMove: code = kThumbTrack; break;
    default: return;
  }
  OnSliderEvent(which, code);
  // A step from the keyboard or a click beside the handle ends at once.
  QSlider* slider = which == Slider::kSmall ? smallSlider_ : bigSlider_;
  if (code != kThumbTrack && !slider->isSliderDown()) OnSliderEvent(which, kEndScroll);
}

void CPreviewDlg::OnSliderEvent(Slider which, int code) {
  if (!lastBigPosition) lastBigPosition = bigSliderMax_;
  const bool smallMoved = which == Slider::kSmall;
  int32_t small = smallSlider_->sliderPosition();
  int32_t big = bigSlider_->sliderPosition();
  if (freeze_->isChecked()) {
    if (smallMoved && small + frozenWidth_ <= bigSliderMax_) big = small + frozenWidth_;
    if (!smallMoved && big > frozenWidth_) small = big - frozenWidth_;
  }
  int d = 0;
  switch (code) {
    case kLineLeft: case kPageLeft: case kTop: d = -1; break;
    case kLineRight: case kPageRight: case kBottom: d = 1; break;
    case kThumbPosition: case kThumbTrack: {
      const int32_t last = smallMoved ? lastSmallPosition : *lastBigPosition;
      const int32_t now = smallMoved ? small : big;
      d = last >= now ? -1 : 1;
      break;
    }
    default: d = 0;
  }
  if (small % 2 == 0) small += d;
  if (big % 2 == 0) big += d;
  if (uint32_t(small) >= uint32_t(big)) small = big - 2;
  if (small < 1) small = 1;
  if (uint32_t(big) > bigSliderMax_) big = bigSliderMax_;

  if (code != kEndScroll) {
    MoveSliders(small, big);
    (smallMoved ? lastSmallPosition : *lastBigPosition) = smallMoved ? small : big;
    ShowValues();
    RefreshListValues();
    RequestLive(small, big);
    return;
  }
  // The release: whatever the drag showed live, the step below decides.
  StopLive();
  if (small < big) {
    if (small == lastSmall_ && big == lastBig_) return;
    lastSmall_ = small;
    lastBig_ = big;
    ChannelRecord& record = records_[size_t(current_)];
    record.fullRange = true;
    record.small = small;
    record.big = big;
    MoveSliders(small, big);
    ApplyRecord();
    RefreshListValues();
    ShowValues();
    RefreshPreview();
    return;
  }
  if (!smallMoved) big = big >= bigSliderMax_ - 2 ? bigSliderMax_ : small + 2;
  if (smallMoved) small = big <= 2 ? 1 : big - 2;
  MoveSliders(small, big);
  ShowValues();
  app::UiPrompter::Get().Tell("Small cursor must be less than large cursor");
}

void CPreviewDlg::RequestLive(int32_t small, int32_t big) {
  if (uint32_t(small) >= uint32_t(big)) return;
  const std::pair<int32_t, int32_t> pair{small, big};
  if (pair == liveRequested_.value_or(std::pair{lastSmall_, lastBig_})) return;
  veska::ChannelPlane* plane = store_.Plane(current_);
  if (plane == nullptr || records_[size_t(current_)].flat) return;
  liveRequested_ = pair;
  // The live run reads the dragged pair from the plane, as the release's
  // run would; the plane gets back what it held when live refreshing stops.
  const uint16_t heldSmall = plane->SmallCursor();
  const uint16_t heldBig = plane->BigCursor();
  const bool heldFullRange = plane->FullRange();
  panel_->RequestLive(
      [plane, small, big] {
        plane->SetCursors(uint16_t(small), uint16_t(big));
        plane->SetFullRange(true);
      },
      [plane, heldSmall, heldBig, heldFullRange] {
        plane->SetCursors(heldSmall, heldBig);
        plane->SetFullRange(heldFullRange);
      });
}

void CPreviewDlg::StopLive() {
  panel_->StopLive();
  liveRequested_.reset();
}

void CPreviewDlg::OnFreezeClicked() {
  if (!freeze_->isChecked()) return;
  frozenWidth_ = std::max(2, bigSlider_->value() - smallSlider_->value());
  if (frozenWidth_ % 2 != 0) --frozenWidth_;
}

void CPreviewDlg::OnCompositeClicked() {
  compositeDisplay_ = !compositeDisplay_;
  panel_->SetChannel(compositeDisplay_ ? -1 : current_);
  RefreshPreview();
}

void CPreviewDlg::RefreshPreview() {
  liveRequested_.reset();
  if (store_.MultiChannel() && !compositeDisplay_) panel_->SetChannel(current_);
  panel_->Reprocess();
}

void CPreviewDlg::ApplyRecord() {
  veska::ChannelPlane* plane = store_.Plane(current_);
  if (plane == nullptr) return;
  const ChannelRecord& record = records_[size_t(current_)];
  if (!record.flat) {
    plane->SetCursors(uint16_t(record.small), uint16_t(record.big));
    plane->SetEnabled(record.enabled);
    plane->SetFullRange(record.fullRange);
  } else {
    plane->SetCursors(0, 0);
    plane->SetEnabled(false);
    plane->SetFullRange(false);
  }
}

void CPreviewDlg::ApplyAllRecords(veska::ChannelStore& store) const {
  for (int i = 0; i < store.PlaneCount() && size_t(i) < records_.size(); ++i) {
    const ChannelRecord& record = records_[size_t(i)];
    if (record.flat) continue;
    veska::ChannelPlane* plane = store.Plane(i);
    plane->SetCursors(uint16_t(record.small), uint16_t(record.big));
    plane->SetEnabled(record.enabled);
    plane->SetFullRange(record.fullRange);
  }
}

void CPreviewDlg::reject() {
  StopLive();
  for (int i = 0; size_t(i) < records_.size(); ++i) {
    current_ = i;
    ApplyRecord();
  }
  QDialog::reject();
}

void CPreviewDlg::done(int result) {
  StopLive();
  QDialog::done(result);
}

void CPreviewDlg::OnDoubleClick(QTreeWidgetItem* item, int column) {
  const int row = list_->indexOfTopLevelItem(item);
  if (row < 0 || size_t(row) >= records_.size() || records_[size_t(row)].flat) return;
  StopLive();
  ChannelRecord& record = records_[size_t(row)];
  bool toggled = false;
  if (store_.PlaneCount() >= 2 && column == kEnabled) {
    record.enabled = !record.enabled;
    toggled = true;
  }
  if (AtMaximum(record)) {
    // The mark's 12 x 12 box, 3 pixels right of and 2 below the cell's corner.
    const QRect mark(list_->header()->sectionViewportPosition(kRangeMark) + 3,
                     list_->visualItemRect(item).top() + 2, 12, 12);
    if (column == kRangeMark && mark.contains(doubleClickAt_)) {
      record.fullRange = !record.fullRange;
      toggled = true;
    }
  } else {
    record.fullRange = true;
  }
  const int previous = current_;
  list_->setCurrentItem(item);
  item->setSelected(true);
  ApplyRecord();
  SelectChannel(row);
  if (toggled && row != previous) ApplyRecord();
  RefreshPreview();
  RefreshListValues();
}

bool CPreviewDlg::eventFilter(QObject* watched, QEvent* event) {
  // A check box toggled by a single click goes back to its record's value.
  if (watched == list_ && event->type() == QEvent::FocusOut) RefreshListValues();
  // A double click has decided the check box from the record: the release
  // that ends it must not toggle the box once more.
  if (watched == list_->viewport()) {
    if (event->type() == QEvent::MouseButtonDblClick) {
      swallowRelease_ = true;
      doubleClickAt_ = static_cast<QMouseEvent*>(event)->position().toPoint();
    }
    if (event->type() == QEvent::MouseButtonRelease && std::exchange(swallowRelease_, false))
      return true;
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace veska::dialogs
