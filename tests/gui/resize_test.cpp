// Resize from the desktop: the size shown in every unit, the constrained and
// resolution recomputations, the same-size list, what OK hands over (whole
// pixels, the centimetre, refused sizes), and the saved result against the
// command line's.
#include <QCheckBox>
#include <QComboBox>
#include <QRadioButton>

#include "dialogs/resize_dialog.h"
#include "gui_support.h"
#include "tools/sample_images.h"

namespace veska::testgui {
namespace {

using app::AVeskaDoc;
using app::CommandId;
using dialogs::CResizeDlg;

class ResizeTest : public GuiTest {
 protected:
  // A window holding a width x height image at `dpi`.
  AVeskaDoc* Document(int width, int height, double dpi) {
    AVeskaDoc* doc = app_->NewDocument();
    auto image = MakeImage(width, height, 8, [](int x, int y) { return uint32_t(x + y) & 255; });
    EXPECT_TRUE(doc->Image().Copy(*image));
    doc->Image().SetResolution(dpi);
    return doc;
  }
  // The dialog for `doc`, shown.
  std::unique_ptr<CResizeDlg> Open(AVeskaDoc* doc) {
    auto dialog = std::make_unique<CResizeDlg>(window_.get());
    dialog->SetCurrent(doc);
    dialog->SetDocuments(&app_->Documents());
    Show(*dialog);
    return dialog;
  }
  static QString Size(const CResizeDlg& dialog) {
    return dialog.WidthBox()->text() + " x " + dialog.HeightBox()->text();
  }
  static void Unit(CResizeDlg& dialog, CResizeDlg::Unit unit) {
    dialog.UnitButton(unit)->click();
  }
};

TEST_F(ResizeTest, ShowsTheSizeInEveryUnit) {
  auto dialog = Open(Document(800, 600, 72));
  EXPECT_EQ(dialog->windowTitle(), "Resize Image : Veska1");
  EXPECT_EQ(Size(*dialog), "800 x 600");
  EXPECT_EQ(dialog->ResolutionBox()->text(), "72");
  EXPECT_TRUE(dialog->ConstrainBox()->isChecked());
  EXPECT_FALSE(dialog->ResampleBox()->isChecked());
  Unit(*dialog, CResizeDlg::kInches);
  EXPECT_EQ(Size(*dialog), "11.1111 x 8.3333");
  Unit(*dialog, CResizeDlg::kPercent);
  EXPECT_EQ(Size(*dialog), "100 x 100");
  Unit(*dialog, CResizeDlg::kCentimetres);
  EXPECT_EQ(Size(*dialog), "28.2222 x 21.1667");
  // 254 cm are 100 inches exactly.
  Type(dialog->WidthBox(), "254");
  Unit(*dialog, CResizeDlg::kInches);
  EXPECT_EQ(dialog->WidthBox()->text(), "100");
  EXPECT_EQ(dialog->HeightBox()->text(), "75");
  Click(*dialog, "OK");
  EXPECT_EQ(dialogs::WholePixels(dialog->NewWidth()), 7200);
}

TEST_F(ResizeTest, ConstrainedSizeAndResolutionFollowTheTypedValue) {
  auto dialog = Open(Document(800, 600, 72));
  Type(dialog->WidthBox(), "400");
  EXPECT_EQ(Size(*dialog), "400 x 300");
  Type(dialog->HeightBox(), "600");
  EXPECT_EQ(Size(*dialog), "800 x 600");
  // Twice the resolution: twice the pixels, the same inches.
  Type(dialog->ResolutionBox(), "144");
  EXPECT_EQ(Size(*dialog), "1600 x 1200");
  Unit(*dialog, CResizeDlg::kInches);
  EXPECT_EQ(Size(*dialog), "11.1111 x 8.3333");
  // The same resolution per centimetre.
  dialog->ResolutionUnitList()->setCurrentIndex(CResizeDlg::kPerCentimetre);
  emit dialog->ResolutionUnitList()->activated(CResizeDlg::kPerCentimetre);
  EXPECT_EQ(dialog->ResolutionBox()->text(), "56.6929");
  // Unconstrained, the other side stays.
  QTest::mouseClick(dialog->ConstrainBox(), Qt::LeftButton);
  Unit(*dialog, CResizeDlg::kPixels);
  Type(dialog->WidthBox(), "100");
  EXPECT_EQ(Size(*dialog), "100 x 1200");
}

TEST_F(ResizeTest, SameSizeListTakesAnotherDocumentsSize) {
  AVeskaDoc* current = Document(800, 600, 72);
  AVeskaDoc* other = Document(400, 250, 100);
  other->SetTitle("another");
  auto dialog = Open(current);
  QComboBox* list = dialog->SameSizeList();
  ASSERT_EQ(list->count(), 2);
  EXPECT_EQ(list->itemText(0), "another") << "the list is in title order";
  EXPECT_EQ(list->currentText(), "Veska1");
  list->setCurrentIndex(0);
  emit list->activated(0);
  EXPECT_EQ(dialog->Reference(), other);
  EXPECT_EQ(Size(*dialog), "400 x 250");
  EXPECT_EQ(dialog->ResolutionBox()->text(), "100");
  // Changed without constraint, then constrained again: back to the reference.
  QTest::mouseClick(dialog->ConstrainBox(), Qt::LeftButton);
  Type(dialog->WidthBox(), "123");
  EXPECT_EQ(Size(*dialog), "123 x 250");
  QTest::mouseClick(dialog->ConstrainBox(), Qt::LeftButton);
  EXPECT_EQ(Size(*dialog), "400 x 250");
}

TEST_F(ResizeTest, OkHandsOverWholePixelsAndRefusesSizesThatCannotBe) {
  auto dialog = Open(Document(300, 200, 100));
  Unit(*dialog, CResizeDlg::kInches);
  Type(dialog->WidthBox(), "2.5");
  EXPECT_EQ(Size(*dialog), "2.5 x 1.6667");
  Click(*dialog, "OK");
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
  EXPECT_DOUBLE_EQ(dialog->NewWidth(), 250);
  EXPECT_EQ(dialogs::WholePixels(dialog->NewHeight()), 167);
  EXPECT_DOUBLE_EQ(dialog->Resolution(), 100);

  // 29 pixels at 100 per inch come back a hair under 29; they are 29.
  dialog = Open(window_->ActiveDocument());
  Type(dialog->WidthBox(), "29");
  Click(*dialog, "OK");
  EXPECT_LT(dialog->NewWidth(), 29.0);
  EXPECT_EQ(dialogs::WholePixels(dialog->NewWidth()), 29);

  // No width, and too large a width: said, and the dialog keeps its values.
  dialog = Open(window_->ActiveDocument());
  QTest::mouseClick(dialog->ConstrainBox(), Qt::LeftButton);
  for (const char* width : {"0", "20000"}) {
    Type(dialog->WidthBox(), width);
    EXPECT_EQ(Click(*dialog, "OK"), -1);
    EXPECT_EQ(dialog->WidthBox()->text(), width);
    EXPECT_EQ(dialog->HeightBox()->text(), "200");
  }
  EXPECT_EQ(prompter_.TakeTexts(),
            "The new image would be 0 x 200 pixels. Width and height must each be from 1 to "
            "16384 pixels. | The new image would be 20000 x 200 pixels. Width and height must "
            "each be from 1 to 16384 pixels.");
  // Text that is no number is refused when the boxes are read.
  Type(dialog->WidthBox(), "x");
  EXPECT_EQ(prompter_.TakeTexts(), "Please enter a number.");
}

TEST_F(ResizeTest, SavedResizeIsTheCommandLinesResize) {
#ifndef VESKA_CLI
  GTEST_SKIP() << "the command line is not part of this build";
#else
  WriteSampleImage(Path("input.png"), 24, 90, 70);
  AVeskaDoc* source = OpenThroughMenu(Path("input.png"));
  ASSERT_NE(source, nullptr);
  prompter_.dialogScripts.push_back([](QDialog& dialog) {
    auto& resize = static_cast<CResizeDlg&>(dialog);
    QTest::mouseClick(resize.UnitButton(CResizeDlg::kPercent), Qt::LeftButton);
    Type(resize.WidthBox(), "50");
    EXPECT_EQ(resize.HeightBox()->text(), "50");
    QTest::mouseClick(resize.ResampleBox(), Qt::LeftButton);
    return Click(dialog, "OK");
  });
  Trigger(CommandId::kResize);
  AVeskaDoc* resized = window_->ActiveDocument();
  ASSERT_NE(resized, source);
  EXPECT_EQ(resized->Title(), "input1");
  EXPECT_EQ(resized->Image().Width(), 45);
  EXPECT_EQ(resized->Image().Height(), 35);
  EXPECT_EQ(resized->Image().Dpi(), source->Image().Dpi());
  ExpectSavedAsCommandLine(
      "desktop.png", {"resize", Path("input.png"), Path("cli.png"), "45x35", "--interpolate"});
#endif
}

}  // namespace
}  // namespace veska::testgui
