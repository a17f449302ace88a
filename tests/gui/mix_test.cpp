// Mix from the desktop: which documents the dialog offers and selects, the
// weights from the slider, the box and the mode, and the saved mix against
// the command line's.
#include <QComboBox>
#include <QMdiArea>
#include <QSlider>

#include "app/child_frame.h"
#include "dialogs/mix_dialog.h"
#include "gui_support.h"
#include "image/image_file.h"
#include "tools/sample_images.h"

namespace veska::testgui {
namespace {

using app::AVeskaDoc;
using app::CommandId;
using dialogs::CMixDlg;

TEST(MixCheckTest, RefusesOtherTypesDepthsAndSizesAndKnowsItsOwnImage) {
  auto grey = MakeImage(40, 30, 8, [](int x, int) { return uint32_t(x); });
  auto colour = MakeImage(40, 30, 24, [](int x, int y) { return Rgb(x, y, 9); });
  auto other = MakeImage(40, 30, 24, [](int x, int) { return Rgb(1, x, 2); });
  auto wider = MakeImage(41, 30, 24, [](int, int) { return Rgb(1, 2, 3); });
  // An 8-bit colour-table image: the colour type of a 24-bit image, not its depth.
  auto palette = MakeImage(40, 30, 8, [](int x, int) { return uint32_t(x); });
  palette->Buffer().imageType = 0;
  using dialogs::CheckMixCompatible;
  EXPECT_EQ(CheckMixCompatible(*colour, *grey), dialogs::kMixColourType);
  EXPECT_EQ(CheckMixCompatible(*colour, *palette), dialogs::kMixDepth);
  EXPECT_EQ(CheckMixCompatible(*colour, *wider), dialogs::kMixSize);
  EXPECT_EQ(CheckMixCompatible(*colour, *colour), dialogs::kMixSelf);
  EXPECT_EQ(CheckMixCompatible(*colour, *other), dialogs::kMixOk);
  other->SetFromIndexed(true);
  EXPECT_EQ(CheckMixCompatible(*colour, *other), dialogs::kMixColourType);
}

class MixTest : public GuiTest {
 protected:
  // Runs Mix on the active window with `script` answering the dialog (the
  // handler itself, also where the menu would not offer it).
  void RunMix(std::function<int(CMixDlg&)> script) {
    prompter_.dialogScripts.push_back(
        [script](QDialog& dialog) { return script(static_cast<CMixDlg&>(dialog)); });
    window_->OnMix();
  }
  static QStringList Titles(QComboBox* list) {
    QStringList titles;
    for (int i = 0; i < list->count(); ++i) titles << list->itemText(i);
    return titles;
  }
};

TEST_F(MixTest, OneDocumentIsMixedWithItself) {
  WriteSampleImage(Path("photo.png"), 24);
  AVeskaDoc* photo = OpenThroughMenu(Path("photo.png"));
  ASSERT_NE(photo, nullptr);
  // Mix is enabled only with two loaded documents; the dialog itself copes
  // with one.
  EXPECT_FALSE(window_->Action(CommandId::kMix)->isEnabled());
  RunMix([&](CMixDlg& dialog) {
    EXPECT_EQ(Titles(dialog.PrimaryList()), QStringList{"photo.png"});
    EXPECT_EQ(Titles(dialog.SecondaryList()), QStringList{"photo.png"});
    EXPECT_EQ(dialog.SecondaryList()->currentIndex(), 0);
    EXPECT_TRUE(dialog.OkButton()->isEnabled());
    EXPECT_EQ(dialog.PercentBox()->text(), "0");
    // Slider at 30: 70 of the primary and 30 of the secondary; the
    // subtracting mode makes the secondary's -30.
    dialog.Slider()->setSliderPosition(30);
    EXPECT_EQ(dialog.PercentBox()->text(), "30");
    EXPECT_EQ(std::make_pair(dialog.WeightA(), dialog.WeightB()), std::make_pair(70, 30));
    QTest::mouseClick(dialog.ModeButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.ModeButton()->Mode(), 1);
    EXPECT_EQ(std::make_pair(dialog.Panel()->WeightA(), dialog.Panel()->WeightB()),
              std::make_pair(70, -30));
    EXPECT_TRUE(dialog.Panel()->ResultValid());
    // The panel grows with the dialog and mixes what it then shows.
    const int panelWidth = dialog.Panel()->width();
    const int mixes = dialog.Panel()->Computations();
    dialog.resize(dialog.width() + 200, dialog.height() + 100);
    QApplication::processEvents();
    EXPECT_EQ(dialog.Panel()->width(), panelWidth + 200);
    EXPECT_GT(dialog.Panel()->Computations(), mixes);
    return Click(dialog, "OK");
  });
  AVeskaDoc* mixed = window_->ActiveDocument();
  ASSERT_NE(mixed, photo);
  EXPECT_EQ(mixed->Title(), "mixphoto1");
  EXPECT_TRUE(mixed->IsModified());
  EXPECT_FALSE(photo->IsModified());
  EXPECT_TRUE(prompter_.questions.empty()) << prompter_.TakeTexts().toStdString();
}

TEST_F(MixTest, OffersOnlyCompatibleDocumentsAndPicksTheNeighbour) {
  WriteSampleImage(Path("a.png"), 24);
  WriteSampleImage(Path("grey.png"), 8);
  WriteSampleImage(Path("b.png"), 24);
  WriteSampleImage(Path("wide.png"), 24, 61, 52);
  WriteSampleImage(Path("c.png"), 24);
  for (const char* name : {"a.png", "grey.png", "b.png", "wide.png", "c.png"})
    ASSERT_NE(OpenThroughMenu(Path(name)), nullptr) << name;
  ASSERT_TRUE(window_->Action(CommandId::kMix)->isEnabled());
  int result = 0;
  RunMix([&](CMixDlg& dialog) {
    EXPECT_EQ(Titles(dialog.PrimaryList()), QStringList({"a.png", "b.png", "c.png"}));
    EXPECT_EQ(dialog.PrimaryList()->currentIndex(), 2);
    EXPECT_EQ(dialog.SecondaryList()->currentIndex(), 1);
    EXPECT_EQ(dialog.Secondary()->Title(), "b.png");

    // Every keystroke in the box moves the slider and mixes again.
    QLineEdit* box = dialog.PercentBox();
    box->setFocus();
    box->selectAll();
    const int before = dialog.Panel()->Computations();
    QTest::keyClick(box, '7');
    EXPECT_EQ(dialog.Slider()->value(), 7);
    EXPECT_EQ(dialog.Panel()->WeightB(), 7);
    const int afterOne = dialog.Panel()->Computations();
    EXPECT_GT(afterOne, before);
    QTest::keyClick(box, '5');
    EXPECT_EQ(dialog.Slider()->value(), 75);
    EXPECT_EQ(dialog.Panel()->WeightB(), 75);
    EXPECT_EQ(dialog.Panel()->WeightA(), 25);
    EXPECT_GT(dialog.Panel()->Computations(), afterOne);

    // Without a secondary choice OK does nothing.
    dialog.SecondaryList()->setCurrentIndex(-1);
    EXPECT_EQ(Click(dialog, "OK"), -1);
    result = Click(dialog, "Cancel");
    return result;
  });
  EXPECT_EQ(result, QDialog::Rejected);
  EXPECT_EQ(app_->Documents().size(), 5u) << "no new window";
  EXPECT_TRUE(prompter_.questions.empty()) << prompter_.TakeTexts().toStdString();
}

TEST_F(MixTest, AnEmptyDocumentStopsTheListingWithAMessage) {
  WriteSampleImage(Path("photo.png"), 24);
  AVeskaDoc* photo = OpenThroughMenu(Path("photo.png"));
  ASSERT_NE(photo, nullptr);
  Trigger(CommandId::kNew);
  window_->MdiArea()->setActiveSubWindow(window_->FrameOf(photo));
  RunMix([&](CMixDlg& dialog) {
    EXPECT_EQ(prompter_.TakeTexts(), dialogs::kMixListFailed);
    // What was listed before the empty document stays, with nothing chosen.
    EXPECT_EQ(Titles(dialog.PrimaryList()), QStringList{"photo.png"});
    EXPECT_EQ(dialog.PrimaryList()->currentIndex(), -1);
    EXPECT_EQ(Click(dialog, "OK"), -1) << "nothing chosen, nothing mixed";
    return Click(dialog, "Cancel");
  });
  EXPECT_EQ(app_->Documents().size(), 2u);
}

TEST_F(MixTest, SavedMixIsTheCommandLinesMix) {
#ifndef VESKA_CLI
  GTEST_SKIP() << "the command line is not part of this build";
#else
  WriteSampleImage(Path("primary.png"), 24, 90, 70);
  auto secondary = MakeImage(90, 70, 24, [](int x, int y) {
    return Rgb(uint32_t(200 - x), uint32_t((x * y) & 255), uint32_t(60 + y));
  });
  ASSERT_EQ(Save(*secondary, Path("secondary.png").toStdString()), 0);
  ASSERT_NE(OpenThroughMenu(Path("secondary.png")), nullptr);
  ASSERT_NE(OpenThroughMenu(Path("primary.png")), nullptr);
  RunMix([](CMixDlg& dialog) {
    EXPECT_EQ(dialog.Secondary()->Title(), "secondary.png");
    dialog.Slider()->setSliderPosition(30);
    QTest::mouseClick(dialog.ModeButton(), Qt::LeftButton);
    return Click(dialog, "OK");
  });
  ASSERT_EQ(window_->ActiveDocument()->Title(), "mixprimary1");
  ExpectSavedAsCommandLine("desktop.png", {"mix", Path("primary.png"), Path("secondary.png"),
                                           Path("cli.png"), "--weights", "70,-30"});
#endif
}

}  // namespace
}  // namespace veska::testgui
