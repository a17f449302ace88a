// veska mix PRIMARY SECONDARY OUTPUT --weights W1,W2: mixes two images of one
// size and colour type.
#include <optional>
#include <string>
#include <string_view>

#include "cli/arguments.h"
#include "cli/command.h"
#include "cli/common_options.h"
#include "cli/help.h"
#include "cli/image_io.h"
#include "cli/values.h"
#include "image/aimage.h"

namespace veska::cli {
namespace {

constexpr OptionSpec kOptions[] = {
    {"--weights", "W1,W2",
     "Whole percentages -100..100 of the primary and the secondary image (required)"},
    kBifSizeOption,
};

// The Mix dialog's refusal of a grey image with a colour image.
constexpr const char* kColourTypeMismatch =
    "The color type (color/grayscale) of Primary and Secondary images does not match and "
    "cannot be mixed.";

struct Weights {
  int primary = 0;
  int secondary = 0;
};

std::optional<Weights> ParseWeights(std::string_view text) {
  const size_t comma = text.find(',');
  if (comma == std::string_view::npos) return std::nullopt;
  const std::optional<int64_t> first = ParseInteger(text.substr(0, comma), -100, 100);
  const std::optional<int64_t> second = ParseInteger(text.substr(comma + 1), -100, 100);
  if (!first || !second) return std::nullopt;
  return Weights{int(*first), int(*second)};
}

int RunMix(const Command& command, const Arguments& args) {
  const std::string* text = args.Value("--weights");
  if (text == nullptr) return UsageError(command, "missing --weights W1,W2");
  const std::optional<Weights> weights = ParseWeights(*text);
  if (!weights)
    return UsageError(command, "--weights must be W1,W2 with whole percentages from -100 to "
                               "100, not '" + *text + "'");
  std::optional<SizeValue> bifSize;
  std::string error;
  if (!ReadBifSize(args, &bifSize, &error)) return UsageError(command, error);
  AImage primary, secondary;
  if (int exitCode = LoadInput(command, args.Operands()[0], bifSize, primary)) return exitCode;
  if (int exitCode = LoadInput(command, args.Operands()[1], bifSize, secondary)) return exitCode;
  if ((primary.IsGray() != 0) != (secondary.IsGray() != 0))
    return CommandError(command, kColourTypeMismatch, kExitFailure);
  if (!primary.Mix(secondary, weights->primary, weights->secondary)) return kExitFailure;
  return SaveOutput(primary, args.Operands()[2]);
}

}  // namespace

extern const Command kMixCommand = {
    "mix",
    "PRIMARY SECONDARY OUTPUT",
    3,
    "Mix two images of one size, both grey or both colour, with percentage weights",
    "When either weight is negative the secondary image is subtracted:\n"
    "(P x 100 - S x |W2|) / 100, at least 0; otherwise the images are added:\n"
    "(P x W1 + S x W2) / 100, at most 255 (65535 for 16-bit samples). Grey images mix their\n"
    "samples, so 16-bit TIFF and ASCII images keep 16 bits; the result takes the\n"
    "secondary image's resolution.\n",
    kOptions,
    RunMix,
};

}  // namespace veska::cli
