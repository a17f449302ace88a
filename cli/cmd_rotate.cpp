// veska rotate INPUT OUTPUT 90|180|270: turns an image by quarter turns.
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

int RunRotate(const Command& command, const Arguments& args) {
  const std::string& angle = args.Operands()[2];
  Turn turn;
  if (angle == "90")
    turn = Turn::kClockwise90;
  else if (angle == "180")
    turn = Turn::kHalf;
  else if (angle == "270")
    turn = Turn::kCounterClockwise90;
  else
    return UsageError(command, "the angle must be 90, 180 or 270, not '" + angle + "'");
  return RunImageOperation(command, args, [turn](AImage& image) { return image.Rotate(turn); });
}

}  // namespace

extern const Command kRotateCommand = {
    "rotate",
    "INPUT OUTPUT ANGLE",
    3,
    "Rotate an image by 90 (clockwise), 180 or 270 (counter-clockwise) degrees",
    "16-bit samples (16-bit TIFF, ASCII) are turned with the pixels and saved as such.\n",
    kOptions,
    RunRotate,
};

}  // namespace veska::cli
