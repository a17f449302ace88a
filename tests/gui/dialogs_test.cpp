// The cursor dialogs' checks and the batch run from the desktop: the file
// checks before the run and the run's exact log.
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QAbstractSlider>
#include <QMdiArea>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeWidget>

#include "app/progress_window.h"
#include "batch/batch_file.h"
#include "dialogs/batch_commands_dialog.h"
#include "dialogs/cursor_values_dialog.h"
#include "dialogs/options_dialog.h"
#include "dialogs/small_dialogs.h"
#include "dialogs/window_info_dialog.h"
#include "tests/gui/gui_support.h"

namespace veska::testgui {
namespace {

using app::CommandId;

class DialogsTest : public GuiTest {
 protected:
  // Types into `box`, presses OK, and returns what was said.
  QString TypeAndOk(QDialog& dialog, QLineEdit* box, const QString& text) {
    Type(box, text);
    Click(dialog, "OK");
    return prompter_.TakeTexts();
  }
};

TEST_F(DialogsTest, CursorDialogsCheckEachValueAsItIsRead) {
  dialogs::CursorValuesDialog eight(false);
  eight.big = 31;
  eight.small = 3;
  Show(eight);
  EXPECT_EQ(eight.BigBox()->text(), "31");
  EXPECT_EQ(TypeAndOk(eight, eight.BigBox(), "256"), "'Big Cursor Size' must be an odd number");
  EXPECT_EQ(TypeAndOk(eight, eight.BigBox(), "259"), "Big Cursor Size must be between 1 and 257");
  EXPECT_EQ(eight.focusWidget(), eight.BigBox());
  Type(eight.BigBox(), "41");
  EXPECT_EQ(TypeAndOk(eight, eight.SmallBox(), "4"), "'Small Cursor Size' must be an odd number");
  EXPECT_EQ(TypeAndOk(eight, eight.SmallBox(), "5"), "");
  EXPECT_EQ(eight.result(), QDialog::Accepted);
  EXPECT_EQ(eight.big, 41);
  EXPECT_EQ(eight.small, 5);

  dialogs::CursorValuesDialog sixteen(true);
  Show(sixteen);
  Type(sixteen.SmallBox(), "3");
  EXPECT_EQ(TypeAndOk(sixteen, sixteen.BigBox(), "65537"),
            "Big Cursor Size must be between 1 and 65535");
  EXPECT_EQ(TypeAndOk(sixteen, sixteen.BigBox(), "259"), "");
  EXPECT_EQ(sixteen.big, 259);

  // Three planes, green switched off: its boxes are greyed, show "n/a" and
  // are neither read nor checked.
  dialogs::RgbCursorValuesDialog rgb(false);
  rgb.enabled = {true, false, true};
  rgb.big = {31, 0, 15};
  rgb.small = {3, 0, 5};
  Show(rgb);
  EXPECT_TRUE(prompter_.questions.empty());
  EXPECT_FALSE(rgb.BigBox(1)->isEnabled());
  EXPECT_EQ(rgb.BigBox(1)->text(), "n/a");
  EXPECT_EQ(rgb.SmallBox(1)->text(), "n/a");
  EXPECT_EQ(TypeAndOk(rgb, rgb.BigBox(2), "16"), "Blue Big Cursor Size must be an odd number");
  EXPECT_EQ(TypeAndOk(rgb, rgb.BigBox(2), "17"), "");
  EXPECT_EQ(rgb.big, (std::array<int32_t, 3>{31, 0, 17}));

  // Preset values pass the same checks as the dialog opens.
  dialogs::RgbCursorValuesDialog preset(false);
  preset.enabled = {true, true, true};
  preset.big = {31, 301, 15};
  preset.small = {3, 3, 5};
  Show(preset);
  EXPECT_EQ(prompter_.TakeTexts(), "Green Big Cursor Size must be between 1 and 257");

  dialogs::ZoomCustomDialog zoom;
  zoom.percent = 100;
  Show(zoom);
  EXPECT_EQ(TypeAndOk(zoom, zoom.PercentBox(), "3001"),
            "Please enter an integer between 1 and 3000.");
  EXPECT_EQ(TypeAndOk(zoom, zoom.PercentBox(), "250"), "");
  EXPECT_EQ(zoom.percent, 250);
}

TEST_F(DialogsTest, WindowInformationListsDocumentsAndActivatesOnDoubleClick) {
  WriteSampleImage(Path("grey.png"), 8);
  WriteSampleImage(Path("colour.bmp"), 24);
  app::AVeskaDoc* grey = OpenThroughMenu(Path("grey.png"));
  ASSERT_NE(OpenThroughMenu(Path("colour.bmp")), nullptr);
  ASSERT_NE(grey, nullptr);
  QStringList headers;
  std::vector<QStringList> rows;
  prompter_.dialogScripts.push_back([&](QDialog& dialog) {
    QTreeWidget* list = static_cast<dialogs::WindowInfoDialog&>(dialog).List();
    for (int i = 0; i < list->columnCount(); ++i) headers << list->headerItem()->text(i);
    for (int r = 0; r < list->topLevelItemCount(); ++r) {
      QStringList cells;
      for (int i = 0; i < list->columnCount(); ++i) cells << list->topLevelItem(r)->text(i);
      rows.push_back(cells);
    }
    QTreeWidgetItem* first = list->topLevelItem(0);
    list->setCurrentItem(first);
    const QRect cell = list->visualItemRect(first);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, cell.center());
    return dialog.isVisible() ? -1 : dialog.result();
  });
  Trigger(CommandId::kWindowInfo);
  EXPECT_EQ(headers, QStringList({"Title", "Full Path", "Type", "Luminance", "Small Cursor",
                                  "Big Cursor"}));
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0], QStringList({"grey.png", Path("grey.png"), "Grayscale", "Single", "n/a",
                                  "n/a"}));
  EXPECT_EQ(rows[1][2], "Color");
  EXPECT_EQ(window_->ActiveDocument(), grey);
  EXPECT_EQ(dialogs::WindowInfoDialog::CursorCell({5, 0, 131}), "  5,n/a,131");
  EXPECT_EQ(dialogs::WindowInfoDialog::CursorCell({7}), "7");
}

