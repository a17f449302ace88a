// The preview: the panel's regions and reduced copy, the dialog's slider
// rules and plane list, and Preview-and-apply from the main window.
#include <QCheckBox>
#include <QHeaderView>
#include <QMouseEvent>
#include <QSlider>
#include <QTreeWidget>

#include "app/child_frame.h"
#include "app/veska_view.h"
#include "dialogs/image_panel.h"
#include "dialogs/preview_dialog.h"
#include "gui_support.h"
#include "tools/sample_images.h"

namespace veska::testgui {
namespace {

using app::CommandId;
using dialogs::CPreviewDlg;

std::unique_ptr<AImage> GreyRamp(int width, int height) {
  auto image = MakeImage(width, height, 8, [](int x, int y) {
    return uint32_t(30 + (x * 3 + y * 2 + int(20 * Noise(x, y))) % 190);
  });
  image->Channels().BuildLuminance(image->Desc(), true);
  return image;
}

TEST(ImagePanelTest, SmallRegionsGrowTo51AndReducedCopiesKeepTheirMargin) {
  AImage output;
  auto image = GreyRamp(200, 150);
  // A 40 x 40 region is processed as 51 x 51 from the same corner...
  auto result = dialogs::ProcessPreview(output, *image, {10, 20, 49, 59}, 1.0f, -1, 4);
  ASSERT_TRUE(result.processed);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(output.Width(), 51);
  EXPECT_EQ(output.Height(), 51);
  // ... pushed back inside near the right and bottom edges.
  EXPECT_EQ(dialogs::PreviewRegionOf({180, 130, 199, 149}, 200, 150)->left, 149);
  EXPECT_EQ(dialogs::PreviewRegionOf({180, 130, 199, 149}, 200, 150)->top, 99);

  // An image under 51 pixels is not processed at all.
  auto tiny = GreyRamp(40, 40);
  AImage untouched;
  EXPECT_FALSE(dialogs::ProcessPreview(untouched, *tiny, {0, 0, 39, 39}, 1.0f, -1, 4).processed);
  EXPECT_FALSE(untouched.Loaded());

  // At 50 % an 8-bit image is processed from a half-size copy with 200
  // pixels of margin: the copy is (755 - 100 + 1) / 2 = 328 wide, and the
  // region starts at 200 / 2 = 100 in it, cut at the copy's last column.
  auto large = GreyRamp(1000, 900);
  result = dialogs::ProcessPreview(output, *large, {300, 300, 555, 555}, 0.5f, -1, 4);
  ASSERT_TRUE(result.processed);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.renderScale, 1.0f);
  EXPECT_EQ(output.Width(), 328 - 100);
  EXPECT_EQ(output.Height(), 328 - 100);
}

TEST(ImagePanelTest, VisibleRegionStaysInsideTheImage) {
  // Panned past the right edge: the region ends at the last column.
  veska::PixelRect r = dialogs::VisibleRegionOf(350, -20, 100, 100, 1.0f, 400, 300);
  EXPECT_EQ(r.right, 399);
  EXPECT_EQ(r.left, 300);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.bottom, 80);  // from the top before it was cut to 0
  // At 200 % the region covers half the panel's pixels.
  r = dialogs::VisibleRegionOf(10, 10, 100, 100, 2.0f, 400, 300);
  EXPECT_EQ(r.right, 60);
}

class PreviewTest : public GuiTest {
 protected:
  // A dialog over `image` at 100 %, shown.
  std::unique_ptr<CPreviewDlg> Open(AImage& image) {
    auto dialog = std::make_unique<CPreviewDlg>(
        image, veska::PixelRect{0, 0, image.Width() - 1, image.Height() - 1}, window_.get(), 100,
        4);
    dialog->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    return dialog;
  }
  static void Drag(CPreviewDlg& dialog, CPreviewDlg::Slider which, int position) {
    QSlider* slider = which == CPreviewDlg::Slider::kSmall ? dialog.SmallSlider()
                                                             : dialog.BigSlider();
    slider->setSliderPosition(position);
    dialog.OnSliderEvent(which, CPreviewDlg::kThumbTrack);
  }
  static std::pair<int, int> Sliders(const CPreviewDlg& dialog) {
    return {dialog.SmallSlider()->value(), dialog.BigSlider()->value()};
  }
};

