#include "batch/batch_run.h"

#include <filesystem>
#include <future>
#include <memory>
#include <system_error>
#include <utility>

#include "batch/batch_file.h"
#include "engine/worker_pool.h"
#include "image/pipeline.h"
#include "image/prompter.h"
#include "imagelib/status.h"

namespace veska {
namespace {

constexpr char kSeparatorLine[] = "----------------------------";

void AppendLine(BatchLog& log, const std::string& text) { log.Append(text + kBatchLineEnd); }

// An entry's input as its load left it.
struct LoadedInput {
  int status = status::kOk;
  std::unique_ptr<AImage> image = std::make_unique<AImage>();
};

// Loads `path`, first asking the prompter for its load options.
LoadedInput LoadInput(const std::string& path) {
  LoadedInput input;
  LoadOptions options;
  input.status = AskLoadOptions(path, options);
  if (input.status == status::kOk) input.status = Load(*input.image, path, options);
  return input;
}

// Whether `next`'s input may be loaded while `current` runs: only with more
// than one thread to run on, when the load asks no question (questions come
// in the order of the log), and when that input is not the file `current`
// is about to save, which it must be read from after the save.
bool LoadsAhead(const BatchEntry& next, const BatchEntry& current) {
  if (DefaultThreadCount() < 2 || AsksLoadOptions(next.inputName)) return false;
  namespace fs = std::filesystem;
  std::error_code error;
  if (fs::equivalent(next.inputName, current.outputName, error)) return false;
  const fs::path input = fs::weakly_canonical(next.inputName, error);
  if (error) return false;
  const fs::path output = fs::weakly_canonical(current.outputName, error);
  return !error && input != output;
}

// One entry: process and save the loaded input. False at the first failing
// step, after its error line has been logged.
bool RunEntry(const BatchEntry& entry, LoadedInput& input, uint16_t scanlines, BatchLog& log,
              ProgressSink* progress) {
  PipelineRequest request;
  request.input = entry.inputName;
  request.output = entry.outputName;
  request.bigCursor = entry.bigCursor;
  request.smallCursor = entry.smallCursor;
  request.process.scanlines = scanlines;
  request.process.progress = progress;
  const PipelineResult result = RunLoadedPipeline(
      input.status, *input.image, request, [&](PipelineStep step, const AImage&) {
        if (step == PipelineStep::kLoad)
          AppendLine(log, "Reading input file " + entry.inputName);
        else if (step == PipelineStep::kProcess)
          AppendLine(log, "Processing " + entry.inputName + " completed successfully");
        return true;
      });
  if (result.status != status::kOk) {
    log.Failure(result.status);
    if (result.step == PipelineStep::kLoad)
      AppendLine(log, "Error reading input file " + entry.inputName);
    else if (result.step == PipelineStep::kProcess)
      AppendLine(log, "Error processing input file " + entry.inputName);
    else
      AppendLine(log, "Error saving " + entry.outputName);
    return false;
  }
  AppendLine(log, entry.outputName + " saved successfully");
  AppendLine(log, kSeparatorLine);
  return true;
}

}  // namespace

BatchRunResult RunBatch(const std::string& batchPath, uint16_t scanlines, BatchLog& log,
                        ProgressSink* progress) {
  CBatchFile batch;
  if (batch.Open(batchPath) != FileOpenStatus::kOk) return BatchRunResult::kUnreadable;
  int readStatus = kBatchEntryRead;
  std::string message;
  // The next entry is read before this one runs, and its input loaded
  // meanwhile where LoadsAhead allows; nothing of it is logged, asked or
  // reported before its turn, so the log reads as if each entry ran alone.
  std::future<LoadedInput> ahead;
  for (bool more = batch.ReadEntry(&readStatus, &message); more;) {
    const BatchEntry entry = batch.Entry();
    LoadedInput input;
    if (!ahead.valid()) {
      input = LoadInput(entry.inputName);
    } else {
      input = ahead.get();
      // Two images in memory at once may not fit where one does.
      if (input.status == status::kNoMemory) input = LoadInput(entry.inputName);
    }
    more = batch.ReadEntry(&readStatus, &message);
    if (more && LoadsAhead(batch.Entry(), entry)) {
      try {
        ahead = std::async(std::launch::async, LoadInput, batch.Entry().inputName);
      } catch (const std::system_error&) {
        // No thread to spare: the next input loads at its turn.
      }
    }
    if (!RunEntry(entry, input, scanlines, log, progress))
      return BatchRunResult::kEntryFailed;  // waits for a load ahead, whose image goes unused
  }
  if (readStatus == kBatchFormatError) {
    AppendLine(log, message);
    return BatchRunResult::kFormatError;
  }
  return batch.ReadFailed() ? BatchRunResult::kUnreadable : BatchRunResult::kCompleted;
}

}  // namespace veska
