// Documents as the user handles them: the close prompts of Close and Close
// All, reopening an open file, Save As compared with the command line's
// output, an extension outside the format table, and the cursor clamp.
#include <QFile>
#include <QFileInfo>
#include <QMdiArea>

#include "app/child_frame.h"
#include "dialogs/save_changes_dialog.h"
#include "dialogs/small_dialogs.h"
#include "image/aimage.h"
#include "image/image_file.h"
#include "imagelib/block_cache.h"
#include "tests/gui/gui_support.h"
#include "tools/sample_images.h"

namespace veska::testgui {
namespace {

using app::CommandId;
using dialogs::SaveChangesDialog;

int StoredWidth(const QString& path) {
  AImage image;
  return Load(image, path.toStdString()) == 0 ? image.Width() : -1;
}

class DocumentTest : public GuiTest {
 protected:
  // Opens `name` (written first) and turns it a quarter, so it is modified.
  app::AVeskaDoc* OpenModified(const QString& name) {
    WriteSampleImage(Path(name), 24, 60, 52);
    app::AVeskaDoc* doc = OpenThroughMenu(Path(name));
    if (doc == nullptr) return nullptr;
    Trigger(CommandId::kRotate90);
    return doc;
  }
  // A script that answers the Yes / No / Yes To All / Cancel dialog with
  // `button` and records the text it showed.
  ScriptedPrompter::DialogScript Answer(const QString& button) {
    return [this, button](QDialog& dialog) {
      shownPrompts_ << dialog.findChild<QLabel*>()->text();
      return Click(dialog, button);
    };
  }
  QStringList shownPrompts_;
};

TEST_F(DocumentTest, YesToAllSavesEveryDocumentOnceAndDoesNotOutliveItsCloseAll) {
  for (const char* name : {"one.png", "two.png", "three.png"})
    ASSERT_NE(OpenModified(name), nullptr);
  EXPECT_TRUE(window_->FrameOf(app_->Documents()[0])->isWindowModified());
  EXPECT_EQ(window_->FrameOf(app_->Documents()[0])->windowTitle(), "one.png[*]");

  prompter_.dialogScripts.push_back(Answer("Yes To &All"));
  Trigger(CommandId::kCloseAll);
  EXPECT_EQ(shownPrompts_, QStringList({"Save changes to one.png?"}));
  EXPECT_TRUE(prompter_.questions.empty());
  EXPECT_TRUE(app_->Documents().empty());
  EXPECT_EQ(CachedBlockBytes(), 0u) << "closing gives every block back";
  for (const char* name : {"one.png", "two.png", "three.png"}) EXPECT_EQ(StoredWidth(Path(name)), 52);
  EXPECT_FALSE(app_->YesToAll());

  // The next Close All asks again; Cancel keeps both documents.
  ASSERT_NE(OpenModified("one.png"), nullptr);
  ASSERT_NE(OpenModified("two.png"), nullptr);
  prompter_.dialogScripts.push_back(Answer("&No"));
  prompter_.dialogScripts.push_back(Answer("Cancel"));
  Trigger(CommandId::kCloseAll);
  EXPECT_EQ(shownPrompts_.size(), 3);
  EXPECT_EQ(app_->Documents().size(), 2u);
  EXPECT_EQ(StoredWidth(Path("one.png")), 60);  // No: not saved

  // Exit asks the same way; Cancel keeps the program running.
  prompter_.dialogScripts.push_back(Answer("Cancel"));
  Trigger(CommandId::kExit);
  EXPECT_EQ(shownPrompts_.size(), 4);
  EXPECT_TRUE(window_->isVisible());
  EXPECT_EQ(app_->Documents().size(), 2u);
}

TEST_F(DocumentTest, UntitledYesWithCancelledNameFallsBackToTheMessageBox) {
  app::AVeskaDoc* source = OpenModified("source.bmp");
  ASSERT_NE(source, nullptr);
  source->SetModifiedFlag(false);
  Trigger(CommandId::kNew);
  app::AVeskaDoc* untitled = window_->ActiveDocument();
  ASSERT_TRUE(untitled->Image().Copy(source->Image()));
  untitled->SetModifiedFlag(true);

  prompter_.dialogScripts.push_back(Answer("&Yes"));
  prompter_.answers.push_back(QMessageBox::Cancel);
  Trigger(CommandId::kCloseAll);
  ASSERT_EQ(prompter_.saveRequests.size(), 1u);
  EXPECT_EQ(prompter_.saveRequests[0].filter, app::kUntitledSaveFilter);
  EXPECT_EQ(prompter_.saveRequests[0].fileName, "Veska1.TIF");
  EXPECT_EQ(prompter_.TakeTexts(), "Save changes to Veska1?");
  EXPECT_EQ(app_->Documents().size(), 2u);
  EXPECT_FALSE(app_->CloseAllMode());
}

TEST_F(DocumentTest, ClosingOneModifiedDocumentAsksSaveAsEvenWithAPath) {
  app::AVeskaDoc* doc = OpenModified("photo.jpg");
  ASSERT_NE(doc, nullptr);
  prompter_.answers.push_back(QMessageBox::Yes);  // Save changes? Yes; Save As cancelled
  Trigger(CommandId::kClose);
  EXPECT_EQ(prompter_.TakeTexts(), "Save changes to photo.jpg?");
  ASSERT_EQ(prompter_.saveRequests.size(), 1u);
  EXPECT_EQ(prompter_.saveRequests[0].filter, app::kSaveAsFilter);
  EXPECT_EQ(prompter_.saveRequests[0].fileName, "photo");
  EXPECT_EQ(prompter_.saveRequests[0].selectedFilter, 0);  // JPEG, the first entry
  EXPECT_EQ(app_->Documents().size(), 1u);

  prompter_.answers.push_back(QMessageBox::No);
  Trigger(CommandId::kClose);
  EXPECT_TRUE(app_->Documents().empty());
  EXPECT_TRUE(WaitFor([&] { return window_->MdiArea()->subWindowList().isEmpty(); }));
  EXPECT_EQ(window_->ActiveDocument(), nullptr);
}

TEST_F(DocumentTest, ReopeningAModifiedFileNoKeepsChangesYesReloads) {
  app::AVeskaDoc* doc = OpenModified("scene.tif");
  ASSERT_NE(doc, nullptr);
  prompter_.answers.push_back(QMessageBox::No);
  EXPECT_EQ(OpenThroughMenu(Path("scene.tif")), doc);
  ASSERT_EQ(prompter_.questions.size(), 1u);
  EXPECT_EQ(prompter_.questions[0].text,
            "This document is already open.  If you wish to continue opening this document "
            "again,\nall changes that you have made will be lost.\n\nDo you want to reopen this "
            "document and discard your changes?");
  EXPECT_EQ(prompter_.questions[0].defaultButton, QMessageBox::No);
  EXPECT_TRUE(doc->IsModified());
  EXPECT_EQ(doc->Image().Width(), 52);

  prompter_.questions.clear();
  prompter_.answers.push_back(QMessageBox::Yes);
  app::AVeskaDoc* reloaded = OpenThroughMenu(Path("scene.tif"));
  ASSERT_NE(reloaded, nullptr);
  EXPECT_EQ(prompter_.questions.size(), 1u);
  ASSERT_EQ(app_->Documents().size(), 1u);
  EXPECT_FALSE(reloaded->IsModified());
  EXPECT_EQ(reloaded->Image().Width(), 60);
}

TEST_F(DocumentTest, SaveAsWritesWhatTheCommandLineWrites) {
#ifndef VESKA_CLI
  GTEST_SKIP() << "the command line is not part of this build";
#else
  WriteSampleImage(Path("input.bmp"), 24, 61, 53);
  ASSERT_NE(OpenThroughMenu(Path("input.bmp")), nullptr);
  EXPECT_EQ(prompter_.openRequests.back().filter, app::kOpenFilter);
  for (const QString name : {"out.png", "out.tif", "out.jpg"}) {
    SCOPED_TRACE(name.toStdString());
    ExpectSavedAsCommandLine(name, {"convert", Path("input.bmp"), Path("cli-" + name)},
                             "cli-" + name);
    EXPECT_EQ(prompter_.saveRequests.back().selectedFilter, 3) << "BMP preselected";
    EXPECT_EQ(window_->ActiveDocument()->Title(), name);
  }
  // File Open remembers the extension it was last closed with.
  EXPECT_EQ(app_->LastOpenExtension(), "bmp");
#endif
}

TEST_F(DocumentTest, RawFileSizeIsAskedBeforeItLoads) {
  QFile raw(Path("scan.bif"));
  ASSERT_TRUE(raw.open(QIODevice::WriteOnly));
  raw.write(QByteArray(80 * 60, char(90)));
  raw.close();
  auto answer = [this](const QString& width, const QString& height) {
    prompter_.dialogScripts.push_back([=](QDialog& dialog) {
      auto& size = static_cast<dialogs::BifSizeDialog&>(dialog);
      EXPECT_EQ(dialog.windowTitle(), "Enter BIF Image Dimensions");
      Type(size.WidthBox(), width);
      Type(size.HeightBox(), height);
      return width.isEmpty() ? Click(dialog, "Cancel") : Click(dialog, "OK");
    });
  };
  answer("", "");
  EXPECT_EQ(OpenThroughMenu(Path("scan.bif")), nullptr);
  EXPECT_TRUE(prompter_.questions.empty()) << "a cancelled question shows nothing";
  EXPECT_TRUE(app_->Documents().empty());

  answer("80", "60");
  app::AVeskaDoc* doc = OpenThroughMenu(Path("scan.bif"));
  ASSERT_NE(doc, nullptr);
  EXPECT_EQ(doc->Image().Width(), 80);
  EXPECT_EQ(doc->Image().Height(), 60);
  EXPECT_EQ(doc->ValueRange(0), std::make_pair(90, 90));
}

TEST_F(DocumentTest, UnknownExtensionSaysWhyAndOpensNoWindow) {
  WriteSampleImage(Path("photo.jpg"), 24);
  ASSERT_TRUE(QFile::copy(Path("photo.jpg"), Path("photo.gif")));
  EXPECT_EQ(OpenThroughMenu(Path("photo.gif")), nullptr);
  EXPECT_TRUE(app_->Documents().empty());
  ASSERT_EQ(prompter_.questions.size(), 1u);
  EXPECT_EQ(prompter_.questions[0].caption, "Error");
  EXPECT_EQ(prompter_.questions[0].text, "Error -11: Unknown file format");
  // A code without a text of its own gives the decoder's reason.
  ASSERT_TRUE(QFile::rename(Path("photo.jpg"), Path("photo.png")));
  EXPECT_EQ(OpenThroughMenu(Path("photo.png")), nullptr);
  ASSERT_EQ(prompter_.questions.size(), 2u);
  EXPECT_EQ(prompter_.questions[1].text, "Error -7: not a PNG file");
}

TEST_F(DocumentTest, SetCursorsKeepsThePairInsideTheChannelsRange) {
  auto ramp = MakeImage(100, 60, 8, [](int x, int) { return uint32_t(x % 100); });
  auto flat = MakeImage(60, 60, 8, [](int, int) { return 77u; });
  ASSERT_EQ(Save(*ramp, Path("ramp.png").toStdString()), 0);
  ASSERT_EQ(Save(*flat, Path("flat.png").toStdString()), 0);
  struct Case {
    const char* file;
    int small, big, wantSmall, wantBig;
  } cases[] = {{"ramp.png", 255, 300, 99, 101}, {"ramp.png", 3, 31, 3, 31},
               {"flat.png", 5, 9, 1, 3}};
  for (const Case& c : cases) {
    app::AVeskaDoc* doc = OpenThroughMenu(Path(c.file));
    ASSERT_NE(doc, nullptr);
    doc->SetCursors(0, c.small, c.big);
    EXPECT_EQ(doc->Cursors(0), std::make_pair(c.wantSmall, c.wantBig)) << c.file << " " << c.big;
  }
}

}  // namespace
}  // namespace veska::testgui
