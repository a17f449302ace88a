// Questions the system asks its user. They are asked at the edge, before a
// run starts, never from inside a load: through the one process-wide
// Prompter, which the desktop application replaces with one that shows
// dialogs, the command line with one that answers from its options, and tests
// with one that answers as they need. The default answers Cancel.
#pragma once

#include <string>

#include "image/image_file.h"

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

// Gathers the load options of `path` by asking the prompter in force: the
// size of a BIF raw file ("Enter BIF Image Dimensions"). kOk with `options`
// filled, or kCancelled when the user cancels. A file that is not a BIF file,
// or that cannot be opened, asks nothing (Load then says why it fails).
int AskLoadOptions(const std::string& path, LoadOptions& options);
// Whether AskLoadOptions would put a question for `path`.
bool AsksLoadOptions(const std::string& path);

}  // namespace veska
