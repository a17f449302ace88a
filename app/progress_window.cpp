#include "app/progress_window.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMetaObject>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

namespace veska::app {

CProgressDlg::CProgressDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(veska::kDefaultProgressText);
  setAccessibleName("Progress");
  percent_ = new QLabel(" 0 %");
  percent_->setAccessibleName("Percent done");
  percent_->setAlignment(Qt::AlignCenter);
  bar_ = new QProgressBar;
  bar_->setAccessibleName("Progress");
  bar_->setTextVisible(false);
  bar_->setRange(0, 100);
  bar_->setValue(0);
  cancel_ = new QPushButton("Cancel");
  cancel_->setAutoDefault(false);
  connect(cancel_, &QPushButton::clicked, this, &CProgressDlg::cancelled);
  auto* row = new QHBoxLayout;
  row->addStretch();
  row->addWidget(cancel_);
  row->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(percent_);
  layout->addWidget(bar_);
  layout->addLayout(row);
  setMinimumWidth(320);
}

void CProgressDlg::Show(const veska::ProgressRecord& record) {
  setWindowTitle(QString::fromStdString(veska::ProgressText(record)));
  const int percent = veska::ProgressPercent(record);
  bar_->setValue(percent);
  const QString text = QString("%1%").arg(percent);
  if (percent_->text() != text) percent_->setText(text);
}

ProgressWindow::ProgressWindow(QWidget* parent) : parent_(parent) {}

ProgressWindow::~ProgressWindow() { delete dialog_; }

void ProgressWindow::Post(std::function<void()> work) {
  if (QThread::currentThread() == thread()) {
    work();
  } else {
    QMetaObject::invokeMethod(this, std::move(work), Qt::QueuedConnection);
  }
}

void ProgressWindow::Begin() {
  cancel_ = false;
  Post([this] {
    delete dialog_;
    dialog_ = new CProgressDlg(parent_);
    dialog_->setWindowModality(Qt::ApplicationModal);
    connect(dialog_, &CProgressDlg::cancelled, this, [this] { cancel_ = true; });
    dialog_->show();
  });
}

void ProgressWindow::Show(const veska::ProgressRecord& record) {
  if (QThread::currentThread() == thread()) {
    if (dialog_ != nullptr) dialog_->Show(record);
    return;
  }
  // From the engine's thread the window shows the newest record at most once
  // per kShowIntervalMs: repainting it for every step would take the
  // processors from the engine.
  {
    const std::lock_guard<std::mutex> lock(latestMutex_);
    latest_ = record;
    if (showPending_) return;
    showPending_ = true;
  }
  QMetaObject::invokeMethod(
      this, [this] { QTimer::singleShot(kShowIntervalMs, this, &ProgressWindow::ShowLatest); },
      Qt::QueuedConnection);
}

void ProgressWindow::ShowLatest() {
  veska::ProgressRecord record;
  {
    const std::lock_guard<std::mutex> lock(latestMutex_);
    record = latest_;
    showPending_ = false;
  }
  if (dialog_ != nullptr) dialog_->Show(record);
}

bool ProgressWindow::CancelRequested() { return cancel_.exchange(false); }

void ProgressWindow::End() {
  Post([this] {
    delete dialog_;
    dialog_ = nullptr;
  });
}

}  // namespace veska::app
