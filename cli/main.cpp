// The `veska` command line: `veska COMMAND [arguments] [options]`.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/arguments.h"
#include "cli/command.h"
#include "cli/help.h"

namespace {

using namespace veska::cli;

int RunCommand(const Command& command, const std::vector<std::string>& words) {
  Arguments args;
  std::string error;
  switch (ParseArguments(command, words, &args, &error)) {
    case kHelpWanted:
      std::fputs(CommandHelp(command).c_str(), stdout);
      return kExitOk;
    case kParseError:
      return UsageError(command, error);
    case kParsed:
      break;
  }
  return command.run(command, args);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> words(argv + 1, argv + argc);
  if (words.empty()) {
    std::fputs(ProgramHelp().c_str(), stderr);
    return kExitUsage;
  }
  const std::string& first = words[0];
  if (first == "--help" || first == "-h" || first == "help") {
    std::fputs(ProgramHelp().c_str(), stdout);
    return kExitOk;
  }
  if (first == "--version") {
    std::fputs(VersionText().c_str(), stdout);
    return kExitOk;
  }
  const Command* command = FindCommand(first);
  if (command == nullptr) {
    std::fprintf(stderr, "veska: unknown command '%s'\nTry 'veska --help' for the commands.\n",
                 first.c_str());
    return kExitUsage;
  }
  return RunCommand(*command, std::vector<std::string>(words.begin() + 1, words.end()));
}
