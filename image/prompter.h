// Questions the system asks its user while it works. Library code asks them
// through the one process-wide Prompter; the desktop application installs
// one that shows dialogs, the command line one that answers from its options,
// and tests one that answers as they need. The default answers Cancel.
#pragma once

#include <string>

namespace veska {

class Prompter {
 public:
  virtual ~Prompter() = default;

  // The prompter in force (the default one unless another was installed).
  static Prompter& Get();
  // Installs `prompter` (not owned); nullptr restores the default. Returns the
  // previous one (nullptr for the default).
  static Prompter* Install(Prompter* prompter);

  // "Enter BIF Image Dimensions" for the raw file `path`: true with the typed
  // width and height (each 0..65535), false when the user cancels.
  virtual bool AskBifDimensions(const std::string& path, int& width, int& height);
};

}  // namespace veska
