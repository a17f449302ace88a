// The desktop program's error reporter: a message box captioned "Error"
// shown through the prompter (so tests see the text), on the user-interface
// thread whichever thread reports.
#pragma once

#include "imagelib/status.h"

namespace veska::app {

class MessageBoxReporter final : public veska::ErrorReporter {
 public:
  MessageBoxReporter();
  ~MessageBoxReporter() override;

 protected:
  void Show(const std::string& text) override;

 private:
  veska::ErrorReporter* previous_;
};

}  // namespace veska::app
