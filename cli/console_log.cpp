#include "cli/console_log.h"

#include <cstring>

namespace veska::cli {

std::string WithoutLineEnd(const std::string& line) {
  const size_t endLength = std::strlen(kBatchLineEnd);
  if (line.size() >= endLength && line.compare(line.size() - endLength, endLength,
                                               kBatchLineEnd) == 0)
    return line.substr(0, line.size() - endLength);
  return line;
}

void ConsoleBatchLog::Append(const std::string& line) {
  std::string text = WithoutLineEnd(line);
  std::fwrite(text.data(), 1, text.size(), out_);
  std::fputc('\n', out_);
  std::fflush(out_);
  if (file_ == nullptr || fileFailed_) return;
  if (std::fwrite(line.data(), 1, line.size(), file_) != line.size() || std::fflush(file_) != 0)
    fileFailed_ = true;
}

}  // namespace veska::cli
