// "Preview Processing": two sliders per luminance plane choose its small and
// big cursor while the panel shows the processed part of the image in view.
// The dialog works on the document image's channel store: what it leaves in
// the planes is what Process then uses.
#pragma once

#include <QDialog>
#include <QPoint>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "image/aimage.h"
#include "imagelib/image_rect.h"

class QCheckBox;
class QLineEdit;
class QSlider;
class QTreeWidget;
class QTreeWidgetItem;

namespace veska::dialogs {

class CPreviewPanel;

// What the dialog holds for one plane.
struct ChannelRecord {
  int32_t small = 0;
  int32_t big = 0;
  int32_t smallMax = 0;
  int32_t bigMax = 0;
  bool enabled = false;
  bool flat = false;
  bool fullRange = false;
};

class CPreviewDlg final : public QDialog {
  Q_OBJECT
 public:
  // The slider event codes, as a slider reports them.
  enum ScrollCode {
    kLineLeft = 0, kLineRight = 1, kPageLeft = 2, kPageRight = 3, kThumbPosition = 4,
    kThumbTrack = 5, kTop = 6, kBottom = 7, kEndScroll = 8,
  };
  enum class Slider { kSmall, kBig };

  // Resets every plane of the image's store to its default cursors (enabled,
  // full range), as opening the dialog always does.
  CPreviewDlg(veska::AImage& image, const veska::PixelRect& selection, QWidget* parent,
              int zoomPercent, int previewScanlines);
  ~CPreviewDlg() override;

  int32_t Small(int plane) const { return records_[size_t(plane)].small; }
  int32_t Big(int plane) const { return records_[size_t(plane)].big; }
  // Every non-flat plane takes its record's cursors and flags.
  void ApplyAllRecords(veska::ChannelStore& store) const;

  // A slider event: `which` slider moved to its present position.
  void OnSliderEvent(Slider which, int code);
  void SelectChannel(int plane);

  int CurrentPlane() const { return current_; }
  const ChannelRecord& Record(int plane) const { return records_[size_t(plane)]; }
  CPreviewPanel* Panel() const { return panel_; }
  QSlider* SmallSlider() const { return smallSlider_; }
  QSlider* BigSlider() const { return bigSlider_; }
  QTreeWidget* PlaneList() const { return list_; }
  QCheckBox* FreezeBox() const { return freeze_; }
  QCheckBox* CompositeBox() const { return composite_; }

  // "Done", Escape and the close box: every plane takes its record first.
  void reject() override;
  // However the dialog ends, a live run is over first.
  void done(int result) override;

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ApplyRecord();
  void RefreshPreview();
  void FillList();
  void RefreshListValues();
  void ShowValues();
  void MoveSliders(int small, int big);
  void OnFreezeClicked();
  void OnCompositeClicked();
  void OnDoubleClick(QTreeWidgetItem* item, int column);
  void OnSliderAction(Slider which, int action);
  void RequestLive(int32_t small, int32_t big);
  void StopLive();

  veska::AImage& image_;
  veska::ChannelStore& store_;
  veska::PixelRect selection_;
  float zoom_;
  std::vector<ChannelRecord> records_;
  int current_ = 0;
  bool compositeDisplay_ = true;
  int32_t lastSmall_ = 0;
  int32_t lastBig_ = 0;
  int32_t frozenWidth_ = 0;
  uint16_t bigSliderMax_ = 0;
  uint16_t smallSliderMax_ = 0;
  bool initialised_ = false;
  bool swallowRelease_ = false;  // the release after a double click in the list
  QPoint doubleClickAt_;         // where it was, in the list's viewport
  // The newest pair asked of the live refresh since the last ordinary one.
  std::optional<std::pair<int32_t, int32_t>> liveRequested_;

  QTreeWidget* list_;
  QCheckBox* freeze_;
  QCheckBox* composite_;
  CPreviewPanel* panel_;
  QSlider* bigSlider_;
  QSlider* smallSlider_;
  QLineEdit* bigValue_;
  QLineEdit* smallValue_;
};

}  // namespace veska::dialogs
