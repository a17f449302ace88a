#include "app/prompter.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>

#include "app/gui_thread.h"
#include "dialogs/bif_size_dialog.h"

namespace veska::app {
namespace {

UiPrompter g_defaultPrompter;
UiPrompter* g_prompter = &g_defaultPrompter;

QMessageBox::Icon BoxIcon(UiPrompter::Icon icon) {
  switch (icon) {
    case UiPrompter::Icon::kNone: return QMessageBox::NoIcon;
    case UiPrompter::Icon::kInformation: return QMessageBox::Information;
    case UiPrompter::Icon::kExclamation: return QMessageBox::Warning;
    case UiPrompter::Icon::kCritical: return QMessageBox::Critical;
    case UiPrompter::Icon::kQuestion: return QMessageBox::Question;
  }
  return QMessageBox::NoIcon;
}

// The filters, the preselected entry and the default extension. Qt's own
// dialog is used on every desktop, so it behaves the same everywhere.
void Prepare(QFileDialog& dialog, const FileRequest& request) {
  dialog.setOptions(QFileDialog::DontUseNativeDialog);
  const QStringList filters = NameFilters(request.filter);
  dialog.setNameFilters(filters);
  if (request.selectedFilter >= 0 && request.selectedFilter < filters.size())
    dialog.selectNameFilter(filters[request.selectedFilter]);
  dialog.setDefaultSuffix(request.defaultSuffix);
}

}  // namespace

QStringList NameFilters(const QString& filter) {
  QStringList parts = filter.split('|');
  QStringList result;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    QString description = parts[i];
    if (description.isEmpty()) break;
    if (!description.trimmed().endsWith(')')) {
      description += " (" + parts[i + 1].split(';').join(' ') + ")";
    }
    result << description;
  }
  return result;
}

UiPrompter& UiPrompter::Get() { return *g_prompter; }

void UiPrompter::Install(UiPrompter* prompter) {
  g_prompter = prompter != nullptr ? prompter : &g_defaultPrompter;
  veska::Prompter::Install(g_prompter);
}

QMessageBox::StandardButton UiPrompter::Ask(const QString& caption, const QString& text,
                                            QMessageBox::StandardButtons buttons,
                                            QMessageBox::StandardButton defaultButton,
                                            Icon icon) {
  QMessageBox::StandardButton answer = QMessageBox::NoButton;
  OnGuiThread([&] { answer = DoAsk(caption, text, buttons, defaultButton, icon); });
  return answer;
}

void UiPrompter::Tell(const QString& text, Icon icon) {
  Ask(kAppTitle, text, QMessageBox::Ok, QMessageBox::Ok, icon);
}

QStringList UiPrompter::OpenFileNames(const FileRequest& request) {
  QStringList paths;
  OnGuiThread([&] { paths = DoOpenFileNames(request); });
  return paths;
}

QString UiPrompter::SaveFileName(const FileRequest& request) {
  QString path;
  OnGuiThread([&] { path = DoSaveFileName(request); });
  return path;
}

int UiPrompter::Run(QDialog& dialog) {
  int result = QDialog::Rejected;
  OnGuiThread([&] { result = DoRun(dialog); });
  return result;
}

bool UiPrompter::AskBifDimensions(const std::string& path, int& width, int& height) {
  bool answered = false;
  OnGuiThread([&] {
    dialogs::BifSizeDialog dialog(QString::fromStdString(path), QApplication::activeWindow());
    if (DoRun(dialog) == QDialog::Accepted) {
      width = dialog.ImageWidth();
      height = dialog.ImageHeight();
      answered = true;
    }
  });
  return answered;
}

QMessageBox::StandardButton UiPrompter::DoAsk(const QString& caption, const QString& text,
                                              QMessageBox::StandardButtons buttons,
                                              QMessageBox::StandardButton defaultButton,
                                              Icon icon) {
  QMessageBox box(BoxIcon(icon), caption, text, buttons, QApplication::activeWindow());
  box.setDefaultButton(defaultButton);
  return QMessageBox::StandardButton(box.exec());
}

QStringList UiPrompter::DoOpenFileNames(const FileRequest& request) {
  QFileDialog dialog(QApplication::activeWindow());
  Prepare(dialog, request);
  dialog.setOptions(dialog.options() | QFileDialog::ReadOnly);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(request.multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
  return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles() : QStringList();
}

QString UiPrompter::DoSaveFileName(const FileRequest& request) {
  QFileDialog dialog(QApplication::activeWindow());
  Prepare(dialog, request);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.selectFile(request.fileName);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first();
}

int UiPrompter::DoRun(QDialog& dialog) { return dialog.exec(); }

}  // namespace veska::app
