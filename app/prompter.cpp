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

QFileDialog::Options Options() {
  // Tests and the sanitizer builds must not depend on the desktop's own
  // dialog service; the program's dialog behaves the same everywhere.
  return QFileDialog::DontUseNativeDialog;
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
  OnGuiThread([&] {
    QMessageBox box(BoxIcon(icon), caption, text, buttons, QApplication::activeWindow());
    box.setDefaultButton(defaultButton);
    answer = QMessageBox::StandardButton(box.exec());
  });
  return answer;
}

void UiPrompter::Tell(const QString& text, Icon icon) {
  Ask(kAppTitle, text, QMessageBox::Ok, QMessageBox::Ok, icon);
}

QStringList UiPrompter::OpenFileNames(const FileRequest& request) {
  QStringList paths;
  OnGuiThread([&] {
    QFileDialog dialog(QApplication::activeWindow());
    dialog.setOptions(Options() | QFileDialog::ReadOnly);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(request.multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    QStringList filters = NameFilters(request.filter);
    dialog.setNameFilters(filters);
    if (request.selectedFilter >= 0 && request.selectedFilter < filters.size())
      dialog.selectNameFilter(filters[request.selectedFilter]);
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (dialog.exec() == QDialog::Accepted) paths = dialog.selectedFiles();
  });
  return paths;
}

QString UiPrompter::SaveFileName(const FileRequest& request) {
  QString path;
  OnGuiThread([&] {
    QFileDialog dialog(QApplication::activeWindow());
    dialog.setOptions(Options());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    QStringList filters = NameFilters(request.filter);
    dialog.setNameFilters(filters);
    if (request.selectedFilter >= 0 && request.selectedFilter < filters.size())
      dialog.selectNameFilter(filters[request.selectedFilter]);
    dialog.setDefaultSuffix(request.defaultSuffix);
    dialog.selectFile(request.fileName);
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
      path = dialog.selectedFiles().first();
  });
  return path;
}

int UiPrompter::Run(QDialog& dialog) { return dialog.exec(); }

bool UiPrompter::AskBifDimensions(const std::string& path, int& width, int& height) {
  bool answered = false;
  OnGuiThread([&] {
    dialogs::BifSizeDialog dialog(QString::fromStdString(path), QApplication::activeWindow());
    if (Get().Run(dialog) == QDialog::Accepted) {
      width = dialog.ImageWidth();
      height = dialog.ImageHeight();
      answered = true;
    }
  });
  return answered;
}

}  // namespace veska::app
