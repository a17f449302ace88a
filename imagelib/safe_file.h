// Writes a file without ever leaving a half-written one behind.
//
// The data goes into a temporary file in the target's folder; only after a
// complete write, flushed to the disk, is it renamed over the target. A write
// that fails removes the temporary file and leaves any existing target byte
// for byte as it was. Every image writer goes through this class.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdio>
#include <string>

namespace veska {

class SafeFile {
 public:
  SafeFile() = default;
  SafeFile(const SafeFile&) = delete;
  SafeFile& operator=(const SafeFile&) = delete;
  // An uncommitted write is abandoned.
  ~SafeFile();

  // Creates the temporary file for `target`. kCannotCreate ("Cannot create file") when
  // the folder does not exist or is not writable, or when the target exists
  // but is not a writable regular file. The folder is never created.
  int Open(const std::string& target);

  // A buffered stream over the temporary file that reads, writes and seeks;
  // libraries that take a FILE* write through it. Null unless open.
  FILE* stream() const { return stream_; }

  // Writes `size` bytes at the stream position; kDiskFull when not all were written.
  int Write(const void* data, size_t size);

  // Flushes and syncs the temporary file, gives it the target's mode (the
  // existing file's, or 0666 less the umask for a new one) and renames it over
  // the target. kDiskFull when any step fails or an earlier write failed; the
  // temporary file is then removed and the target left untouched.
  int Commit();

  // Closes and removes the temporary file; the target stays as it was.
  void Abandon();

  // Makes every SafeFile opened afterwards on this thread fail its writes once
  // `bytes` bytes have gone to the disk, as a full disk would; a negative value
  // lifts the limit. For tests of the failure paths.
  static void SetWriteLimitForTesting(long long bytes);

  // Replaces the call that puts the temporary file's data on the disk (fsync)
  // for every SafeFile on this thread; null restores it. For tests that watch
  // when the data is synced, or make the sync fail.
  static void SetSyncForTesting(int (*sync)(int fd));

 private:
  friend struct SafeFileIo;

  int fd_ = -1;
  FILE* stream_ = nullptr;
  std::string target_;
  std::string temp_;
  mode_t mode_ = 0;
  long long written_ = 0;
  long long limit_ = -1;
};

}  // namespace veska
