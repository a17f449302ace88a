#include "batch/batch_run.h"

#include "batch/batch_file.h"
#include "image/pipeline.h"
#include "image/prompter.h"
#include "imagelib/status.h"

namespace veska {
namespace {

constexpr char kSeparatorLine[] = "----------------------------";

void AppendLine(BatchLog& log, const std::string& text) { log.Append(text + kBatchLineEnd); }

// One entry: load, process, save. False at the first failing step, after its
// error line has been logged.
bool RunEntry(const BatchEntry& entry, uint16_t scanlines, BatchLog& log,
              ProgressSink* progress) {
  PipelineRequest request;
  request.input = entry.inputName;
  request.output = entry.outputName;
  request.bigCursor = entry.bigCursor;
  request.smallCursor = entry.smallCursor;
  request.process.scanlines = scanlines;
  request.process.progress = progress;
  PipelineResult result{PipelineStep::kLoad, AskLoadOptions(entry.inputName, request.load)};
  if (result.status == status::kOk) {
    result = RunPipeline(request, [&](PipelineStep step, const AImage&) {
      if (step == PipelineStep::kLoad)
        AppendLine(log, "Reading input file " + entry.inputName);
      else if (step == PipelineStep::kProcess)
        AppendLine(log, "Processing " + entry.inputName + " completed successfully");
      return true;
    });
  }
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
  while (batch.ReadEntry(&readStatus, &message)) {
    if (!RunEntry(batch.Entry(), scanlines, log, progress))
      return BatchRunResult::kEntryFailed;
  }
  if (readStatus == kBatchFormatError) {
    AppendLine(log, message);
    return BatchRunResult::kFormatError;
  }
  return batch.ReadFailed() ? BatchRunResult::kUnreadable : BatchRunResult::kCompleted;
}

}  // namespace veska
