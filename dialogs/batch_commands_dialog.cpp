#include "dialogs/batch_commands_dialog.h"

#include <QHBoxLayout>
#include <QMetaObject>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

#include "app/progress_window.h"
#include "app/worker.h"
#include "batch/batch_run.h"
#include "imagelib/status.h"

namespace veska::dialogs {
namespace {

// Hands each log line to the dialog on the user-interface thread, and shows
// a failure's status through the error reporter (which shows it there too)
// before its line.
class DialogLog final : public veska::BatchLog {
 public:
  explicit DialogLog(std::function<void(std::string)> append) : append_(std::move(append)) {}
  void Append(const std::string& line) override { append_(line); }
  void Failure(int status) override { veska::ErrorReporter::Get().Report(status); }

 private:
  std::function<void(std::string)> append_;
};

}  // namespace

BatchCommandsDialog::BatchCommandsDialog(const QString& batchPath, uint16_t scanlines,
                                         QWidget* parent)
    : QDialog(parent), batchPath_(batchPath), scanlines_(scanlines) {
  setWindowTitle("Batch Commands");
  view_ = new QPlainTextEdit;
  view_->setReadOnly(true);
  view_->setLineWrapMode(QPlainTextEdit::NoWrap);
  view_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  view_->setAccessibleName("Batch log");
  view_->setMinimumSize(440, 220);
  ok_ = new QPushButton("OK");
  ok_->setDefault(true);
  cancel_ = new QPushButton("Cancel");
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(ok_);
  buttons->addWidget(cancel_);
  buttons->addStretch();
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(view_, 1);
  layout->addLayout(buttons);
  progress_ = new app::ProgressWindow(this);
  progress_->setParent(this);
  worker_ = new app::Worker(this);
  // The run's log lines arrive before this, in the order they were written.
  connect(worker_, &app::Worker::finished, this, [this] {
    finished_ = true;
    ok_->setEnabled(true);
    cancel_->setEnabled(true);
    emit runFinished();
  });
}

BatchCommandsDialog::~BatchCommandsDialog() { worker_->Wait(); }

bool BatchCommandsDialog::Running() const { return started_ && !finished_; }

void BatchCommandsDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (started_) return;
  started_ = true;
  // Start once the dialog is on screen, so the log is seen growing.
  QTimer::singleShot(0, this, &BatchCommandsDialog::Start);
}

void BatchCommandsDialog::Start() {
  ok_->setEnabled(false);
  cancel_->setEnabled(false);
  const std::string path = batchPath_.toStdString();
  const uint16_t scanlines = scanlines_;
  worker_->Start([this, path, scanlines] {
    DialogLog log([this](std::string line) {
      QMetaObject::invokeMethod(this, [this, line] { AppendLine(line); }, Qt::QueuedConnection);
    });
    veska::RunBatch(path, scanlines, log, progress_);
    return 0;
  });
}

void BatchCommandsDialog::AppendLine(const std::string& line) {
  log_ += line;
  // The control shows each line once; the stored log keeps its exact ends.
  QString shown = QString::fromStdString(line);
  shown.remove('\r');
  if (shown.endsWith('\n')) shown.chop(1);
  view_->appendPlainText(shown);
}

void BatchCommandsDialog::done(int result) {
  // The run owns the dialog until it ends: closing it early would leave the
  // worker writing into a dialog that is gone.
  if (Running()) return;
  QDialog::done(result);
}

}  // namespace veska::dialogs
