#include "image/prompter.h"

#include "imagelib/status.h"

namespace veska {
namespace {

Prompter g_defaultPrompter;
Prompter* g_prompter = &g_defaultPrompter;

}  // namespace

Prompter& Prompter::Get() { return *g_prompter; }

Prompter* Prompter::Install(Prompter* prompter) {
  Prompter* previous = g_prompter;
  g_prompter = prompter != nullptr ? prompter : &g_defaultPrompter;
  return previous == &g_defaultPrompter ? nullptr : previous;
}

bool Prompter::AskBifDimensions(const std::string&, int&, int&) { return false; }

bool AsksLoadOptions(const std::string& path) {
  int format = -1;
  return DetectFormat(path, format) == status::kOk && format == kBif;
}

int AskLoadOptions(const std::string& path, LoadOptions& options) {
  if (!AsksLoadOptions(path)) return status::kOk;
  BifSize size;
  if (!Prompter::Get().AskBifDimensions(path, size.width, size.height)) return status::kCancelled;
  options.bifSize = size;
  return status::kOk;
}

}  // namespace veska
