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
// processed or saved ends the run with its error line; the failure's status
// goes to the log's Failure just before that line. The run itself reports
// nothing and asks nothing but the prompter's load options (a BIF input's
// size), before each load, so it can run on a worker thread whose front end
// passes both on to the thread that shows them.
#pragma once

#include <cstdint>
#include <string>

#include "engine/channel_store.h"
#include "engine/progress.h"

namespace veska {

// The end of every log line.
constexpr char kBatchLineEnd[] = "\r\r\n";

// Where the run's log goes: the batch dialog, the command line's output, or
// a test's memory. Each call brings one complete line, its end included.
class BatchLog {
 public:
  virtual ~BatchLog() = default;
  virtual void Append(const std::string& line) = 0;
  // The status of a failed load, processing run or save, just before its
  // error line: the front end shows it (the command line through the error
  // reporter). A cancel comes as kCancelled, which shows nothing.
  virtual void Failure(int /*status*/) {}
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

}  // namespace veska
