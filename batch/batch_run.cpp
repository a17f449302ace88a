#include "batch/batch_run.h"

#include "batch/batch_file.h"
#include "engine/channel_store.h"
#include "image/aimage.h"
#include "image/image_file.h"
#include "image/image_process.h"
#include "image/prompter.h"
#include "imagelib/status.h"

namespace veska {
namespace {

constexpr char kSeparatorLine[] = "----------------------------";

void AppendLine(BatchLog& log, const std::string& text) { log.Append(text + kBatchLineEnd); }

// One entry: load, process, save. False at the first failing step, after its
// error line has been logged.
bool RunEntry(const BatchEntry& entry, uint16_t scanlines, AImage& input, BatchLog& log,
              ProgressSink* progress) {
  LoadOptions options;
  int status = AskLoadOptions(entry.inputName, options);
  if (status == status::kOk) status = Load(input, entry.inputName, options);
  if (status != status::kOk) {
    log.Failure(status);
    AppendLine(log, "Error reading input file " + entry.inputName);
    return false;
  }
  AppendLine(log, "Reading input file " + entry.inputName);

  SetCursorPairOnEveryPlane(input.Channels(), entry.bigCursor, entry.smallCursor);
  AImage output;
  ProcessRequest request;
  request.scanlines = scanlines;
  request.progress = progress;
  status = ProcessImage(output, input, request);
  if (status != status::kOk) {
    log.Failure(status);
    AppendLine(log, "Error processing input file " + entry.inputName);
    return false;
  }
  AppendLine(log, "Processing " + entry.inputName + " completed successfully");

  status = Save(output, entry.outputName);
  if (status != status::kOk) {
    log.Failure(status);
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
  AImage input;
  int readStatus = kBatchEntryRead;
  std::string message;
  while (batch.ReadEntry(&readStatus, &message)) {
    if (!RunEntry(batch.Entry(), scanlines, input, log, progress))
      return BatchRunResult::kEntryFailed;
  }
  if (readStatus == kBatchFormatError) {
    AppendLine(log, message);
    return BatchRunResult::kFormatError;
  }
  return batch.ReadFailed() ? BatchRunResult::kUnreadable : BatchRunResult::kCompleted;
}

}  // namespace veska
