#include "cli/common_options.h"

namespace veska::cli {

bool ReadIntegerOption(const Arguments& args, const char* name, int64_t lo, int64_t hi,
                       int64_t* value, std::string* error) {
  const std::string* text = args.Value(name);
  if (text == nullptr) return true;
  std::optional<int64_t> number = ParseInteger(*text, lo, hi);
  if (!number) {
    *error = std::string(name) + " must be a whole number from " + std::to_string(lo) + " to " +
             std::to_string(hi) + ", not '" + *text + "'";
    return false;
  }
  *value = *number;
  return true;
}

bool ReadBifSize(const Arguments& args, std::optional<SizeValue>* size, std::string* error) {
  const std::string* text = args.Value(kBifSizeOption.name);
  if (text == nullptr) return true;
  *size = ParseSize(*text);
  if (!*size) {
    *error = "--bif-size must be WIDTHxHEIGHT with each from 0 to 65535, not '" + *text + "'";
    return false;
  }
  return true;
}

}  // namespace veska::cli
