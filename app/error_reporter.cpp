#include "app/error_reporter.h"

#include "app/prompter.h"

namespace veska::app {

MessageBoxReporter::MessageBoxReporter() : previous_(ErrorReporter::Install(this)) {}

MessageBoxReporter::~MessageBoxReporter() { ErrorReporter::Install(previous_); }

void MessageBoxReporter::Show(const std::string& text) {
  UiPrompter::Get().Ask("Error", QString::fromStdString(text), QMessageBox::Ok, QMessageBox::Ok,
                        UiPrompter::Icon::kExclamation);
}

}  // namespace veska::app
