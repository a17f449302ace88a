// The engine's progress window, driven from the worker thread that runs the
// engine: every call from the engine is passed to the user-interface thread
// without waiting, and a Cancel press sets a flag that the engine reads after
// its next step.
#pragma once

#include <QDialog>
#include <QObject>
#include <QPointer>
#include <atomic>
#include <functional>
#include <mutex>

#include "engine/progress.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QWidget;

namespace veska::app {

// The window of one engine run: caption, percentage, bar and Cancel. Escape
// counts as Cancel; Cancel only asks, and the window stays until the run ends.
class CProgressDlg final : public QDialog {
  Q_OBJECT
 public:
  explicit CProgressDlg(QWidget* parent);
  // Shows the record's text as the caption and its percentage.
  void Show(const veska::ProgressRecord& record);
  QPushButton* CancelButton() const { return cancel_; }
  void reject() override { emit cancelled(); }

 signals:
  void cancelled();

 private:
  QLabel* percent_;
  QProgressBar* bar_;
  QPushButton* cancel_;
};

class ProgressWindow final : public QObject, public veska::ProgressSink {
  Q_OBJECT
 public:
  explicit ProgressWindow(QWidget* parent);  // on the user-interface thread
  ~ProgressWindow() override;

  void Begin() override;
  void Show(const veska::ProgressRecord& record) override;
  bool CancelRequested() override;
  void End() override;

  // The dialog while it exists (tests press its Cancel).
  CProgressDlg* Dialog() const { return dialog_; }

  static constexpr int kShowIntervalMs = 40;

 private:
  void Post(std::function<void()> work);
  void ShowLatest();

  QPointer<QWidget> parent_;
  QPointer<CProgressDlg> dialog_;
  std::atomic<bool> cancel_{false};
  std::mutex latestMutex_;
  veska::ProgressRecord latest_;
  bool showPending_ = false;  // guarded by latestMutex_
};

}  // namespace veska::app
