// The main window as a user meets it: its menu sets, the enabling rules in
// each state, keys that do nothing, the Options dialog's messages, the
// recent-file list and the splash window.
#include <QFile>
#include <QMenuBar>
#include <QPixmap>
#include <QProgressDialog>

#include "app/child_frame.h"
#include "app/commands.h"
#include "dialogs/options_dialog.h"
#include "tests/gui/gui_support.h"

namespace veska::testgui {
namespace {

using app::CommandId;

QStringList MenuTitles(app::CMainFrame& window) {
  QStringList titles;
  for (QAction* action : window.menuBar()->actions()) titles << action->text();
  return titles;
}

class MainWindowTest : public GuiTest {
 protected:
  // The ids among `ids` that are enabled now.
  std::vector<CommandId> Enabled(std::initializer_list<CommandId> ids) {
    window_->UpdateCommands();
    std::vector<CommandId> enabled;
    for (CommandId id : ids)
      if (window_->Action(id)->isEnabled()) enabled.push_back(id);
    return enabled;
  }
};

TEST_F(MainWindowTest, MenusAndEnablingFollowTheDocumentsOpen) {
  const auto ids = {CommandId::kNew,        CommandId::kClose,  CommandId::kPrint,
                    CommandId::kRotate90,   CommandId::kMix,    CommandId::kSelectAll,
                    CommandId::kZoomReset,  CommandId::kCut,    CommandId::kMultiLuminance,
                    CommandId::kSingleLuminance, CommandId::kCascade, CommandId::kUndo};
  using V = std::vector<CommandId>;

  EXPECT_EQ(MenuTitles(*window_), QStringList({"&File", "&View", "&Effects", "&Help"}));
  EXPECT_EQ(Enabled(ids), V({CommandId::kNew}));
  EXPECT_EQ(window_->Pane(0)->text(), "Ready");

  // A File New document holds no image: only the document-level commands.
  Trigger(CommandId::kNew);
  EXPECT_EQ(MenuTitles(*window_),
            QStringList({"&File", "&Edit", "&View", "Image", "Effects", "&Window", "&Help"}));
  EXPECT_EQ(window_->ActiveDocument()->Title(), "Veska1");
  EXPECT_EQ(Enabled(ids),
            V({CommandId::kNew, CommandId::kClose, CommandId::kPrint, CommandId::kCascade}));

  // A colour image, second in the template's order: Mix still needs the
  // first document to hold an image.
  WriteSampleImage(Path("colour.bmp"), 24);
  ASSERT_NE(OpenThroughMenu(Path("colour.bmp")), nullptr);
  const V oneImage = {CommandId::kNew,       CommandId::kClose,     CommandId::kPrint,
                      CommandId::kRotate90,  CommandId::kSelectAll, CommandId::kMultiLuminance,
                      CommandId::kCascade};
  EXPECT_EQ(Enabled(ids), oneImage);

  // Two images first in the order: Mix is enabled.
  app_->CloseDocument(*app_->Documents().front());
  WriteSampleImage(Path("grey.png"), 8);
  ASSERT_NE(OpenThroughMenu(Path("grey.png")), nullptr);
  EXPECT_EQ(Enabled(ids), V({CommandId::kNew, CommandId::kClose, CommandId::kPrint,
                             CommandId::kRotate90, CommandId::kMix, CommandId::kSelectAll,
                             CommandId::kCascade}));

  // Back to nothing open: the short menu set again.
  Trigger(CommandId::kCloseAll);
  EXPECT_TRUE(app_->Documents().empty());
  EXPECT_EQ(MenuTitles(*window_).size(), 4);
}

TEST_F(MainWindowTest, BatchKeyUndoAndCutDoNothing) {
  EXPECT_EQ(window_->Action(CommandId::kBatch)->text(), "Batch...\tCtrl+B");
  QTest::keyClick(window_.get(), Qt::Key_B, Qt::ControlModifier);
  QTest::keyClick(window_.get(), Qt::Key_Backspace, Qt::AltModifier);
  QTest::keyClick(window_.get(), Qt::Key_X, Qt::ControlModifier);
  EXPECT_TRUE(prompter_.openRequests.empty());
  EXPECT_TRUE(prompter_.questions.empty());
  // Ctrl+O is bound, and reaches File Open.
  QTest::keyClick(window_.get(), Qt::Key_O, Qt::ControlModifier);
  ASSERT_EQ(prompter_.openRequests.size(), 1u);
  EXPECT_EQ(prompter_.openRequests[0].filter, app::kOpenFilter);
}

// The order of the checks and their messages: ScanlineCountsTest.
TEST_F(MainWindowTest, OptionsShowTheFirstFailingCheckAndKeepCountsUntilAGoodOk) {
  using dialogs::OptionsDialog;
  QStringList shownInBoxes;
  prompter_.dialogScripts.push_back([&](QDialog& dialog) {
    auto& options = static_cast<OptionsDialog&>(dialog);
    shownInBoxes << options.FullBox()->text() << options.PreviewBox()->text()
                 << options.BatchBox()->text();
    Type(options.FullBox(), "15");
    Type(options.BatchBox(), "41");
    EXPECT_EQ(Click(dialog, "OK"), -1);
    EXPECT_EQ(prompter_.TakeTexts(), "Please enter an integer between 1 and 40.");
    EXPECT_EQ(options.focusWidget(), options.BatchBox());
    EXPECT_EQ(options.BatchBox()->selectedText(), "41");
    Type(options.BatchBox(), "30");
    EXPECT_EQ(Click(dialog, "OK"), -1);
    EXPECT_EQ(prompter_.TakeTexts(), "Full count is below allowed minimum of 16");
    return Click(dialog, "Cancel");
  });
  Trigger(CommandId::kOptions);
  EXPECT_EQ(shownInBoxes, QStringList({"16", "8", "16"}));
  EXPECT_EQ(app_->Counts().Full(), 16);
  EXPECT_EQ(app_->Counts().Preview(), 8);
  EXPECT_EQ(app_->Counts().Batch(), 16);

  prompter_.dialogScripts.push_back([&](QDialog& dialog) {
    auto& options = static_cast<OptionsDialog&>(dialog);
    Type(options.FullBox(), "24");
    Type(options.PreviewBox(), "9");
    return Click(dialog, "OK");
  });
  Trigger(CommandId::kOptions);
  EXPECT_EQ(app_->Counts().Full(), 24);
  EXPECT_EQ(app_->Counts().Preview(), 9);
}

TEST_F(MainWindowTest, RecentFilesAreWrittenAndReadBack) {
  for (const char* name : {"a.png", "b.png", "c.png", "d.png", "e.png"}) {
    WriteSampleImage(Path(name), 8);
    ASSERT_NE(OpenThroughMenu(Path(name)), nullptr);
  }
  // Reopening an unchanged open file only activates it, and moves nothing.
  const size_t open = app_->Documents().size();
  ASSERT_NE(OpenThroughMenu(Path("b.png")), nullptr);
  EXPECT_EQ(app_->Documents().size(), open);
  EXPECT_EQ(window_->ActiveDocument()->Title(), "b.png");

  const QStringList expected = {Path("e.png"), Path("d.png"), Path("c.png"), Path("b.png")};
  QSettings reread(Path("settings.ini"), QSettings::IniFormat);
  reread.beginGroup("Recent File List");
  EXPECT_EQ(reread.childKeys(), QStringList({"File1", "File2", "File3", "File4"}));
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(reread.value(QString("File%1").arg(i + 1)).toString(), expected[i]);
  reread.endGroup();

  // A new run reads them, and the File menu offers them.
  app::Application next(reread);
  EXPECT_EQ(next.Recent().Paths(), expected);
  EXPECT_TRUE(window_->RecentActions()[3]->isVisible());
  EXPECT_EQ(window_->RecentActions()[0]->text(), "&1 " + Path("e.png"));
  Trigger(CommandId::kCloseAll);
  window_->RecentActions()[2]->trigger();
  ASSERT_NE(window_->ActiveDocument(), nullptr);
  EXPECT_EQ(window_->ActiveDocument()->PathName(), Path("c.png"));
}

// Counts the key and mouse presses that reach a widget.
class PressCounter final : public QObject {
 public:
  int presses = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::MouseButtonPress) ++presses;
    return false;
  }
};

TEST_F(MainWindowTest, SplashEatsTheFirstPress) {
  if (QPixmap(":/splash.svg").isNull()) GTEST_SKIP() << "no splash artwork in this build";
  for (bool mouse : {false, true}) {
    window_.reset();
    dialogs::SplashWindow::Enable(true);
    window_ = std::make_unique<app::CMainFrame>(*app_);
    PressCounter counter;
    window_->installEventFilter(&counter);
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    ASSERT_TRUE(dialogs::SplashWindow::Current() != nullptr &&
                dialogs::SplashWindow::Current()->isVisible());
    auto press = [&] {
      if (mouse) {
        QTest::mousePress(window_.get(), Qt::RightButton);
      } else {
        QTest::keyPress(window_.get(), Qt::Key_A);
      }
    };
    press();
    EXPECT_EQ(counter.presses, 0) << mouse;
    EXPECT_TRUE(WaitFor([] { return dialogs::SplashWindow::Current() == nullptr; }));
    press();
    EXPECT_EQ(counter.presses, 1) << mouse;
    window_->removeEventFilter(&counter);
  }
  dialogs::SplashWindow::Enable(false);
}

}  // namespace
}  // namespace veska::testgui
