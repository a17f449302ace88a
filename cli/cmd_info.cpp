// veska info INPUT: what loading a file gives, one "key: value" line each.
#include <cstdio>

#include "cli/arguments.h"
#include "cli/command.h"
#include "cli/common_options.h"
#include "cli/image_io.h"
#include "image/aimage.h"
#include "image/file_facts.h"
#include "image/image_file.h"

namespace veska::cli {
namespace {

constexpr OptionSpec kOptions[] = {kBifSizeOption};

const char* YesNo(bool value) { return value ? "yes" : "no"; }

// `flattened`: the file's alpha was flattened onto white as it loaded.
void PrintInfo(const AImage& image, bool flattened) {
  const ChannelStore& store = image.Channels();
  std::printf("format: %s\n", FileFormat(image.FormatIndex()).name);
  std::printf("width: %d\n", image.Width());
  std::printf("height: %d\n", image.Height());
  std::printf("bits_per_pixel: %d\n", image.Desc()->BitsPerPixel());
  std::printf("grayscale: %s\n", YesNo(image.IsGray() != 0));
  std::printf("from_indexed: %s\n", YesNo(image.FromIndexed()));
  std::printf("dpi: %.2f\n", image.Dpi());
  std::printf("luminance: %s\n", store.MultiChannel() ? "multiple" : "single");
  std::printf("sixteen_bit: %s\n", YesNo(store.SixteenBit()));
  if (flattened) std::printf("alpha: flattened\n");
  for (int i = 0; i < store.PlaneCount(); ++i) {
    const ChannelPlane* plane = store.Plane(i);
    std::printf("channel %d: min=%u max=%u\n", i, unsigned(plane->Min()), unsigned(plane->Max()));
  }
  std::fflush(stdout);
}

int RunInfo(const Command& command, const Arguments& args) {
  AImage image;
  int exitCode = LoadFirstOperand(command, args, image);
  if (exitCode != kExitOk) return exitCode;
  // Only the standard formats can have alpha; their facts need no options.
  FileFacts facts;
  const bool flattened =
      image.FormatIndex() != kBif &&
      ReadFileFacts(args.Operands()[0], image.FormatIndex(), LoadOptions{}, facts) == 0 &&
      facts.alpha;
  PrintInfo(image, flattened);
  return kExitOk;
}

}  // namespace

extern const Command kInfoCommand = {
    "info",
    "INPUT",
    1,
    "Describe an image as it loads: format, size, depth and channel statistics",
    "Prints the lines format, width, height, bits_per_pixel (of the working buffer: 8 or 24),\n"
    "grayscale, from_indexed, dpi, luminance (single or multiple), sixteen_bit, the line\n"
    "'alpha: flattened' for a file whose transparency was flattened onto white, then\n"
    "'channel N: min=X max=Y' for each luminance channel, numbered from 0.\n",
    kOptions,
    RunInfo,
};

}  // namespace veska::cli
