#include "cli/image_io.h"

#include "cli/bif_prompter.h"
#include "cli/common_options.h"
#include "cli/help.h"
#include "image/aimage.h"
#include "image/image_file.h"
#include "imagelib/status.h"

namespace veska::cli {

int InputLoadOptions(const Command& command, const std::string& path,
                     const std::optional<SizeValue>& bifSize, LoadOptions& options) {
  int format = -1;
  // A file that cannot be detected is left to Load, which reports the cause.
  if (!bifSize && DetectFormat(path, format) == status::kOk && format == kBif)
    return UsageError(command, BifSizeHint(path));
  if (bifSize) options.bifSize = BifSize{bifSize->width, bifSize->height};
  return kExitOk;
}

int LoadInput(const Command& command, const std::string& path,
              const std::optional<SizeValue>& bifSize, AImage& image) {
  LoadOptions options;
  if (int exitCode = InputLoadOptions(command, path, bifSize, options)) return exitCode;
  return ReportedExit(Load(image, path, options));
}

int LoadFirstOperand(const Command& command, const Arguments& args, AImage& image) {
  std::optional<SizeValue> bifSize;
  std::string error;
  if (!ReadBifSize(args, &bifSize, &error)) return UsageError(command, error);
  return LoadInput(command, args.Operands()[0], bifSize, image);
}

int SaveOutput(AImage& image, const std::string& path) { return ReportedExit(Save(image, path)); }

int ReportedExit(int status) {
  if (status == status::kOk) return kExitOk;
  ErrorReporter::Get().Report(status);
  return kExitFailure;
}

}  // namespace veska::cli
