// The engine's progress window, driven from the worker thread that runs the
// engine: every call from the engine is passed to the user-interface thread
// without waiting, and a Cancel press sets a flag that the next Step or Poll
// reads.
#pragma once

#include <QDialog>
#include <QObject>
#include <QPointer>
#include <atomic>
#include <functional>
#include <string>

#include "engine/progress.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QWidget;

namespace veska::app {

// The window of one engine run: caption, percentage, bar and Cancel. Escape
// counts as Cancel; Cancel only asks, and the window stays until the run ends.
class ProgressDialog final : public QDialog {
  Q_OBJECT
 public:
  explicit ProgressDialog(QWidget* parent);
  void SetRange(int lower, int upper);
  void Step();
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
  // The caption when no text is set.
  static constexpr char kCaption[] = "Processing...";

  explicit ProgressWindow(QWidget* parent);  // on the user-interface thread
  ~ProgressWindow() override;

  void Create() override;
  void Show() override;
  void SetRange(int lower, int upper) override;
  void SetText(const std::string& text) override;
  bool Step() override;
  bool Poll() override;
  void Destroy() override;

  // The dialog while it exists (tests press its Cancel).
  ProgressDialog* Dialog() const { return dialog_; }

 private:
  void Post(std::function<void()> work);

  QPointer<QWidget> parent_;
  QPointer<ProgressDialog> dialog_;
  std::atomic<bool> cancel_{false};
};

}  // namespace veska::app
