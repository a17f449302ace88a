// Sources of bytes for the batch file reader: a file opened read-only in
// binary mode, or a block of bytes held in memory. The reader takes one byte
// at a time and never rewinds.
#pragma once

#include <cstdio>
#include <string>
#include <utility>

namespace veska {

class ByteSource {
 public:
  virtual ~ByteSource() = default;

  // The next byte (0..255), or -1 at the end of the data or after a read
  // failure.
  virtual int Next() = 0;
  // True once a read of the underlying storage has failed, as opposed to
  // reaching its end.
  virtual bool Failed() const { return false; }
};

// Bytes held in memory (a copy of the text given).
class MemoryByteSource final : public ByteSource {
 public:
  explicit MemoryByteSource(std::string bytes) : bytes_(std::move(bytes)) {}
  int Next() override;

 private:
  std::string bytes_;
  size_t pos_ = 0;
};

// How opening a file for reading went.
enum class FileOpenStatus {
  kOk,
  kNotFound,     // no such file
  kIsDirectory,  // the path names a folder
  kNotReadable,  // exists but cannot be opened for reading (permission, ...)
};

// A file read through a buffered stream, binary, no line-end translation.
class FileByteSource final : public ByteSource {
 public:
  FileByteSource() = default;
  FileByteSource(const FileByteSource&) = delete;
  FileByteSource& operator=(const FileByteSource&) = delete;
  ~FileByteSource() override { Close(); }

  // Opens `path` read-only. A folder opens on some systems and then fails at
  // its first read; it is refused here so that it never reads as empty.
  FileOpenStatus Open(const std::string& path);
  // Closes the file; Failed() keeps its answer until the next Open.
  void Close();
  int Next() override;
  bool Failed() const override { return failed_; }

 private:
  std::FILE* file_ = nullptr;
  bool failed_ = false;
};

}  // namespace veska
