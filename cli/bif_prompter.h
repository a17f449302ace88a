// The command line's answers to the questions loading may ask: the size of a
// BIF raw file comes from --bif-size, and without it the question is
// cancelled (the load then ends with the cancel status) after a hint on
// stderr saying how to give it.
#pragma once

#include <optional>
#include <string>

#include "cli/values.h"
#include "image/prompter.h"

namespace veska::cli {

class BifSizePrompter final : public Prompter {
 public:
  explicit BifSizePrompter(std::optional<SizeValue> size) : size_(size) {}
  bool AskBifDimensions(const std::string& path, int& width, int& height) override;

 private:
  std::optional<SizeValue> size_;
};

// Installs a prompter for the lifetime of the scope and restores the previous
// one afterwards.
class PrompterScope {
 public:
  explicit PrompterScope(Prompter* prompter) : previous_(Prompter::Install(prompter)) {}
  PrompterScope(const PrompterScope&) = delete;
  PrompterScope& operator=(const PrompterScope&) = delete;
  ~PrompterScope() { Prompter::Install(previous_); }

 private:
  Prompter* previous_;
};

// The hint printed when a BIF file's size is needed and not given.
std::string BifSizeHint(const std::string& path);

}  // namespace veska::cli
