#include "app/batch_command.h"

#include <QFileInfo>

#include "app/application.h"
#include "app/prompter.h"
#include "batch/batch_file.h"
#include "dialogs/batch_commands_dialog.h"

namespace veska::app {
namespace {

// Pass 1: the file exists, opens, and every entry passes the checks. An
// empty text when it does, else the message to show.
QString CheckBatchFile(const QString& path) {
  const QString missing = QString("Batch File '%1' does not exist").arg(path);
  if (!QFileInfo::exists(path)) return missing;
  veska::CBatchFile batch;
  switch (batch.Open(path.toStdString())) {
    case veska::FileOpenStatus::kOk:
      break;
    case veska::FileOpenStatus::kNotFound:
      return missing;
    // A folder or an unreadable file must not pass as an empty batch.
    case veska::FileOpenStatus::kIsDirectory:
      return QString("Batch File '%1' is a folder, not a batch file").arg(path);
    case veska::FileOpenStatus::kNotReadable:
      return QString("Batch File '%1' cannot be opened for reading").arg(path);
  }
  std::string message;
  const bool valid = batch.ValidateBatch(&message);
  if (batch.ReadFailed()) return QString("Batch File '%1' could not be read").arg(path);
  if (!valid) return QString("'%1'").arg(QString::fromStdString(message));
  return {};
}

}  // namespace

void RunBatchCommand(Application& app, QWidget* parent) {
  FileRequest request;
  request.filter = kBatchFilter;
  request.defaultSuffix = "btc";
  const QStringList chosen = UiPrompter::Get().OpenFileNames(request);
  if (chosen.isEmpty()) return;
  const QString path = QFileInfo(chosen.first()).absoluteFilePath();
  const QString problem = CheckBatchFile(path);
  if (!problem.isEmpty()) {
    UiPrompter::Get().Tell(problem);
    return;
  }
  app.lastBatchPath = path;
  dialogs::BatchCommandsDialog dialog(app.lastBatchPath, app.Counts().Batch(), parent);
  UiPrompter::Get().Run(dialog);
}

}  // namespace veska::app
