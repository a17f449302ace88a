// "Batch Commands": the log of a batch run. The dialog opens first and the
// run starts on a worker thread at once, so the log grows line by line while
// the engine's progress window offers Cancel; OK and Cancel close the
// dialog once the run has ended.
#pragma once

#include <QDialog>
#include <QString>
#include <cstdint>
#include <string>

class QPlainTextEdit;
class QPushButton;

namespace veska::app {
class ProgressWindow;
class Worker;
}  // namespace veska::app

namespace veska::dialogs {

class BatchCommandsDialog final : public QDialog {
  Q_OBJECT
 public:
  BatchCommandsDialog(const QString& batchPath, uint16_t scanlines, QWidget* parent = nullptr);
  ~BatchCommandsDialog() override;

  // The log exactly as the run wrote it (every line ends CR CR LF).
  const std::string& LogText() const { return log_; }
  // From the dialog's first showing until the run's last line is in.
  bool Running() const;
  QPlainTextEdit* LogView() const { return view_; }
  app::ProgressWindow* Progress() const { return progress_; }

  void done(int result) override;

 signals:
  void runFinished();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void AppendLine(const std::string& line);
  void Start();

  QString batchPath_;
  uint16_t scanlines_;
  std::string log_;
  QPlainTextEdit* view_;
  QPushButton* ok_;
  QPushButton* cancel_;
  app::ProgressWindow* progress_;
  app::Worker* worker_;
  bool started_ = false;
  bool finished_ = false;
};

}  // namespace veska::dialogs
