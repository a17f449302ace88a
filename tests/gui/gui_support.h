// What the GUI tests share: a prompter that answers from scripts and records
// every question, and a fixture with the real main window over a scratch
// folder and a scratch settings file.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <deque>
#include <ostream>
#include <functional>
#include <memory>
#include <string>

#include "app/application.h"
#include "app/document.h"
#include "app/error_reporter.h"
#include "app/main_frame.h"
#include "app/prompter.h"
#include "dialogs/splash_window.h"

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }
QT_END_NAMESPACE

namespace veska::testgui {

// Runs the event loop until `condition` holds, at most five seconds; false
// if it never did. Qt's QTRY_ macros report to a QTest run, which these
// gtest cases are not, so a wait that fails must go through an EXPECT.
template <typename Condition>
bool WaitFor(Condition condition) {
  return QTest::qWaitFor(condition, 5000);
}

// Shows `widget` as the active window, the way a modal dialog opens.
inline void Show(QWidget& widget) {
  widget.show();
  widget.activateWindow();
  EXPECT_TRUE(QTest::qWaitForWindowActive(&widget));
}

class ScriptedPrompter final : public app::UiPrompter {
 public:
  struct Question {
    QString caption;
    QString text;
    QMessageBox::StandardButton defaultButton;
  };
  using DialogScript = std::function<int(QDialog&)>;

  // Answers, used in order; a question without one is answered with its
  // default button, a file dialog without one is cancelled, and a dialog
  // without a script fails the test.
  std::deque<QMessageBox::StandardButton> answers;
  std::deque<QStringList> openAnswers;
  std::deque<QString> saveAnswers;
  std::deque<DialogScript> dialogScripts;

  std::vector<Question> questions;
  std::vector<app::FileRequest> saveRequests;
  std::vector<app::FileRequest> openRequests;

  // The texts asked so far, joined by " | ", and forgotten.
  QString TakeTexts() {
    QStringList texts;
    for (const Question& question : questions) texts << question.text;
    questions.clear();
    return texts.join(" | ");
  }

 protected:
  QMessageBox::StandardButton DoAsk(const QString& caption, const QString& text,
                                    QMessageBox::StandardButtons, QMessageBox::StandardButton def,
                                    Icon) override {
    questions.push_back({caption, text, def});
    if (answers.empty()) return def;
    auto answer = answers.front();
    answers.pop_front();
    return answer;
  }
  QStringList DoOpenFileNames(const app::FileRequest& request) override {
    openRequests.push_back(request);
    if (openAnswers.empty()) return {};
    QStringList answer = openAnswers.front();
    openAnswers.pop_front();
    return answer;
  }
  QString DoSaveFileName(const app::FileRequest& request) override {
    saveRequests.push_back(request);
    if (saveAnswers.empty()) return {};
    QString answer = saveAnswers.front();
    saveAnswers.pop_front();
    return answer;
  }
  int DoRun(QDialog& dialog) override {
    if (dialogScripts.empty()) {
      ADD_FAILURE() << "unexpected dialog " << dialog.windowTitle().toStdString();
      return QDialog::Rejected;
    }
    DialogScript script = std::move(dialogScripts.front());
    dialogScripts.pop_front();
    dialog.setWindowModality(Qt::ApplicationModal);
    Show(dialog);
    int result = script(dialog);
    dialog.hide();
    return result;
  }
};

// Clicks the button with `text` inside `dialog` and returns the dialog's
// result when that closed it, or -1 when it stayed open.
inline int Click(QDialog& dialog, const QString& text) {
  for (QPushButton* button : dialog.findChildren<QPushButton*>()) {
    if (button->text() == text) {
      QTest::mouseClick(button, Qt::LeftButton);
      return dialog.isVisible() ? -1 : dialog.result();
    }
  }
  ADD_FAILURE() << "no button " << text.toStdString();
  return -1;
}

// The whole content of a file; empty when it cannot be read.
inline QByteArray Bytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Replaces the text of `box` by typing `text` as a user does.
inline void Type(QLineEdit* box, const QString& text) {
  box->setFocus();
  box->selectAll();
  QTest::keyClicks(box, text);
}

class GuiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    dialogs::SplashWindow::Enable(false);
    app::UiPrompter::Install(&prompter_);
    settings_ = std::make_unique<QSettings>(dir_.filePath("settings.ini"), QSettings::IniFormat);
    app_ = std::make_unique<app::Application>(*settings_);
    window_ = std::make_unique<app::CMainFrame>(*app_);
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
  }
  void TearDown() override {
    // Whatever is still open goes without questions.
    for (app::AVeskaDoc* doc : std::vector<app::AVeskaDoc*>(app_->Documents()))
      doc->SetModifiedFlag(false);
    window_.reset();
    app_.reset();
    settings_.reset();
    QApplication::processEvents();
    app::UiPrompter::Install(nullptr);
  }

  QString Path(const QString& name) const { return dir_.filePath(name); }
  void Trigger(app::CommandId id) { window_->Action(id)->trigger(); }
  // Opens `path` through File Open.
  app::AVeskaDoc* OpenThroughMenu(const QString& path) {
    prompter_.openAnswers.push_back({path});
    Trigger(app::CommandId::kOpen);
    return window_->ActiveDocument();
  }

#ifdef VESKA_CLI
  // Saves the active document through Save As to `name`, runs the command
  // line with `arguments`, which write `cliName`, and expects the same bytes
  // in both files and no message on the way.
  void ExpectSavedAsCommandLine(const QString& name, const QStringList& arguments,
                                const QString& cliName = "cli.png") {
    prompter_.saveAnswers.push_back(Path(name));
    Trigger(app::CommandId::kSaveAs);
    QProcess veska;
    veska.start(VESKA_CLI, arguments);
    ASSERT_TRUE(veska.waitForFinished(60000));
    ASSERT_EQ(veska.exitCode(), 0) << veska.readAllStandardError().toStdString();
    const QByteArray saved = Bytes(Path(name));
    EXPECT_FALSE(saved.isEmpty());
    EXPECT_EQ(saved, Bytes(Path(cliName)));
    EXPECT_TRUE(prompter_.questions.empty()) << prompter_.TakeTexts().toStdString();
  }
#endif

  QTemporaryDir dir_;
  ScriptedPrompter prompter_;
  app::MessageBoxReporter reporter_;
  std::unique_ptr<QSettings> settings_;
  std::unique_ptr<app::Application> app_;
  std::unique_ptr<app::CMainFrame> window_;
};

// Writes a small test image through the project's own writers.
void WriteSampleImage(const QString& path, int bits, int width = 60, int height = 52);

}  // namespace veska::testgui
