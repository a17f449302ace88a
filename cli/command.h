// A subcommand of the `veska` command line: its name, its help text, the
// options it accepts and the function that runs it. Each command lives in a
// file of its own (cmd_<name>.cpp) and is listed once in commands.cpp.
#pragma once

#include <span>
#include <string>

namespace veska::cli {

class Arguments;

// Exit statuses of every command.
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;  // a load, a processing run or a save failed
constexpr int kExitUsage = 2;    // the command line or the batch file is unusable

struct OptionSpec {
  const char* name;       // "--big"
  const char* valueName;  // "B" for an option with a value; nullptr for a flag
  const char* help;
};

struct Command {
  const char* name;      // "process"
  const char* operands;  // "INPUT OUTPUT", as shown in the usage line
  int operandCount;      // exactly this many operands are required
  const char* summary;   // one line for `veska --help`
  const char* details;   // paragraphs after the option list, or nullptr
  std::span<const OptionSpec> options;
  int (*run)(const Command& command, const Arguments& args);
};

// Every command, in the order `veska --help` lists them.
std::span<const Command* const> Commands();
// The command called `name`, or nullptr.
const Command* FindCommand(const std::string& name);

}  // namespace veska::cli