TEST_F(PreviewTest, SlidersKeepCursorsOddOrderedAndFrozen) {
  auto image = GreyRamp(120, 100);
  image->Channels().SetCursors(0, 9, 21);
  auto dialog = Open(*image);
  // Opening starts from the defaults: small 1, big covering the range.
  const int bigMax = dialog->Record(0).bigMax;
  EXPECT_EQ(dialog->Small(0), 1);
  EXPECT_EQ(dialog->Big(0), bigMax);
  EXPECT_EQ(image->Channels().SmallCursor(0), 1);
  const int computed = dialog->Panel()->Computations();
  EXPECT_GE(computed, 1);

  using S = CPreviewDlg::Slider;
  Drag(*dialog, S::kSmall, 3);
  Drag(*dialog, S::kSmall, 4);  // an even position while moving right
  EXPECT_EQ(Sliders(*dialog).first, 5);
  Drag(*dialog, S::kSmall, 2);  // ... and while moving left
  EXPECT_EQ(Sliders(*dialog).first, 1);
  Drag(*dialog, S::kBig, 31);
  Drag(*dialog, S::kSmall, 35);  // small >= big is pulled to big - 2
  EXPECT_EQ(Sliders(*dialog), std::make_pair(29, 31));
  EXPECT_EQ(dialog->Panel()->Computations(), computed) << "moving processes nothing";

  Drag(*dialog, S::kSmall, 11);
  dialog->FreezeBox()->click();
  Drag(*dialog, S::kSmall, 21);
  EXPECT_EQ(Sliders(*dialog), std::make_pair(21, 41));
  dialog->OnSliderEvent(S::kSmall, CPreviewDlg::kEndScroll);
  EXPECT_EQ(dialog->Panel()->Computations(), computed + 1);
  EXPECT_EQ(image->Channels().SmallCursor(0), 21);
  EXPECT_EQ(image->Channels().BigCursor(0), 41);
  dialog->OnSliderEvent(S::kSmall, CPreviewDlg::kEndScroll);
  EXPECT_EQ(dialog->Panel()->Computations(), computed + 1) << "an unchanged pair is kept";

  // Done keeps the dialog's cursors in the planes.
  Click(*dialog, "Done");
  EXPECT_EQ(image->Channels().SmallCursor(0), 21);
  EXPECT_EQ(dialog->result(), QDialog::Rejected);
}

TEST_F(PreviewTest, DraggingRefreshesLiveWithTheNewestPairAndTheReleaseDecides) {
  auto image = GreyRamp(120, 100);
  auto dialog = Open(*image);
  dialogs::CPreviewPanel* panel = dialog->Panel();
  if (!panel->LiveAllowed()) GTEST_SKIP() << "this machine is too busy to refresh live";
  const int computed = panel->Computations();
  const ChannelStore& store = image->Channels();
  using S = CPreviewDlg::Slider;
  // Three moves before the event loop runs: the first starts a run, the
  // second is replaced by the third, which runs next; only it is shown.
  Drag(*dialog, S::kBig, 41);
  Drag(*dialog, S::kBig, 61);
  Drag(*dialog, S::kSmall, 7);
  EXPECT_EQ(panel->LiveRuns(), 1);
  EXPECT_TRUE(WaitFor([&] { return !panel->LivePicture().isNull(); }));
  EXPECT_EQ(panel->LiveRuns(), 2);
  EXPECT_EQ(panel->Computations(), computed);
  const QImage live = panel->LivePicture();

  // The release processes the pair the ordinary way: the same pixels.
  dialog->OnSliderEvent(S::kSmall, CPreviewDlg::kEndScroll);
  EXPECT_TRUE(panel->LivePicture().isNull());
  EXPECT_EQ(panel->Computations(), computed + 1);
  EXPECT_EQ(panel->OutputPicture(), live);
  EXPECT_EQ(std::pair(int(store.SmallCursor(0)), int(store.BigCursor(0))), std::pair(7, 61));

  // Away and back again: the release finds the pair unchanged, processes
  // nothing, shows the ordinary result and leaves the planes as they were.
  Drag(*dialog, S::kSmall, 15);
  EXPECT_TRUE(WaitFor([&] { return !panel->LivePicture().isNull(); }));
  EXPECT_NE(panel->LivePicture(), live);
  Drag(*dialog, S::kSmall, 7);
  dialog->OnSliderEvent(S::kSmall, CPreviewDlg::kEndScroll);
  EXPECT_EQ(panel->Computations(), computed + 1);
  EXPECT_TRUE(panel->LivePicture().isNull());
  EXPECT_EQ(std::pair(int(store.SmallCursor(0)), int(store.BigCursor(0))), std::pair(7, 61));
  Click(*dialog, "Done");
}

TEST_F(PreviewTest, AGrownDialogComputesTheLargerRegion) {
  auto image = GreyRamp(700, 600);
  auto dialog = Open(*image);
  dialogs::CPreviewPanel* panel = dialog->Panel();
  const int computed = panel->Computations();
  QTest::qWait(250);
  EXPECT_EQ(panel->Computations(), computed) << "opening computes once";
  const int before = panel->VisibleRegion().Width();
  dialog->resize(dialog->width() + 200, dialog->height() + 100);
  EXPECT_TRUE(WaitFor([&] { return panel->Computations() == computed + 1; }));
  EXPECT_GT(panel->VisibleRegion().Width(), before);
  EXPECT_EQ(panel->OutputPicture().width(), panel->VisibleRegion().Width());
  Click(*dialog, "Done");
}

