// veska process INPUT OUTPUT --big B --small S: the Veska enhancement of a
// whole image or a rectangle, saved in the format of the output's extension.
#include <cstdint>
#include <optional>

#include "batch/batch_file.h"
#include "batch/batch_run.h"
#include "cli/arguments.h"
#include "cli/command.h"
#include "cli/common_options.h"
#include "cli/help.h"
#include "cli/image_io.h"
#include "cli/terminal_progress.h"
#include "engine/scanline_counts.h"
#include "image/aimage.h"
#include "image/image_process.h"
#include "imagelib/status.h"

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
  std::optional<RectValue> rect;
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

// A colour image's store switched to the requested mode; grey images have a
// single channel whatever is asked.
int ApplyLuminance(AImage& image, std::optional<Luminance> mode, ProgressSink* progress) {
  if (!mode || image.Desc()->BitsPerPixel() != 24) return status::kOk;
  return image.Channels().SetLuminance(*mode, progress);
}

int RunProcess(const Command& command, const Arguments& args) {
  ProcessOptions options;
  std::string error;
  if (!ReadOptions(args, &options, &error)) return UsageError(command, error);
  std::string problem = CursorPairProblem(options.big, options.small);
  if (!problem.empty()) return UsageError(command, problem);

  AImage input;
  int exitCode = LoadInput(command, args.Operands()[0], options.bifSize, input);
  if (exitCode != kExitOk) return exitCode;
  if (options.rect && (options.rect->right >= input.Width() ||
                       options.rect->bottom >= input.Height())) {
    return UsageError(command, "--rect must lie inside the " + std::to_string(input.Width()) +
                                   "x" + std::to_string(input.Height()) + " image");
  }

  TerminalProgress terminal(stderr);
  ProgressSink* progress = ProgressWanted(options.quiet) ? &terminal : nullptr;
  int status = ApplyLuminance(input, options.luminance, progress);
  if (status != status::kOk) {
    ErrorReporter::Get().Report(status);
    return kExitFailure;
  }
  SetCursorPairOnEveryPlane(input.Channels(), options.big, options.small);
  AImage output;
  ProcessRequest request;
  if (options.rect) request.rect = PixelRect{options.rect->left, options.rect->top,
                                             options.rect->right, options.rect->bottom};
  request.scanlines = options.scanlines;
  request.progress = progress;
  status = ProcessImage(output, input, request);
  if (status != status::kOk) {
    ErrorReporter::Get().Report(status);
    return kExitFailure;
  }
  return SaveOutput(output, args.Operands()[1]);
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
