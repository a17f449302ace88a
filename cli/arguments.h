// Splitting a command's words into operands and options, checked against the
// options the command accepts.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/command.h"

namespace veska::cli {

enum ParseResult { kParsed, kHelpWanted, kParseError };

// The operands and options of one command line.
class Arguments {
 public:
  const std::vector<std::string>& Operands() const { return operands_; }
  bool Has(std::string_view option) const { return Value(option) != nullptr; }
  // The option's value (empty for a flag), or nullptr when it was not given.
  const std::string* Value(std::string_view option) const;

 private:
  friend ParseResult ParseArguments(const Command&, std::span<const std::string>, Arguments*,
                                    std::string*);
  std::vector<std::string> operands_;
  std::vector<std::pair<std::string, std::string>> options_;
};

// Parses the words after the command's name. Options are "--name value" or
// "--name=value" for options with a value and "--name" for flags; "--help"
// anywhere asks for help; "--" makes every later word an operand. Unknown or
// repeated options, a missing value and a wrong number of operands are
// errors, described in `error`.
ParseResult ParseArguments(const Command& command, std::span<const std::string> words,
                           Arguments* args, std::string* error);

}  // namespace veska::cli
