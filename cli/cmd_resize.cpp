// veska resize INPUT OUTPUT WxH [--interpolate]: a new pixel size.
#include <optional>
#include <string>

#include "cli/arguments.h"
#include "cli/command.h"
#include "cli/common_options.h"
#include "cli/help.h"
#include "cli/image_operation.h"
#include "cli/values.h"
#include "image/aimage.h"
#include "imagelib/image_ops.h"

namespace veska::cli {
namespace {

constexpr OptionSpec kOptions[] = {
    {"--interpolate", nullptr,
     "Resample bilinearly (block averages when both sides shrink) instead of replicating pixels"},
    kBifSizeOption,
};

int RunResize(const Command& command, const Arguments& args) {
  const std::string& text = args.Operands()[2];
  const std::optional<SizeValue> size = ParseSize(text);
  if (!size || size->width < 1 || size->height < 1)
    return UsageError(
        command, "the size must be WIDTHxHEIGHT with each from 1 to 65535, not '" + text + "'");
  const int method = args.Has("--interpolate") ? kResizeInterpolate : kResizeReplicate;
  return RunImageOperation(command, args, [&](AImage& image) {
    return image.Resize(size->width, size->height, method);
  });
}

}  // namespace

extern const Command kResizeCommand = {
    "resize",
    "INPUT OUTPUT WxH",
    3,
    "Resize an image to WIDTHxHEIGHT pixels",
    "Without --interpolate every new pixel is a copy of a source pixel. 16-bit samples\n"
    "(16-bit TIFF, ASCII) are resampled the same way and stay 16-bit. Sides above 16384\n"
    "pixels do not fit the luminance matrix and fail.\n",
    kOptions,
    RunResize,
};

}  // namespace veska::cli
