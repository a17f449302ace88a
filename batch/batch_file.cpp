#include "batch/batch_file.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <string_view>

namespace veska {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string Trimmed(std::string_view text) {
  size_t first = 0;
  size_t last = text.size();
  while (first < last && IsBlank(text[first])) ++first;
  while (last > first && IsBlank(text[last - 1])) --last;
  return std::string(text.substr(first, last - first));
}

// Decimal conversion of the start of `text`: white space, one optional sign,
// digits up to the first other character. No digits gives 0; the value wraps
// modulo 2^32.
int32_t DecimalValue(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  uint32_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
    value = value * 10u + uint32_t(text[i] - '0');
  if (negative) value = 0u - value;
  return static_cast<int32_t>(value);
}

// Takes the field starting at *pos: the characters up to the next separator
// or the end of the line, consuming the separator. False when the line's text
// has already ended at *pos, i.e. the field is missing.
bool ScanField(std::string_view line, size_t* pos, std::string_view* field) {
  if (*pos >= line.size()) return false;
  size_t end = line.find(CBatchFile::kSeparator, *pos);
  if (end == std::string_view::npos) end = line.size();
  *field = line.substr(*pos, end - *pos);
  *pos = end < line.size() ? end + 1 : end;
  return true;
}

std::string FormatError(const char* what, std::string_view line) {
  return std::string(what) + " Format Error,'" + std::string(line) + "'";
}

bool FileHasStatus(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

// The same test the image loader's probe makes: the file opens for reading.
bool FileOpensForReading(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  std::fclose(file);
  return true;
}

}  // namespace

std::string CursorPairProblem(int32_t big, int32_t small) {
  char text[96];
  if (big <= small) {
    std::snprintf(text, sizeof text, "Big Cursor must be larger than Small Cursor '%d', '%d'",
                  big, small);
  } else if (big % 2 == 0 || small % 2 == 0) {
    std::snprintf(text, sizeof text, "Cursor must be odd '%d'", big % 2 == 0 ? big : small);
  } else if (big < 1 || big > kBatchMaxCursor || small < 1 || small > kBatchMaxCursor) {
    bool bigOut = big < 1 || big > kBatchMaxCursor;
    std::snprintf(text, sizeof text, "Cursor must be between 1 and %d '%d'", kBatchMaxCursor,
                  bigOut ? big : small);
  } else {
    return std::string();
  }
  return text;
}

FileOpenStatus CBatchFile::Open(const std::string& path) {
  Close();
  auto file = std::make_unique<FileByteSource>();
  FileOpenStatus status = file->Open(path);
  if (status == FileOpenStatus::kOk) source_ = std::move(file);
  return status;
}

void CBatchFile::OpenBytes(std::string bytes) {
  Close();
  source_ = std::make_unique<MemoryByteSource>(std::move(bytes));
}

void CBatchFile::Close() {
  source_.reset();
}

int CBatchFile::ReadLine(char* buffer, int capacity) {
  if (capacity < 0) capacity = 0;
  int count = 0;
  while (count < capacity) {
    int c = source_ != nullptr ? source_->Next() : -1;
    if (c < 0) {
      if (source_ != nullptr && source_->Failed()) readFailed_ = true;
      break;
    }
    if (c == '\n') {
      if (count > 0 && buffer[count - 1] == '\r') --count;
      break;
    }
    buffer[count++] = static_cast<char>(c);
  }
  buffer[count] = '\0';
  return count;
}

bool CBatchFile::ReadEntry(int* readStatus, std::string* message) {
  do {
    ReadLine(line_, kLineCapacity);
  } while (line_[0] == kComment);
  if (line_[0] == '\0') {
    readStatus_ = *readStatus = kBatchEnd;
    return false;
  }
  bool ok = ParseLine(message);
  readStatus_ = *readStatus = ok ? kBatchEntryRead : kBatchFormatError;
  return ok;
}

bool CBatchFile::ParseLine(std::string* message) {
  // The line's text ends at its first zero byte, like the buffer it is read into.
  std::string_view line(line_, std::strlen(line_));
  size_t pos = 0;
  std::string_view field;
  entry_.inputName.clear();
  if (!ScanField(line, &pos, &field)) {
    *message = FormatError("Input Filename", line);
    return false;
  }
  entry_.inputName = Trimmed(field);
  if (!ScanField(line, &pos, &field)) {
    *message = FormatError("Big Cursor", line);
    return false;
  }
  entry_.bigCursor = DecimalValue(field);
  if (!ScanField(line, &pos, &field)) {
    *message = FormatError("Small Cursor", line);
    return false;
  }
  entry_.smallCursor = DecimalValue(field);
  entry_.outputName.clear();
  if (!ScanField(line, &pos, &field)) {
    *message = FormatError("Output Filename", line);
    return false;
  }
  entry_.outputName = Trimmed(field);
  return true;
}

bool CBatchFile::ValidateBatch(std::string* message) {
  int status = kBatchEntryRead;
  while (ReadEntry(&status, message)) {
    std::string problem;
    if (!FileHasStatus(entry_.inputName)) {
      problem = "Input File '" + entry_.inputName + "' does not exist";
    } else if (!FileOpensForReading(entry_.inputName)) {
      // No text of its own: the message is the line feed and the line.
    } else {
      problem = CursorPairProblem(entry_.bigCursor, entry_.smallCursor);
      if (problem.empty()) continue;
    }
    *message = problem + "\n" + Line();
    return false;
  }
  return status == kBatchEnd;
}

std::string BatchFileProblem(const std::string& path) {
  const std::string quoted = "Batch File '" + path + "'";
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return quoted + " does not exist";
  CBatchFile batch;
  switch (batch.Open(path)) {
    case FileOpenStatus::kOk:
      break;
    case FileOpenStatus::kNotFound:
      return quoted + " does not exist";
    case FileOpenStatus::kIsDirectory:
      return quoted + " is a folder, not a batch file";
    case FileOpenStatus::kNotReadable:
      return quoted + " cannot be opened for reading";
  }
  std::string message;
  const bool valid = batch.ValidateBatch(&message);
  if (batch.ReadFailed()) return quoted + " could not be read";
  if (!valid) return "'" + message + "'";
  return {};
}

}  // namespace veska
