// veska flip INPUT OUTPUT lr|ud: mirrors an image left to right or upside down.
#include <string>

#include "cli/arguments.h"
#include "cli/command.h"
#include "cli/common_options.h"
#include "cli/help.h"
#include "cli/image_operation.h"
#include "image/aimage.h"

namespace veska::cli {
namespace {

constexpr OptionSpec kOptions[] = {kBifSizeOption};

int RunFlip(const Command& command, const Arguments& args) {
  const std::string& direction = args.Operands()[2];
  if (direction != "lr" && direction != "ud")
    return UsageError(command, "the direction must be lr or ud, not '" + direction + "'");
  const Flip flip = direction == "lr" ? Flip::kLeftRight : Flip::kUpsideDown;
  return RunImageOperation(command, args, [flip](AImage& image) { return image.Flip(flip); });
}

}  // namespace

extern const Command kFlipCommand = {
    "flip",
    "INPUT OUTPUT lr|ud",
    3,
    "Mirror an image left to right (lr) or turn it upside down (ud)",
    "16-bit samples (16-bit TIFF, ASCII) are flipped with the pixels and saved as such.\n",
    kOptions,
    RunFlip,
};

}  // namespace veska::cli
