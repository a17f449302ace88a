#include "app/progress_window.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMetaObject>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

namespace veska::app {

ProgressDialog::ProgressDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(ProgressWindow::kCaption);
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
  connect(cancel_, &QPushButton::clicked, this, &ProgressDialog::cancelled);
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

void ProgressDialog::SetRange(int lower, int upper) {
  bar_->setRange(lower, upper);
  bar_->setValue(lower);
}

void ProgressDialog::Step() {
  const int lower = bar_->minimum();
  const int upper = bar_->maximum();
  const int position = std::min(bar_->value() + 1, upper);
  bar_->setValue(position);
  int percent = upper > lower ? (position - lower) * 100 / (upper - lower) : 0;
  if (percent != 100) percent %= 100;
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

void ProgressWindow::Create() {
  cancel_ = false;
  Post([this] {
    delete dialog_;
    dialog_ = new ProgressDialog(parent_);
    dialog_->setWindowModality(Qt::ApplicationModal);
    connect(dialog_, &ProgressDialog::cancelled, this, [this] { cancel_ = true; });
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
    if (dialog_ != nullptr) dialog_->SetRange(lower, upper);
  });
}

void ProgressWindow::SetText(const std::string& text) {
  const QString caption = text.empty() ? QString(kCaption) : QString::fromStdString(text);
  Post([this, caption] {
    if (dialog_ != nullptr) dialog_->setWindowTitle(caption);
  });
}

bool ProgressWindow::Step() {
  Post([this] {
    if (dialog_ != nullptr) dialog_->Step();
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
