// Veska Process from the desktop: the derived windows and their titles, the
// cursor entry, the progress window's Cancel, the luminance-channel commands
// and the saved result against the command line's.
#include <QMdiArea>
#include <QTimer>
#include <array>
#include <atomic>
#include <thread>
#include <tuple>

#include "app/child_frame.h"
#include "app/gui_thread.h"
#include "app/progress_window.h"
#include "app/veska_view.h"
#include "dialogs/cursor_values_dialog.h"
#include "engine/progress.h"
#include "gui_support.h"
#include "tools/sample_images.h"

namespace veska::testgui {
namespace {

using app::AVeskaDoc;
using app::CommandId;

// Passes every call to a real progress window and, at its `cancelAt`-th
// cancel check, presses the window's Cancel button as a user would.
class CancellingSink final : public veska::ProgressSink {
 public:
  CancellingSink(app::ProgressWindow& window, int cancelAt) : window_(window), cancelAt_(cancelAt) {}
  void Begin() override { window_.Begin(); }
  void Show(const veska::ProgressRecord& record) override { window_.Show(record); }
  bool CancelRequested() override {
    if (++checks == cancelAt_)
      app::OnGuiThread([this] {
        if (window_.Dialog() != nullptr)
          QTest::mouseClick(window_.Dialog()->CancelButton(), Qt::LeftButton);
      });
    return window_.CancelRequested();
  }
  void End() override { window_.End(); }

  std::atomic<int> checks{0};

