// The command table. A new command is one file defining its `const Command`
// (see cmd_info.cpp) and one entry in this list.
#include <string>

#include "cli/command.h"

#define VESKA_COMMANDS(X) \
  X(kProcessCommand)      \
  X(kConvertCommand)      \
  X(kInfoCommand)         \
  X(kBatchCommand)        \
  X(kRotateCommand)       \
  X(kFlipCommand)         \
  X(kResizeCommand)       \
  X(kMixCommand)

namespace veska::cli {

#define VESKA_DECLARE_COMMAND(name) extern const Command name;
VESKA_COMMANDS(VESKA_DECLARE_COMMAND)

namespace {

#define VESKA_LIST_COMMAND(name) &name,
constexpr const Command* kCommands[] = {VESKA_COMMANDS(VESKA_LIST_COMMAND)};

}  // namespace

std::span<const Command* const> Commands() { return kCommands; }

const Command* FindCommand(const std::string& name) {
  for (const Command* command : kCommands)
    if (name == command->name) return command;
  return nullptr;
}

}  // namespace veska::cli
