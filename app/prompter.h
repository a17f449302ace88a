// The one place where the desktop program asks its user something: message
// boxes, file dialogs and modal dialogs. The program installs the default,
// which shows QMessageBox, QFileDialog and runs dialogs with exec(); tests
// install one that answers as they need. It also answers the image library's
// own questions (the BIF dimensions), so there is one prompter, not two.
//
// Every entry point may be called from a worker thread: the question is then
// asked on the user-interface thread while the worker waits for the answer.
// Replacements override the protected Do... members, which always run on the
// user-interface thread.
#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>

#include "image/prompter.h"

class QDialog;

namespace veska::app {

// The caption of the program's own message boxes.
inline constexpr char kAppTitle[] = "Veska Pro";

// A file dialog as the commands describe it. `filter` is a list of
// "description|pattern" pairs ending in "||" (several patterns joined by ";").
struct FileRequest {
  QString filter;
  QString defaultSuffix;  // added to a typed name without an extension
  QString fileName;       // the proposed name (save dialogs)
  int selectedFilter = 0; // the entry preselected, counted from 0
  bool multiple = false;  // open dialogs: several files at once
};

// The filter list in the form Qt's file dialogs take: a description without
// its own "(patterns)" gets them appended.
QStringList NameFilters(const QString& filter);

class UiPrompter : public veska::Prompter {
 public:
  enum class Icon { kNone, kInformation, kExclamation, kCritical, kQuestion };

  // The prompter in force; Install replaces it (nullptr restores the
  // default) and also answers the image library's questions from then on.
  static UiPrompter& Get();
  static void Install(UiPrompter* prompter);

  // A message box: returns the button pressed.
  QMessageBox::StandardButton Ask(const QString& caption, const QString& text,
                                  QMessageBox::StandardButtons buttons,
                                  QMessageBox::StandardButton defaultButton, Icon icon);
  // A message box with one OK button and the program's caption.
  void Tell(const QString& text, Icon icon = Icon::kExclamation);
  // Open dialog: the chosen paths, none when cancelled.
  QStringList OpenFileNames(const FileRequest& request);
  // Save dialog with the overwrite question: the chosen path, empty when
  // cancelled.
  QString SaveFileName(const FileRequest& request);
  // Shows `dialog` modally and returns its result code.
  int Run(QDialog& dialog);

  // "Enter BIF Image Dimensions", through Run.
  bool AskBifDimensions(const std::string& path, int& width, int& height) override;

 protected:
  virtual QMessageBox::StandardButton DoAsk(const QString& caption, const QString& text,
                                            QMessageBox::StandardButtons buttons,
                                            QMessageBox::StandardButton defaultButton,
                                            Icon icon);
  virtual QStringList DoOpenFileNames(const FileRequest& request);
  virtual QString DoSaveFileName(const FileRequest& request);
  virtual int DoRun(QDialog& dialog);
};

}  // namespace veska::app
