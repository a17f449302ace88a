// "Mix Images": a primary and a secondary image among the open documents
// that can be mixed with the current one, a percentage of the secondary
// image, and whether it is added or subtracted. The panel shows the mix of
// the region in view; OK hands the two documents and the two signed weights
// to the caller, which makes the mixed window.
#pragma once

#include <QDialog>
#include <QLabel>
#include <cstdint>
#include <vector>

#include "dialogs/image_panel.h"
#include "image/aimage.h"

class QComboBox;
class QLineEdit;
class QPushButton;
class QSlider;

namespace veska::app {
class AVeskaDoc;
}

namespace veska::dialogs {

// Whether `candidate` can be mixed with `primary`, tested in this order:
// colour type or indexed source differ (kMixColourType), the headers'
// planes differ (kMixChannels), the bit depths differ (kMixDepth), the sizes
// differ (kMixSize); the primary's own image is kMixSelf; otherwise kMixOk.
enum MixCheck : int {
  kMixOk = 0, kMixDepth = 1, kMixColourType = 2, kMixChannels = 3, kMixSize = 4, kMixSelf = 5,
};
int CheckMixCompatible(const veska::AImage& primary, const veska::AImage& candidate);
// The message for a refused candidate (codes 1 to 4); empty otherwise.
QString MixCheckMessage(int code);
inline bool MixCompatible(int code) { return code == kMixOk || code == kMixSelf; }

inline constexpr char kMixListFailed[] =
    "The Primary image document could not be found.  If the images you are wanting to mix are "
    "not listed in the Primary and Secondary document lists, close all of the image documents "
    "(and save them, if necessary), then load them, and try the Mix function again.";

// The mix a mix panel shows: `visible` of `a` (pixels and planes) mixed with
// the same region of `b` into `output` with the two weights.
bool MixVisibleRegion(veska::AImage& output, veska::AImage& a, veska::AImage& b,
                      const veska::PixelRect& visible, int weightA, int weightB);

class CMixPanel final : public CImagePanel {
  Q_OBJECT
 public:
  explicit CMixPanel(QWidget* parent = nullptr);

  // The primary image, also shown while panning, and the secondary image
  // (neither owned).
  void SetImageA(veska::AImage* a);
  void SetImageB(veska::AImage* b) { imageB_ = b; }
  void SetWeights(int weightA, int weightB);
  int WeightA() const { return weightA_; }
  int WeightB() const { return weightB_; }
  void Reprocess() override;
  // How many mixes have run (tests count the live updates).
  int Computations() const { return computations_; }

 protected:
  // A mix is quick: a panel that grows or shrinks mixes its new region at once.
  void resizeEvent(QResizeEvent* event) override;

 private:
  veska::AImage* imageA_ = nullptr;
  veska::AImage* imageB_ = nullptr;
  int weightA_ = 100;
  int weightB_ = 0;
  int computations_ = 0;
};

// The mix mode: 0 adds the secondary image, 1 subtracts it. A click turns it
// over and shows the other picture.
class CMixModeButton final : public QLabel {
  Q_OBJECT
 public:
  explicit CMixModeButton(QWidget* parent = nullptr);
  int Mode() const { return mode_; }
  void SetMode(int mode);

 signals:
  void modeChanged(int mode);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  int mode_ = 0;
};

class CMixDlg final : public QDialog {
  Q_OBJECT
 public:
  explicit CMixDlg(QWidget* parent = nullptr);
  ~CMixDlg() override;

  // Set by the caller before the dialog is shown: the current document, the
  // zoom of the view (percent) and the open documents to offer (not owned).
  void SetPrimary(app::AVeskaDoc* doc) { primary_ = doc; }
  void SetZoom(float percent) { zoom_ = percent; }
  void SetDocuments(const std::vector<app::AVeskaDoc*>* documents) { documents_ = documents; }

  // After OK.
  app::AVeskaDoc* Primary() const { return primary_; }
  app::AVeskaDoc* Secondary() const { return secondary_; }
  int PrimaryWeight() const { return primaryWeight_; }
  int Percent() const { return percent_; }
  int WeightA() const { return weightA_; }
  int WeightB() const { return weightB_; }

  // The candidate against the primary document's image.
  int CheckMixCompatible(const veska::AImage& candidate) const;

  CMixPanel* Panel() const { return panel_; }
  CMixModeButton* ModeButton() const { return mode_; }
  QSlider* Slider() const { return slider_; }
  QLineEdit* PercentBox() const { return edit_; }
  QComboBox* PrimaryList() const { return primaryList_; }
  QComboBox* SecondaryList() const { return secondaryList_; }
  QPushButton* OkButton() const { return ok_; }

  void accept() override;

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Initialise();
  bool FillLists();
  void OnPrimaryChanged();
  void OnSecondaryChanged();
  void OnSliderAction(int action);
  void OnPercentEdited(const QString& text);
  void UpdatePreview();
  void ComputeWeights();
  // The percentage box read with its 0..100 check; false after the message.
  bool ReadControls();
  void WriteControls();
  void EnableChoice(bool on);
  app::AVeskaDoc* Listed(int index) const;

  const std::vector<app::AVeskaDoc*>* documents_ = nullptr;
  std::vector<app::AVeskaDoc*> listed_;
  app::AVeskaDoc* secondary_ = nullptr;
  app::AVeskaDoc* primary_ = nullptr;
  int32_t percent_ = 50;
  int32_t primaryWeight_ = 50;
  int32_t weightA_ = 0;
  int32_t weightB_ = 0;
  float zoom_ = 100.0f;
  bool initialised_ = false;
  bool leaving_ = false;  // the box's focus-out handling runs

  CMixPanel* panel_;
  CMixModeButton* mode_;
  QSlider* slider_;
  QComboBox* primaryList_;
  QComboBox* secondaryList_;
  QLineEdit* edit_;
  QPushButton* ok_;
};

}  // namespace veska::dialogs
