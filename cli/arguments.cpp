#include "cli/arguments.h"

namespace veska::cli {
namespace {

const OptionSpec* FindOption(const Command& command, std::string_view name) {
  for (const OptionSpec& option : command.options)
    if (name == option.name) return &option;
  return nullptr;
}

// "--help" before any "--" asks for help whatever else the line holds.
bool HelpWanted(std::span<const std::string> words) {
  for (const std::string& word : words) {
    if (word == "--") return false;
    if (word == "--help") return true;
  }
  return false;
}

}  // namespace

const std::string* Arguments::Value(std::string_view option) const {
  for (const auto& [name, value] : options_)
    if (name == option) return &value;
  return nullptr;
}

ParseResult ParseArguments(const Command& command, std::span<const std::string> words,
                           Arguments* args, std::string* error) {
  *args = Arguments();
  if (HelpWanted(words)) return kHelpWanted;
  bool optionsEnded = false;
  for (size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i];
    if (optionsEnded || word.size() < 2 || word[0] != '-') {
      args->operands_.push_back(word);
      continue;
    }
    if (word == "--") {
      optionsEnded = true;
      continue;
    }
    size_t equals = word.find('=');
    std::string name = word.substr(0, equals);
    const OptionSpec* option = FindOption(command, name);
    if (option == nullptr) {
      *error = "unknown option '" + name + "'";
      return kParseError;
    }
    if (args->Has(name)) {
      *error = "option '" + name + "' given more than once";
      return kParseError;
    }
    std::string value;
    if (option->valueName == nullptr) {
      if (equals != std::string::npos) {
        *error = "option '" + name + "' takes no value";
        return kParseError;
      }
    } else if (equals != std::string::npos) {
      value = word.substr(equals + 1);
    } else if (i + 1 < words.size()) {
      value = words[++i];
    } else {
      *error = "option '" + name + "' needs a value (" + option->valueName + ")";
      return kParseError;
    }
    args->options_.emplace_back(std::move(name), std::move(value));
  }
  int count = int(args->operands_.size());
  if (count < command.operandCount) {
    *error = "missing operand: expected " + std::string(command.operands);
    return kParseError;
  }
  if (count > command.operandCount) {
    *error = "unexpected operand '" + args->operands_[size_t(command.operandCount)] + "'";
    return kParseError;
  }
  return kParsed;
}

}  // namespace veska::cli
