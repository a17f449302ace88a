// veska batch BATCHFILE: checks every entry of a batch file, then runs them
// all (load, process with the Batch scanline count, save), printing the log
// as it grows.

#include <cstdio>
#include <memory>

#include "batch/batch_file.h"
#include "batch/batch_run.h"
#include "cli/arguments.h"
#include "cli/bif_prompter.h"
#include "cli/command.h"
#include "cli/common_options.h"
#include "cli/console_log.h"
#include "cli/help.h"
#include "cli/terminal_progress.h"
#include "engine/scanline_counts.h"

namespace veska::cli {
namespace {

constexpr OptionSpec kOptions[] = {
    {"--scanlines", "N", "Scanlines per octant, 16..40 (default 16)"},
    {"--bif-size", "WxH", "Size of every BIF raw input of the run"},
    {"--log", "PATH", "Also write the log to PATH, with its CR CR LF line ends"},
    kQuietOption,
};

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

int Refuse(const std::string& message) {
  std::fprintf(stderr, "%s\n", message.c_str());
  std::fflush(stderr);
  return kExitUsage;
}

// Pass 1: the batch file exists, reads, and every entry passes the checks.
// kExitOk, or kExitUsage after saying why the file is refused.
int CheckBatchFile(const std::string& path) {
  const std::string problem = BatchFileProblem(path);
  return problem.empty() ? kExitOk : Refuse(problem);
}

int RunBatchCommand(const Command& command, const Arguments& args) {
  int64_t scanlines = kDefaultBatchScanlines;
  std::optional<SizeValue> bifSize;
  std::string error;
  if (!ReadIntegerOption(args, "--scanlines", kMinimumBatchScanlines, kMaximumScanlines,
                         &scanlines, &error) ||
      !ReadBifSize(args, &bifSize, &error))
    return UsageError(command, error);
  const std::string& path = args.Operands()[0];
  int exitCode = CheckBatchFile(path);
  if (exitCode != kExitOk) return exitCode;

  FilePtr logFile;
  const std::string* logPath = args.Value("--log");
  if (logPath != nullptr) {
    logFile.reset(std::fopen(logPath->c_str(), "wb"));
    if (!logFile) return CommandError(command, "cannot write the log file '" + *logPath + "'",
                                      kExitUsage);
  }
  ConsoleBatchLog log(stdout, logFile.get());
  BifSizePrompter prompter(bifSize);
  PrompterScope scope(&prompter);
  TerminalProgress terminal(stderr);
  ProgressSink* progress = ProgressWanted(args.Has(kQuietOption.name)) ? &terminal : nullptr;
  BatchRunResult result = RunBatch(path, uint16_t(scanlines), log, progress);

  exitCode = result == BatchRunResult::kCompleted ? kExitOk : kExitFailure;
  if (result == BatchRunResult::kFormatError)
    CommandError(command, "'" + path + "' changed after it was checked; the run stopped at a "
                 "line with a missing field", kExitFailure);
  if (result == BatchRunResult::kUnreadable)
    CommandError(command, "Batch File '" + path + "' could not be read", kExitFailure);
  if (logFile) {
    bool closed = std::fclose(logFile.release()) == 0;
    if (log.FileFailed() || !closed)
      exitCode = CommandError(command, "could not write the log file '" + *logPath + "'",
                              kExitFailure);
  }
  return exitCode;
}

}  // namespace

extern const Command kBatchCommand = {
    "batch",
    "BATCHFILE",
    1,
    "Run every job of a batch file and print the log",
    "Each line of BATCHFILE is 'input, big cursor, small cursor, output'; a line\n"
    "starting with ';' is a comment and an empty line ends the file. Every entry is\n"
    "checked before anything runs; a bad entry refuses the whole file (exit 2).\n"
    "Names are taken relative to the current folder. The run stops at the first\n"
    "entry that fails to load, process or save (exit 1); earlier outputs stay.\n",
    kOptions,
    RunBatchCommand,
};

}  // namespace veska::cli
