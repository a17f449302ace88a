// Options that several commands share, read and checked in one place. Each
// reader leaves its default when the option is absent and returns false with
// a message for the usage error when the value is unusable.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "cli/arguments.h"
#include "cli/command.h"
#include "cli/values.h"

namespace veska::cli {

constexpr OptionSpec kBifSizeOption = {
    "--bif-size", "WxH", "Size of a BIF raw input, which the file does not store"};
constexpr OptionSpec kQuietOption = {"--quiet", nullptr,
                                     "Show no progress indicator on the terminal"};

// A whole number in lo..hi.
bool ReadIntegerOption(const Arguments& args, const char* name, int64_t lo, int64_t hi,
                       int64_t* value, std::string* error);
// --bif-size WxH.
bool ReadBifSize(const Arguments& args, std::optional<SizeValue>* size, std::string* error);

}  // namespace veska::cli
