// The batch run: the second pass over a batch file that has passed
// validation. For each entry it loads the input image, sets the entry's
// cursor pair on every channel plane, processes the whole image with the
// Batch scanline count, saves the result under the output name, and appends
// one log line per step:
//
//   Reading input file <input>
//   Processing <input> completed successfully
//   <output> saved successfully
//   ----------------------------
//
// Every line ends with CR CR LF. The first entry that cannot be loaded,
// processed or saved ends the run with its error line; load and save
// failures are shown through the error reporter before that line appears.
#pragma once

#include <cstdint>
#include <string>

#include "engine/progress.h"

namespace veska {

class ChannelStore;

// The end of every log line.
constexpr char kBatchLineEnd[] = "\r\r\n";

// Where the run's log goes: the batch dialog, the command line's output, or
// a test's memory. Each call brings one complete line, its end included.
class BatchLog {
 public:
  virtual ~BatchLog() = default;
  virtual void Append(const std::string& line) = 0;
};

// A log kept as one text, the way the batch dialog shows it.
class TextBatchLog final : public BatchLog {
 public:
  void Append(const std::string& line) override { text_ += line; }
  const std::string& Text() const { return text_; }

 private:
  std::string text_;
};

enum class BatchRunResult {
  kCompleted,     // every entry up to the end of the file was run
  kEntryFailed,   // an entry's load, processing (a cancel included) or save failed
  kFormatError,   // a line lacked a field: the file changed after validation
  kUnreadable,    // the batch file could not be opened or read to its end
};

// Runs every entry of the batch file at `batchPath` with `scanlines` per
// octant, showing the engine's progress on `progress` (nullptr for none).
BatchRunResult RunBatch(const std::string& batchPath, uint16_t scanlines, BatchLog& log,
                        ProgressSink* progress = nullptr);

// Gives every plane of `store` the big cursor, then every plane the small
// cursor, each taken as an unsigned 16-bit value, whatever the luminance mode.
void SetCursorPairOnEveryPlane(ChannelStore& store, int32_t big, int32_t small);

}  // namespace veska
