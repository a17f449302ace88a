#include "app/batch_command.h"

#include <QFileInfo>

#include "app/application.h"
#include "app/prompter.h"
#include "batch/batch_file.h"
#include "dialogs/batch_commands_dialog.h"

namespace veska::app {

void RunBatchCommand(Application& app, QWidget* parent) {
  FileRequest request;
  request.filter = kBatchFilter;
  request.defaultSuffix = "btc";
  const QStringList chosen = UiPrompter::Get().OpenFileNames(request);
  if (chosen.isEmpty()) return;
  const QString path = QFileInfo(chosen.first()).absoluteFilePath();
  const QString problem = QString::fromStdString(veska::BatchFileProblem(path.toStdString()));
  if (!problem.isEmpty()) {
    UiPrompter::Get().Tell(problem);
    return;
  }
  app.lastBatchPath = path;
  dialogs::BatchCommandsDialog dialog(app.lastBatchPath, app.Counts().Batch(), parent);
  UiPrompter::Get().Run(dialog);
}

}  // namespace veska::app
