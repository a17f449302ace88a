// The batch log on the command line: each line goes to the output stream as
// plain text ("\n" in place of the log's CR CR LF), flushed at once, and, when
// a log file is given, to that file byte for byte. A step's failure is shown
// through the error reporter (on stderr) before its error line.
#pragma once

#include <cstdio>
#include <string>

#include "batch/batch_run.h"
#include "imagelib/status.h"

namespace veska::cli {

class ConsoleBatchLog final : public BatchLog {
 public:
  // Neither stream is owned; `file` may be nullptr.
  ConsoleBatchLog(std::FILE* out, std::FILE* file) : out_(out), file_(file) {}
  void Append(const std::string& line) override;
  void Failure(int status) override { ErrorReporter::Get().Report(status); }
  // True once a write to the log file has failed.
  bool FileFailed() const { return fileFailed_; }

 private:
  std::FILE* out_;
  std::FILE* file_;
  bool fileFailed_ = false;
};

// `line` without its log line end (CR CR LF), or as it is when it has none.
std::string WithoutLineEnd(const std::string& line);

}  // namespace veska::cli