 private:
  app::ProgressWindow& window_;
  int cancelAt_;
};

class ProcessTest : public GuiTest {
 protected:
  app::CVeskaView& ActiveView() {
    return *window_->FrameOf(window_->ActiveDocument())->View();
  }
  // Answers the single-channel cursor dialog with `small` and `big`.
  void AnswerCursors(const QString& small, const QString& big) {
    prompter_.dialogScripts.push_back([=](QDialog& dialog) {
      auto& cursors = static_cast<dialogs::CursorValuesDialog&>(dialog);
      Type(cursors.SmallBox(), small);
      Type(cursors.BigBox(), big);
      return Click(dialog, "OK");
    });
  }
  // Answers the three-plane cursor dialog with {small, big} per plane.
  void AnswerRgbCursors(std::array<std::array<const char*, 2>, 3> values) {
    prompter_.dialogScripts.push_back([=](QDialog& dialog) {
      auto& cursors = static_cast<dialogs::RgbCursorValuesDialog&>(dialog);
      for (int plane = 0; plane < 3; ++plane) {
        Type(cursors.SmallBox(plane), values[plane][0]);
        Type(cursors.BigBox(plane), values[plane][1]);
      }
      return Click(dialog, "OK");
    });
  }
};

TEST_F(ProcessTest, DerivedWindowsAreNumberedAfterTheirSource) {
  WriteSampleImage(Path("photo.jpg"), 24, 64, 56);
  AVeskaDoc* photo = OpenThroughMenu(Path("photo.jpg"));
  ASSERT_NE(photo, nullptr) << prompter_.TakeTexts().toStdString();
  for (const char* title : {"photo1", "photo2"}) {
    window_->MdiArea()->setActiveSubWindow(window_->FrameOf(photo));
    AnswerCursors("3", "31");
    Trigger(CommandId::kProcess);
    AVeskaDoc* derived = window_->ActiveDocument();
    ASSERT_NE(derived, photo);
    EXPECT_EQ(derived->Title(), title);
    EXPECT_TRUE(derived->IsModified());
    EXPECT_TRUE(derived->PathName().isEmpty());
    // No selection: the whole image was processed, and the source keeps none.
    EXPECT_EQ(derived->Image().Width(), 64);
    EXPECT_EQ(derived->Image().Height(), 56);
    EXPECT_FALSE(window_->FrameOf(photo)->View()->ImageSelection().has_value());
  }
  EXPECT_FALSE(photo->IsModified()) << "the source is never changed";
  EXPECT_EQ(photo->Cursors(0), std::make_pair(3, 31));

  // A mix works on a copied window and takes the next number.
  AVeskaDoc* mixed = app_->MakeCopiedDocument(*photo);
  ASSERT_NE(mixed, nullptr);
  ASSERT_TRUE(mixed->MixFrom(*photo, 1, 1));
  EXPECT_EQ(mixed->Title(), "mixphoto3");

  // A title without a "." is used whole.
  photo->SetTitle("Untitled");
  window_->MdiArea()->setActiveSubWindow(window_->FrameOf(photo));
  ActiveView().SetImageSelection(veska::PixelRect{10, 5, 29, 24});
  AnswerCursors("3", "31");
  Trigger(CommandId::kProcess);
  EXPECT_EQ(window_->ActiveDocument()->Title(), "Untitled4");
  EXPECT_EQ(window_->ActiveDocument()->Image().Width(), 20);
  EXPECT_EQ(window_->ActiveDocument()->Image().Height(), 20);
  EXPECT_TRUE(prompter_.questions.empty()) << prompter_.TakeTexts().toStdString();
}

TEST_F(ProcessTest, CursorEntryOffersOddValuesAndRefusesAnUnorderedPair) {
  WriteSampleImage(Path("grey.png"), 8);
  AVeskaDoc* grey = OpenThroughMenu(Path("grey.png"));
  ASSERT_NE(grey, nullptr);
  grey->SetCursors(0, 4, 10);
  QString offered;
  prompter_.dialogScripts.push_back([&](QDialog& dialog) {
    auto& cursors = static_cast<dialogs::CursorValuesDialog&>(dialog);
    offered = cursors.SmallBox()->text() + "/" + cursors.BigBox()->text();
    Type(cursors.SmallBox(), "9");
    Type(cursors.BigBox(), "9");
    return Click(dialog, "OK");
  });
  Trigger(CommandId::kProcess);
  EXPECT_EQ(offered, "3/9");
  EXPECT_EQ(prompter_.TakeTexts(), "Small cursor must be less than large cursor");
  EXPECT_EQ(app_->Documents().size(), 1u) << "no new window";
  EXPECT_EQ(grey->DerivedCount(), 0);

  // Cancel ends the command too.
  prompter_.dialogScripts.push_back([](QDialog& dialog) { return Click(dialog, "Cancel"); });
  Trigger(CommandId::kProcess);
  EXPECT_EQ(app_->Documents().size(), 1u);
  EXPECT_TRUE(prompter_.questions.empty());

  // Three planes: the first unordered enabled plane, in red, green, blue order.
  WriteSampleImage(Path("colour.png"), 24);
  AVeskaDoc* colour = OpenThroughMenu(Path("colour.png"));
  ASSERT_NE(colour, nullptr);
  Trigger(CommandId::kMultiLuminance);
  ASSERT_TRUE(colour->Channels().MultiChannel());
  AnswerRgbCursors({{{"3", "31"}, {"31", "31"}, {"41", "31"}}});
  Trigger(CommandId::kProcess);
  EXPECT_EQ(prompter_.TakeTexts(), "Green small cursor must be less than large cursor");
  EXPECT_EQ(app_->Documents().size(), 2u);
}

// Which images offer the commands at all: MainWindowTest.MenusAndEnabling...
TEST_F(ProcessTest, LuminanceCommandsSwitchTheStoreBothWays) {
  WriteSampleImage(Path("colour.png"), 24);
  AVeskaDoc* colour = OpenThroughMenu(Path("colour.png"));
  ASSERT_NE(colour, nullptr);
  Trigger(CommandId::kMultiLuminance);
  EXPECT_EQ(colour->ChannelCount(), 3);
  EXPECT_FALSE(colour->IsModified());
  EXPECT_FALSE(window_->Action(CommandId::kMultiLuminance)->isEnabled());
  EXPECT_TRUE(window_->Action(CommandId::kSingleLuminance)->isEnabled());
  Trigger(CommandId::kSingleLuminance);
  EXPECT_EQ(colour->ChannelCount(), 1);
  EXPECT_FALSE(colour->IsModified());
  EXPECT_TRUE(prompter_.questions.empty());
}

TEST_F(ProcessTest, CancelFromTheProgressWindowLeavesNoWindowAndSkipsTheNumber) {
  WriteSampleImage(Path("colour.png"), 24, 300, 200);
  AVeskaDoc* source = OpenThroughMenu(Path("colour.png"));
  ASSERT_NE(source, nullptr);
  source->Channels().SetLuminance(veska::Luminance::kMulti);
  const veska::PixelRect whole{0, 0, 299, 199};

  app::ProgressWindow counting(window_.get());
  CancellingSink uncancelled(counting, 0);
  ASSERT_NE(app_->MakeProcessedDocument(*source, whole, &uncancelled), nullptr);
  const int checks = uncancelled.checks;
  ASSERT_GT(checks, 2);

  int number = 1;
  for (int cancelAt : {1, checks / 2, checks}) {
    app::ProgressWindow progress(window_.get());
    CancellingSink sink(progress, cancelAt);
    EXPECT_EQ(app_->MakeProcessedDocument(*source, whole, &sink), nullptr) << cancelAt;
    EXPECT_EQ(sink.checks, cancelAt) << "the engine stops at the check after Cancel";
    ++number;
    EXPECT_EQ(source->DerivedCount(), number);
    QApplication::processEvents();
    EXPECT_EQ(app_->Documents().size(), 2u);
    EXPECT_EQ(window_->MdiArea()->subWindowList().size(), 2);
    EXPECT_EQ(progress.Dialog(), nullptr) << "the window is gone with the run";
  }
  EXPECT_TRUE(prompter_.questions.empty()) << "a cancel shows no message";

  app::ProgressWindow progress(window_.get());
  AVeskaDoc* next = app_->MakeProcessedDocument(*source, whole, &progress);
  ASSERT_NE(next, nullptr);
  EXPECT_EQ(next->Title(), "colour5");
}

TEST_F(ProcessTest, ProgressWindowShowsTheEngineAndIgnoresEnter) {
  app::ProgressWindow progress(window_.get());
  progress.Begin();
  app::CProgressDlg* dialog = progress.Dialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->windowTitle(), "Processing...");
  veska::ProgressRecord record;
  record.channel = 2;
  record.channels = 3;
  record.step = 142;
  progress.Show(record);
  EXPECT_EQ(dialog->windowTitle(), "Processing channel 2 of 3...");
  EXPECT_EQ(dialog->findChildren<QLabel*>().value(0)->text(), "42%");
  // A burst from the engine's thread ends showing its newest record.
  std::thread engine([&progress, record]() mutable {
    for (int step = 100; step <= 150; ++step) {
      record.step = step;
      progress.Show(record);
    }
  });
  engine.join();
  EXPECT_TRUE(WaitFor([&] { return dialog->findChildren<QLabel*>().value(0)->text() == "50%"; }));
  QTest::keyClick(dialog, Qt::Key_Return);
  EXPECT_FALSE(progress.CancelRequested()) << "Enter does nothing";
  EXPECT_TRUE(dialog->isVisible());
  QTest::keyClick(dialog, Qt::Key_Escape);
  QTest::keyClick(dialog, Qt::Key_Escape);
  EXPECT_TRUE(dialog->isVisible()) << "Cancel only asks";
  EXPECT_TRUE(progress.CancelRequested());
  EXPECT_FALSE(progress.CancelRequested()) << "cleared when read";
  progress.End();
  EXPECT_EQ(progress.Dialog(), nullptr);
}

TEST_F(ProcessTest, MainWindowKeepsPaintingWhileALargeImageIsProcessed) {
  AVeskaDoc* large = app_->NewDocument();
  auto pixels = MakeImage(4096, 4096, 8, [](int x, int y) { return uint32_t((x ^ y) & 255); });
  ASSERT_TRUE(large->Image().Copy(*pixels));
  struct PaintCounter final : QObject {
    std::atomic<bool>* running;
    int paintsWhileRunning = 0;
    bool eventFilter(QObject*, QEvent* event) override {
      if (event->type() == QEvent::Paint && *running) ++paintsWhileRunning;
      return false;
    }
  };
  std::atomic<bool> running{false};
  PaintCounter counter;
  counter.running = &running;
  window_->installEventFilter(&counter);
  QTimer repaint;
  QObject::connect(&repaint, &QTimer::timeout, window_.get(), [this] { window_->update(); });
  repaint.start(10);

  // The sink marks the engine's run; the window itself shows it.
  app::ProgressWindow progress(window_.get());
  struct Marking final : veska::ProgressSink {
    app::ProgressWindow* window;
    std::atomic<bool>* running;
    void Begin() override { window->Begin(); *running = true; }
    void Show(const veska::ProgressRecord& record) override { window->Show(record); }
    bool CancelRequested() override { return window->CancelRequested(); }
    void End() override { *running = false; window->End(); }
  } marking;
  marking.window = &progress;
  marking.running = &running;
  EXPECT_NE(app_->MakeProcessedDocument(*large, {0, 0, 4095, 4095}, &marking), nullptr);
  window_->removeEventFilter(&counter);
  EXPECT_GT(counter.paintsWhileRunning, 0);
}

TEST_F(ProcessTest, SavedResultIsTheCommandLinesResult) {
#ifndef VESKA_CLI
  GTEST_SKIP() << "the command line is not part of this build";
#else
  WriteSampleImage(Path("input.png"), 24, 90, 70);
  AVeskaDoc* doc = OpenThroughMenu(Path("input.png"));
  ASSERT_NE(doc, nullptr);
  Trigger(CommandId::kMultiLuminance);
  // The rectangle is dragged with the mouse, as a user selects it.
  QWidget* viewport = ActiveView().viewport();
  QTest::mousePress(viewport, Qt::LeftButton, {}, {7, 5});
  QTest::mouseMove(viewport, {66, 60});
  QTest::mouseRelease(viewport, Qt::LeftButton, {}, {66, 60});
  ASSERT_TRUE(ActiveView().ImageSelection().has_value());
  const veska::PixelRect selected = *ActiveView().ImageSelection();
  ASSERT_EQ(std::tuple(selected.left, selected.top, selected.right, selected.bottom),
            std::tuple(7, 5, 66, 60));
  AnswerRgbCursors({{{"5", "41"}, {"5", "41"}, {"5", "41"}}});
  Trigger(CommandId::kProcess);
  ASSERT_EQ(window_->ActiveDocument()->Title(), "input1");
  ExpectSavedAsCommandLine("desktop.png",
                           {"process", Path("input.png"), Path("cli.png"), "--big", "41", "--small",
                            "5", "--luminance", "multi", "--rect", "7,5,66,60", "--scanlines", "16",
                            "--quiet"});
#endif
}

}  // namespace
}  // namespace veska::testgui
