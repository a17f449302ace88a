#include "batch/batch_run.h"

#include <optional>

#include "batch/batch_file.h"
#include "engine/channel_store.h"
#include "engine/process.h"
#include "image/aimage.h"
#include "image/image_file.h"
#include "imagelib/status.h"

namespace veska {
namespace {

constexpr char kSeparatorLine[] = "----------------------------";

void AppendLine(BatchLog& log, const std::string& text) { log.Append(text + kBatchLineEnd); }

// One entry: load, process, save. False at the first failing step, after its
// error line has been logged.
bool RunEntry(const BatchEntry& entry, uint16_t scanlines, AImage& input, BatchLog& log,
              ProgressSink* progress) {
  int status = Load(input, entry.inputName);
  if (status != status::kOk) {
    ErrorReporter::Get().Report(status);
    AppendLine(log, "Error reading input file " + entry.inputName);
    return false;
  }
  AppendLine(log, "Reading input file " + entry.inputName);

  SetCursorPairOnEveryPlane(input.Channels(), entry.bigCursor, entry.smallCursor);
  AImage output;
  if (!ProcessImage(output, input, std::nullopt, kAllChannels, scanlines,
                    /*rebuildLuminance=*/true, /*showProgress=*/true, progress)) {
    AppendLine(log, "Error processing input file " + entry.inputName);
    return false;
  }
  AppendLine(log, "Processing " + entry.inputName + " completed successfully");

  status = Save(output, entry.outputName);
  if (status != status::kOk) {
    ErrorReporter::Get().Report(status);
    AppendLine(log, "Error saving " + entry.outputName);
    return false;
  }
  AppendLine(log, entry.outputName + " saved successfully");
  AppendLine(log, kSeparatorLine);
  return true;
}

}  // namespace

void SetCursorPairOnEveryPlane(ChannelStore& store, int32_t big, int32_t small) {
  const int planes = store.PlaneCount();
  for (int i = 0; i < planes; ++i) store.SetCursors(i, store.SmallCursor(i), uint16_t(big));
  for (int i = 0; i < planes; ++i) store.SetCursors(i, uint16_t(small), store.BigCursor(i));
}

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
