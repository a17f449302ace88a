// veska process INPUT OUTPUT --big B --small S: the Veska enhancement of a
// whole image or a rectangle, saved in the format of the output's extension.
#include <cstdint>
#include <optional>

#include "batch/batch_file.h"
#include "cli/arguments.h"
#include "cli/command.h"
#include "cli/common_options.h"
#include "cli/help.h"
#include "cli/image_io.h"
#include "cli/terminal_progress.h"
#include "engine/scanline_counts.h"
#include "image/aimage.h"
#include "image/pipeline.h"

namespace veska::cli {
namespace {

constexpr OptionSpec kOptions[] = {
    {"--big", "B", "Big cursor size (odd, 1..65535, larger than the small one)"},
    {"--small", "S", "Small cursor size (odd, 1..65535)"},
    {"--scanlines", "N", "Scanlines per octant, 1..40 (default 16)"},
    {"--luminance", "MODE", "single or multi: one composite channel or one per colour"},
    {"--rect", "L,T,R,B", "Process only this inclusive rectangle (image coordinates)"},
    kBifSizeOption,
    kQuietOption,
};

struct ProcessOptions {
  int32_t big = 0;
  int32_t small = 0;
  uint16_t scanlines = kDefaultFullScanlines;
  std::optional<Luminance> luminance;  // none: as loaded
  std::optional<PixelRect> rect;
  std::optional<SizeValue> bifSize;
  bool quiet = false;
};

bool ReadCursor(const Arguments& args, const char* name, int32_t* value, std::string* error) {
  if (!args.Has(name)) {
    *error = std::string("missing ") + name + " (the cursor pair is required)";
    return false;
  }
  int64_t number = 0;
  if (!ReadIntegerOption(args, name, INT32_MIN, INT32_MAX, &number, error)) return false;
  *value = int32_t(number);
  return true;
}

bool ReadOptions(const Arguments& args, ProcessOptions* options, std::string* error) {
  if (!ReadCursor(args, "--big", &options->big, error) ||
      !ReadCursor(args, "--small", &options->small, error))
    return false;
  int64_t scanlines = options->scanlines;
  if (!ReadIntegerOption(args, "--scanlines", kScanlineEntryLowest, kScanlineEntryHighest,
                         &scanlines, error))
    return false;
  options->scanlines = uint16_t(scanlines);
  if (const std::string* mode = args.Value("--luminance")) {
    if (*mode == "single") {
      options->luminance = Luminance::kSingle;
    } else if (*mode == "multi") {
      options->luminance = Luminance::kMulti;
    } else {
      *error = "--luminance must be 'single' or 'multi', not '" + *mode + "'";
      return false;
    }
  }
  if (const std::string* rect = args.Value("--rect")) {
    options->rect = ParseRect(*rect);
    if (!options->rect) {
      *error = "--rect must be LEFT,TOP,RIGHT,BOTTOM with LEFT <= RIGHT and TOP <= BOTTOM, not '" +
               *rect + "'";
      return false;
    }
  }
  options->quiet = args.Has(kQuietOption.name);
  return ReadBifSize(args, &options->bifSize, error);
}

int RunProcess(const Command& command, const Arguments& args) {
  ProcessOptions options;
  std::string error;
  if (!ReadOptions(args, &options, &error)) return UsageError(command, error);
  std::string problem = CursorPairProblem(options.big, options.small);
  if (!problem.empty()) return UsageError(command, problem);

  PipelineRequest request;
  request.input = args.Operands()[0];
  request.output = args.Operands()[1];
  if (int exitCode = InputLoadOptions(command, request.input, options.bifSize, request.load))
    return exitCode;
  request.bigCursor = options.big;
  request.smallCursor = options.small;
  request.luminance = options.luminance;
  request.process.rect = options.rect;
  request.process.scanlines = options.scanlines;
  TerminalProgress terminal(stderr);
  if (ProgressWanted(options.quiet)) request.process.progress = &terminal;

  // The rectangle is checked against the loaded image before anything runs.
  std::string outside;
  const PipelineResult result = RunPipeline(request, [&](PipelineStep step, const AImage& image) {
    const PixelRect* rect = request.process.rect ? &*request.process.rect : nullptr;
    if (step != PipelineStep::kLoad || rect == nullptr ||
        (rect->right < image.Width() && rect->bottom < image.Height()))
      return true;
    outside = "--rect must lie inside the " + std::to_string(image.Width()) + "x" +
              std::to_string(image.Height()) + " image";
    return false;
  });
  if (!outside.empty()) return UsageError(command, outside);
  return ReportedExit(result.status);
}

}  // namespace

extern const Command kProcessCommand = {
    "process",
    "INPUT OUTPUT",
    2,
    "Enhance an image with the Veska local-contrast algorithm",
    "The cursor pair is checked as a batch line is: big larger than small, both odd,\n"
    "both from 1 to 65535. The same pair goes to every channel. A colour image is\n"
    "processed as one composite luminance channel unless --luminance multi is given.\n"
    "The output's format follows its extension.\n",
    kOptions,
    RunProcess,
};

}  // namespace veska::cli
