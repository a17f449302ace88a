// The batch file: a plain text file listing one processing job per line,
//
//   input file name, big cursor, small cursor, output file name
//
// with ";" in the first column marking a comment and an empty line ending the
// file. CBatchFile reads such a file forward, one entry at a time, and checks
// a whole file before any of its jobs is run (ValidateBatch).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "batch/byte_source.h"

namespace veska {

// One job of a batch file: the current entry held by the reader.
struct BatchEntry {
  std::string inputName;  // surrounding white space removed
  int32_t bigCursor = 0;
  int32_t smallCursor = 0;
  std::string outputName;  // surrounding white space removed
};

// Read status of the last ReadEntry.
constexpr int kBatchEntryRead = 0;
constexpr int kBatchEnd = -1;
constexpr int kBatchFormatError = 1;

// The widest cursor the engine's 16-bit planes hold; validation refuses
// cursors outside 1..kBatchMaxCursor.
constexpr int32_t kBatchMaxCursor = 65535;

// The first failing check of a cursor pair, in the order big > small, both
// odd, both in 1..kBatchMaxCursor, as the message validation shows; an empty
// text when the pair passes. The command line checks its pairs the same way.
std::string CursorPairProblem(int32_t big, int32_t small);

// Pass 1 over the batch file at `path`: it exists, opens and reads, and every
// entry passes ValidateBatch. An empty text when it does; otherwise the
// message that refuses the file ("Batch File '%s' does not exist", or the
// failing entry's message between single quotes). A folder or an unreadable
// file is refused as such and never reads as an empty batch.
std::string BatchFileProblem(const std::string& path);

class CBatchFile {
 public:
  // Characters of one line; a longer physical line continues as a new line.
  static constexpr int kLineCapacity = 80;
  static constexpr char kComment = ';';
  static constexpr char kSeparator = ',';

  CBatchFile() = default;
  CBatchFile(const CBatchFile&) = delete;
  CBatchFile& operator=(const CBatchFile&) = delete;

  // Opens the named file read-only and binary. Anything but kOk leaves the
  // reader without a source; a folder or an unreadable file is reported as
  // such and never reads as an empty batch.
  FileOpenStatus Open(const std::string& path);
  // Reads the given bytes instead of a file.
  void OpenBytes(std::string bytes);
  void Close();

  // Reads one line into `buffer` (room for `capacity` characters plus the
  // terminating zero): bytes up to the next line feed, a carriage return just
  // before it dropped, at most `capacity` characters. Returns 0 at the end of
  // the data and for an empty line, otherwise the number of characters taken.
  int ReadLine(char* buffer, int capacity);

  // Reads the next entry, skipping comment lines. True with status
  // kBatchEntryRead when an entry was read; false with kBatchEnd at the end of
  // the file or an empty line; false with kBatchFormatError and the format
  // error text in `message` when the line lacks a field.
  bool ReadEntry(int* readStatus, std::string* message);

  // Checks every entry from the current position to the end: the input file
  // exists and opens for reading, big > small, both odd and in 1..65535.
  // False at the first bad entry, with its message in `message`. A read
  // failure of the file ends the pass like the end of the file; callers ask
  // ReadFailed() to tell the two apart.
  bool ValidateBatch(std::string* message);

  const std::string& InputName() const { return entry_.inputName; }
  int32_t BigCursor() const { return entry_.bigCursor; }
  int32_t SmallCursor() const { return entry_.smallCursor; }
  const std::string& OutputName() const { return entry_.outputName; }
  const BatchEntry& Entry() const { return entry_; }
  // The text of the line last read, exactly as read.
  std::string Line() const { return std::string(line_); }
  int ReadStatus() const { return readStatus_; }
  // True when the reading stopped at a read failure of the file rather than
  // at its end; the entries seen so far are then not the whole file.
  bool ReadFailed() const { return readFailed_; }

 private:
  bool ParseLine(std::string* message);

  std::unique_ptr<ByteSource> source_;
  char line_[kLineCapacity + 1] = {};
  BatchEntry entry_;
  int readStatus_ = kBatchEnd;
  bool readFailed_ = false;
};

}  // namespace veska
