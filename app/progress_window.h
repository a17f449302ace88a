// The engine's progress window: a modal QProgressDialog with Cancel over the
// given parent, driven from the worker thread that runs the engine. Every
// call from the engine is passed to the user-interface thread without
// waiting; a Cancel press sets a flag that the next Step or Poll reads.
#pragma once

#include <QObject>
#include <QPointer>
#include <QProgressDialog>
#include <functional>
#include <atomic>

#include "engine/progress.h"

class QWidget;

namespace veska::app {

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
  QProgressDialog* Dialog() const { return dialog_; }

 private:
  void Post(std::function<void()> work);

  QPointer<QWidget> parent_;
  QPointer<QProgressDialog> dialog_;
  std::atomic<bool> cancel_{false};
};

}  // namespace veska::app