TEST_F(PreviewTest, DoubleClicksSwitchPlanesTheirCheckBoxesAndFullRange) {
  auto image = MakeImage(90, 80, 24, [](int x, int y) {
    return Rgb(uint32_t(20 + x + y), uint32_t(60 + x), uint32_t((x * 3 + y) & 255));
  });
  ASSERT_EQ(image->Channels().SetLuminance(veska::Luminance::kMulti), 0);
  auto dialog = Open(*image);
  QTreeWidget* list = dialog->PlaneList();
  auto doubleClick = [list](int row, int column) {
    const QRect row_rect = list->visualItemRect(list->topLevelItem(row));
    const QPoint at(list->header()->sectionViewportPosition(column) + 8, row_rect.center().y());
    // A press and release, then the second press as the double click.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QMouseEvent second(QEvent::MouseButtonDblClick, at, list->viewport()->mapToGlobal(at),
                       Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &second);
    QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, at);
  };
  // The name of the green row: it becomes the current plane.
  doubleClick(1, 1);
  EXPECT_EQ(dialog->CurrentPlane(), 1);
  EXPECT_EQ(dialog->BigSlider()->value(), dialog->Record(1).big);
  // Its "C" mark while the big cursor is at its maximum: full range off.
  ASSERT_EQ(dialog->Record(1).big, dialog->Record(1).bigMax);
  doubleClick(1, 2);
  EXPECT_FALSE(dialog->Record(1).fullRange);
  doubleClick(1, 2);
  EXPECT_TRUE(dialog->Record(1).fullRange);
  doubleClick(1, 2);
  EXPECT_FALSE(dialog->Record(1).fullRange);
  EXPECT_FALSE(image->Channels().Plane(1)->FullRange());
  // The red row's check box: red is switched off, and red is current.
  doubleClick(0, 0);
  EXPECT_FALSE(dialog->Record(0).enabled);
  EXPECT_EQ(list->topLevelItem(0)->checkState(0), Qt::Unchecked);
  EXPECT_EQ(dialog->CurrentPlane(), 0);
  Click(*dialog, "Done");
  EXPECT_FALSE(image->Channels().Plane(0)->Enabled());
  EXPECT_TRUE(image->Channels().Plane(1)->Enabled());
}

TEST_F(PreviewTest, FlatPlaneRowIsGreyWithoutValues) {
  auto image = MakeImage(90, 80, 24, [](int x, int y) {
    return Rgb(uint32_t(20 + x + y), 77, uint32_t((x * 3) & 255));
  });
  ASSERT_EQ(image->Channels().SetLuminance(veska::Luminance::kMulti), 0);
  auto dialog = Open(*image);
  QTreeWidget* list = dialog->PlaneList();
  ASSERT_EQ(list->topLevelItemCount(), 3);
  QTreeWidgetItem* green = list->topLevelItem(1);
  EXPECT_EQ(green->text(1), "Green");
  EXPECT_EQ(green->text(3), "n/a");
  EXPECT_EQ(green->text(6), "n/a");
  EXPECT_EQ(green->foreground(1).color(), QColor(128, 128, 128));
  EXPECT_FALSE(green->flags() & Qt::ItemIsSelectable);
  EXPECT_FALSE(green->flags() & Qt::ItemIsUserCheckable);
  EXPECT_TRUE(list->topLevelItem(0)->flags() & Qt::ItemIsUserCheckable);
  EXPECT_TRUE(list->topLevelItem(0)->isSelected());
  EXPECT_TRUE(dialog->CompositeBox()->isEnabled());

  Click(*dialog, "Done");
  EXPECT_EQ(image->Channels().SmallCursor(1), 0) << "a flat plane keeps cursors 0";
  EXPECT_EQ(image->Channels().BigCursor(1), 0);
}

TEST_F(PreviewTest, PreviewAndApplyWritesWhatTheCommandLineWrites) {
#ifndef VESKA_CLI
  GTEST_SKIP() << "the command line is not part of this build";
#else
  WriteSampleImage(Path("input.png"), 24, 90, 70);
  ASSERT_NE(OpenThroughMenu(Path("input.png")), nullptr);
  window_->FrameOf(window_->ActiveDocument())->View()->SetImageSelection(
      veska::PixelRect{4, 6, 71, 60});
  prompter_.dialogScripts.push_back([](QDialog& dialog) {
    auto& preview = static_cast<CPreviewDlg&>(dialog);
    preview.SmallSlider()->setSliderPosition(7);
    preview.OnSliderEvent(CPreviewDlg::Slider::kSmall, CPreviewDlg::kEndScroll);
    preview.BigSlider()->setSliderPosition(45);
    preview.OnSliderEvent(CPreviewDlg::Slider::kBig, CPreviewDlg::kEndScroll);
    QTest::keyClick(&dialog, Qt::Key_Return);
    return dialog.result();
  });
  Trigger(CommandId::kPreview);
  ASSERT_EQ(window_->ActiveDocument()->Title(), "input1");
  ExpectSavedAsCommandLine("desktop.png",
                           {"process", Path("input.png"), Path("cli.png"), "--big", "45", "--small",
                            "7", "--rect", "4,6,71,60", "--scanlines", "16", "--quiet"});
#endif
}

}  // namespace
}  // namespace veska::testgui