// Every control a user can reach has a name a screen reader can say: its
// visible label, or an accessible name where it has none.
TEST_F(DialogsTest, EveryControlHasAnAccessibleName) {
  Trigger(CommandId::kNew);
  dialogs::OptionsDialog options(app_->Counts());
  dialogs::CursorValuesDialog cursors(false);
  dialogs::RgbCursorValuesDialog rgb(false);
  dialogs::ZoomCustomDialog zoom;
  dialogs::WindowInfoDialog info(app_->Documents(), {});
  dialogs::BatchCommandsDialog batch(Path("none.btc"), 16);
  const std::vector<QWidget*> windows = {window_.get(), &options, &cursors, &rgb,
                                         &zoom,         &info,    &batch};
  for (QWidget* top : windows) {
    for (QWidget* widget : top->findChildren<QWidget*>()) {
      const bool control = qobject_cast<QLineEdit*>(widget) ||
                           qobject_cast<QAbstractItemView*>(widget) ||
                           qobject_cast<QPlainTextEdit*>(widget) ||
                           qobject_cast<QAbstractSlider*>(widget) ||
                           qobject_cast<QMdiArea*>(widget) || qobject_cast<QToolBar*>(widget) ||
                           (qobject_cast<QLabel*>(widget) && widget->parent() == top->findChild<QStatusBar*>());
      // Scroll bars belong to their view; a header is labelled by its sections.
      if (!control || widget->inherits("QScrollBar") || widget->inherits("QHeaderView"))
        continue;
      EXPECT_FALSE(widget->accessibleName().isEmpty())
          << top->windowTitle().toStdString() << ": " << widget->metaObject()->className();
    }
  }
}

