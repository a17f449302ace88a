#include "app/progress_window.h"

#include <QMetaObject>
#include <QProgressDialog>
#include <QThread>

namespace veska::app {

ProgressWindow::ProgressWindow(QWidget* parent) : parent_(parent) {}

ProgressWindow::~ProgressWindow() { delete dialog_; }

void ProgressWindow::Post(std::function<void()> work) {
  if (QThread::currentThread() == thread()) {
    work();
  } else {
    QMetaObject::invokeMethod(this, std::move(work), Qt::QueuedConnection);
  }
}

void ProgressWindow::Create() {
  cancel_ = false;
  Post([this] {
    delete dialog_;
    dialog_ = new QProgressDialog(parent_);
    dialog_->setWindowTitle(kCaption);
    dialog_->setAccessibleName("Progress");
    dialog_->setLabelText(" 0 %");
    dialog_->setCancelButtonText("Cancel");
    dialog_->setWindowModality(Qt::ApplicationModal);
    dialog_->setAutoClose(false);
    dialog_->setAutoReset(false);
    dialog_->setMinimumDuration(0);
    dialog_->setRange(0, 100);
    // Cancel asks the engine to stop and leaves the window open until the
    // engine ends the run.
    connect(dialog_, &QProgressDialog::canceled, this, [this] {
      cancel_ = true;
      if (dialog_ != nullptr) dialog_->show();
    });
    dialog_->show();
  });
}

void ProgressWindow::Show() {
  Post([this] {
    if (dialog_ != nullptr) dialog_->show();
  });
}

void ProgressWindow::SetRange(int lower, int upper) {
  Post([this, lower, upper] {
    if (dialog_ == nullptr) return;
    dialog_->setRange(lower, upper);
    dialog_->setValue(lower);
  });
}

void ProgressWindow::SetText(const std::string& text) {
  QString caption = text.empty() ? QString(kCaption) : QString::fromStdString(text);
  Post([this, caption] {
    if (dialog_ != nullptr) dialog_->setWindowTitle(caption);
  });
}

bool ProgressWindow::Step() {
  Post([this] {
    if (dialog_ == nullptr) return;
    int lower = dialog_->minimum();
    int upper = dialog_->maximum();
    int position = std::min(dialog_->value() + 1, upper);
    dialog_->setValue(position);
    int percent = upper > lower ? (position - lower) * 100 / (upper - lower) : 0;
    if (percent != 100) percent %= 100;
    dialog_->setLabelText(QString("%1%").arg(percent));
  });
  return cancel_.exchange(false);
}

bool ProgressWindow::Poll() { return cancel_.exchange(false); }

void ProgressWindow::Destroy() {
  Post([this] {
    delete dialog_;
    dialog_ = nullptr;
  });
}

}  // namespace veska::app
