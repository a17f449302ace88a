// Commands that load one image, change it with an image operation and save
// the result in the format of the output name's extension (rotate, flip,
// resize).
#pragma once

#include <functional>

#include "cli/command.h"

namespace veska {
class AImage;
}

namespace veska::cli {

// Loads INPUT (the first operand) as convert does, applies `operation`,
// which reports its own failure, and saves to OUTPUT (the second operand):
// kExitOk, kExitUsage for an unusable --bif-size, or kExitFailure.
int RunImageOperation(const Command& command, const Arguments& args,
                      const std::function<bool(AImage&)>& operation);

}  // namespace veska::cli