class BatchTest : public DialogsTest {
 protected:
  void SetUp() override {
    DialogsTest::SetUp();
    home_ = QDir::currentPath();
    QDir::setCurrent(dir_.path());
  }
  void TearDown() override {
    QDir::setCurrent(home_);
    DialogsTest::TearDown();
  }
  void WriteBatch(const QString& text) {
    QFile file(Path("jobs.btc"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text.toUtf8());
  }
  // Runs File > Batch... on jobs.btc; the log when the dialog was shown.
  std::string RunBatch() {
    std::string log;
    prompter_.openAnswers.push_back({Path("jobs.btc")});
    prompter_.dialogScripts.push_back([&](QDialog& dialog) {
      auto& batch = static_cast<dialogs::BatchCommandsDialog&>(dialog);
      EXPECT_TRUE(batch.Running());
      EXPECT_TRUE(QTest::qWaitFor([&] { return !batch.Running(); }, 120000));
      log = batch.LogText();
      EXPECT_EQ(batch.LogView()->toPlainText().count('\n') + 1,
                int(std::count(log.begin(), log.end(), '\n')));
      return Click(dialog, "OK");
    });
    Trigger(CommandId::kBatch);
    return log;
  }
  QString home_;
};

TEST_F(BatchTest, RunsEveryEntryAndStopsAtTheFirstFailure) {
  WriteSampleImage(Path("in1.png"), 8);
  WriteSampleImage(Path("in2.bmp"), 24);
  WriteBatch("; two jobs\nin1.png, 31, 3, out1.tif\n in2.bmp ,15,5, out2.xyz\nin1.png,7,3,out3.png\n");
  const std::string log = RunBatch();
  EXPECT_EQ(prompter_.openRequests.back().filter, app::kBatchFilter);
  EXPECT_EQ(prompter_.openRequests.back().defaultSuffix, "btc");
  EXPECT_EQ(log,
            "Reading input file in1.png\r\r\n"
            "Processing in1.png completed successfully\r\r\n"
            "out1.tif saved successfully\r\r\n"
            "----------------------------\r\r\n"
            "Reading input file in2.bmp\r\r\n"
            "Processing in2.bmp completed successfully\r\r\n"
            "Error saving out2.xyz\r\r\n");
  ASSERT_EQ(prompter_.questions.size(), 1u);
  EXPECT_EQ(prompter_.questions[0].caption, "Error");
  EXPECT_TRUE(QFile::exists(Path("out1.tif")));
  EXPECT_FALSE(QFile::exists(Path("out3.png")));
  EXPECT_EQ(app_->lastBatchPath, Path("jobs.btc"));
  EXPECT_TRUE(app_->Documents().empty());
}

TEST_F(BatchTest, CancelInTheProgressWindowEndsTheRunAtThatEntry) {
  // A run long enough (the most scan lines) that Cancel, pressed once the
  // window is up, always comes before its end.
  ScanlineTexts counts = app_->Counts().Texts();
  counts.batch = "40";
  ASSERT_TRUE(app_->Counts().Accept(counts).accepted);
  WriteSampleImage(Path("big.png"), 24, 2000, 2000);
  WriteBatch("big.png, 31, 3, big-out.png\n");
  prompter_.openAnswers.push_back({Path("jobs.btc")});
  std::string log;
  prompter_.dialogScripts.push_back([&](QDialog& dialog) {
    auto& batch = static_cast<dialogs::BatchCommandsDialog&>(dialog);
    EXPECT_TRUE(QTest::qWaitFor([&] { return batch.Progress()->Dialog() != nullptr; }, 60000));
    if (app::CProgressDlg* progress = batch.Progress()->Dialog())
      QTest::mouseClick(progress->CancelButton(), Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !batch.Running(); }, 120000));
    log = batch.LogText();
    return Click(dialog, "OK");
  });
  Trigger(CommandId::kBatch);
  EXPECT_EQ(log, "Reading input file big.png\r\r\nError processing input file big.png\r\r\n");
  EXPECT_FALSE(QFile::exists(Path("big-out.png")));
  EXPECT_TRUE(prompter_.questions.empty()) << "a cancel shows no message";
}

TEST_F(BatchTest, RefusedFilesShowOneMessageAndRunNothing) {
  prompter_.openAnswers.push_back({Path("absent.btc")});
  Trigger(CommandId::kBatch);
  EXPECT_EQ(prompter_.TakeTexts(), "Batch File '" + Path("absent.btc") + "' does not exist");

  WriteSampleImage(Path("in1.png"), 8);
  WriteBatch("in1.png, 3, 31, out1.tif\n");
  prompter_.openAnswers.push_back({Path("jobs.btc")});
  Trigger(CommandId::kBatch);
  std::string message;
  CBatchFile reference;
  reference.OpenBytes("in1.png, 3, 31, out1.tif\n");
  reference.ValidateBatch(&message);
  EXPECT_EQ(prompter_.TakeTexts(), "'" + QString::fromStdString(message) + "'");
  EXPECT_FALSE(QFile::exists(Path("out1.tif")));
  EXPECT_TRUE(app_->lastBatchPath.isEmpty());
}

}  // namespace
}  // namespace veska::testgui
