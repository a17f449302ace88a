// Loading a command's input image and saving its result, with failures shown
// the way every command shows them: the error reporter's text on stderr.
#pragma once

#include <optional>
#include <string>

#include "cli/arguments.h"
#include "cli/command.h"
#include "cli/values.h"
#include "image/image_file.h"

namespace veska {
class AImage;
}

namespace veska::cli {

// The load options of `path`: `bifSize` as the size of a BIF raw file.
// kExitOk, or kExitUsage (with a hint) for a BIF file without a size.
int InputLoadOptions(const Command& command, const std::string& path,
                     const std::optional<SizeValue>& bifSize, LoadOptions& options);
// Loads `path` into `image`, with `bifSize` as the size of a BIF raw file.
// kExitOk when loaded; kExitUsage (with a hint) for a BIF file without a
// size; kExitFailure after reporting a failed load.
int LoadInput(const Command& command, const std::string& path,
              const std::optional<SizeValue>& bifSize, AImage& image);
// The same for commands whose only option is --bif-size: reads it, then
// loads the first operand (kExitUsage for an unusable --bif-size).
int LoadFirstOperand(const Command& command, const Arguments& args, AImage& image);
// Saves `image` to `path` in the format of its extension: kExitOk, or
// kExitFailure after reporting the failure.
int SaveOutput(AImage& image, const std::string& path);
// kExitOk for kOk, else kExitFailure after reporting `status`.
int ReportedExit(int status);

}  // namespace veska::cli
