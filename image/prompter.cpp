#include "image/prompter.h"

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

}  // namespace veska
