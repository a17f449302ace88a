#include "cli/help.h"

#include <algorithm>
#include <cstdio>

namespace veska::cli {
namespace {

#ifndef VESKA_VERSION
#define VESKA_VERSION "unknown"
#endif

constexpr OptionSpec kHelpOption = {"--help", nullptr, "Show this help and exit"};

std::string OptionLabel(const OptionSpec& option) {
  std::string label = option.name;
  if (option.valueName != nullptr) label += std::string(" ") + option.valueName;
  return label;
}

std::string Padded(std::string text, size_t width) {
  if (text.size() < width) text.append(width - text.size(), ' ');
  return text;
}

}  // namespace

std::string CommandHelp(const Command& command) {
  std::string text = std::string("Usage: veska ") + command.name;
  if (command.operandCount > 0) text += std::string(" ") + command.operands;
  text += " [options]\n\n";
  text += std::string(command.summary) + ".\n\nOptions:\n";
  size_t width = OptionLabel(kHelpOption).size();
  for (const OptionSpec& option : command.options)
    width = std::max(width, OptionLabel(option).size());
  auto addOption = [&](const OptionSpec& option) {
    text += "  " + Padded(OptionLabel(option), width + 2) + option.help + "\n";
  };
  for (const OptionSpec& option : command.options) addOption(option);
  addOption(kHelpOption);
  if (command.details != nullptr) text += std::string("\n") + command.details;
  return text;
}

std::string ProgramHelp() {
  std::string text =
      "Usage: veska COMMAND [arguments] [options]\n"
      "       veska --help | --version\n\n"
      "Veska Pro local-contrast enhancement from the command line.\n\nCommands:\n";
  size_t width = 0;
  for (const Command* command : Commands()) width = std::max(width, std::string(command->name).size());
  for (const Command* command : Commands())
    text += "  " + Padded(command->name, width + 2) + command->summary + "\n";
  text +=
      "\n'veska COMMAND --help' describes a command. Exit status: 0 success, 1 a load,\n"
      "processing run or save failed, 2 a usage error or an unusable batch file.\n";
  return text;
}

std::string VersionText() { return std::string("veska ") + VESKA_VERSION + "\n"; }

int UsageError(const Command& command, const std::string& message) {
  std::fprintf(stderr, "veska %s: %s\nTry 'veska %s --help' for more information.\n",
               command.name, message.c_str(), command.name);
  std::fflush(stderr);
  return kExitUsage;
}

int CommandError(const Command& command, const std::string& message, int exitCode) {
  std::fprintf(stderr, "veska %s: %s\n", command.name, message.c_str());
  std::fflush(stderr);
  return exitCode;
}

}  // namespace veska::cli
