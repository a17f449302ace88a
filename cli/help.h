// Help and usage texts, and the one way commands report a usage error.
#pragma once

#include <string>

#include "cli/command.h"

namespace veska::cli {

// "veska <command> <operands> [options]" followed by the summary, the options
// with their values and help, and the command's details.
std::string CommandHelp(const Command& command);
// The program's overview: every command with its summary.
std::string ProgramHelp();
// "veska <version>".
std::string VersionText();

// Prints "veska <command>: <message>" and a pointer to the command's help on
// stderr and returns kExitUsage.
int UsageError(const Command& command, const std::string& message);
// Prints "veska <command>: <message>" on stderr (a failure of the command's
// work, not of its command line) and returns `exitCode`.
int CommandError(const Command& command, const std::string& message, int exitCode);

}  // namespace veska::cli
