#include "imagelib/safe_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "imagelib/status.h"

namespace veska {
namespace {

thread_local long long g_writeLimit = -1;
thread_local int (*g_sync)(int fd) = nullptr;

// The process umask. /proc gives it without changing it; the fallback has to
// set and restore it, which the mutex keeps from racing with itself.
mode_t CurrentUmask() {
  if (FILE* f = std::fopen("/proc/self/status", "re")) {
    char line[256];
    unsigned mask = 0;
    bool found = false;
    while (!found && std::fgets(line, sizeof line, f))
      found = std::sscanf(line, "Umask: %o", &mask) == 1;
    std::fclose(f);
    if (found) return mode_t(mask);
  }
  static std::mutex mutex;
  std::lock_guard<std::mutex> lock(mutex);
  const mode_t mask = umask(022);
  umask(mask);
  return mask;
}

// The file a write to `path` really replaces: a symbolic link is followed so
// that the link stays and the file it names gets the new contents.
std::string ResolveTarget(const std::string& path) {
  struct stat st;
  if (lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    if (char* real = realpath(path.c_str(), nullptr)) {
      std::string resolved(real);
      std::free(real);
      return resolved;
    }
  }
  return path;
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

// The stream functions of the temporary file: plain descriptor I/O plus the
// test limit on the bytes written.
struct SafeFileIo {
  static ssize_t Read(void* cookie, char* buffer, size_t size) {
    auto* self = static_cast<SafeFile*>(cookie);
    ssize_t n;
    do n = ::read(self->fd_, buffer, size);
    while (n < 0 && errno == EINTR);
    return n;
  }

  static ssize_t Write(void* cookie, const char* buffer, size_t size) {
    auto* self = static_cast<SafeFile*>(cookie);
    size_t allowed = size;
    if (self->limit_ >= 0) {
      const long long room = self->limit_ - self->written_;
      allowed = room <= 0 ? 0 : size_t(room) < size ? size_t(room) : size;
    }
    size_t done = 0;
    while (done < allowed) {
      const ssize_t n = ::write(self->fd_, buffer + done, allowed - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      done += size_t(n);
    }
    self->written_ += (long long)done;
    if (done < size) {
      if (done == allowed) errno = ENOSPC;
      return -1;
    }
    return ssize_t(done);
  }

  static int Seek(void* cookie, off64_t* offset, int whence) {
    auto* self = static_cast<SafeFile*>(cookie);
    const off_t result = ::lseek(self->fd_, off_t(*offset), whence);
    if (result < 0) return -1;
    *offset = result;
    return 0;
  }

  static int Close(void*) { return 0; }  // the descriptor is closed by SafeFile
};

void SafeFile::SetWriteLimitForTesting(long long bytes) { g_writeLimit = bytes; }

void SafeFile::SetSyncForTesting(int (*sync)(int fd)) { g_sync = sync; }

SafeFile::~SafeFile() { Abandon(); }

int SafeFile::Open(const std::string& target) {
  Abandon();
  if (target.empty()) return status::kCannotCreate;
  target_ = ResolveTarget(target);

  struct stat st;
  if (stat(target_.c_str(), &st) == 0) {
    if (!S_ISREG(st.st_mode) || access(target_.c_str(), W_OK) != 0) return status::kCannotCreate;
    mode_ = st.st_mode & 07777;
  } else if (errno == ENOENT) {
    mode_ = 0666 & ~CurrentUmask();
  } else {
    return status::kCannotCreate;
  }

  // A hidden name beside the target, short enough for any file-name limit.
  temp_ = FolderOf(target_) + "/." + NameOf(target_).substr(0, 200) + ".XXXXXX";
  fd_ = mkostemp(temp_.data(), O_CLOEXEC);
  if (fd_ < 0) {
    temp_.clear();
    return status::kCannotCreate;
  }
  written_ = 0;
  limit_ = g_writeLimit;
  cookie_io_functions_t io{SafeFileIo::Read, SafeFileIo::Write, SafeFileIo::Seek,
                           SafeFileIo::Close};
  stream_ = fopencookie(this, "w+", io);
  if (stream_ == nullptr) {
    Abandon();
    return status::kCannotCreate;
  }
  return status::kOk;
}

int SafeFile::Write(const void* data, size_t size) {
  if (stream_ == nullptr) return status::kDiskFull;
  if (size == 0) return status::kOk;
  return std::fwrite(data, 1, size, stream_) == size ? status::kOk : status::kDiskFull;
}

int SafeFile::Commit() {
  if (stream_ == nullptr) return status::kDiskFull;
  bool ok = std::fflush(stream_) == 0 && !std::ferror(stream_);
  ok = std::fclose(stream_) == 0 && ok;
  stream_ = nullptr;
  // The data must be on the disk before the rename makes it the target: after
  // a crash the target is then either the old file or the whole new one.
  ok = ok && fchmod(fd_, mode_) == 0 && (g_sync ? g_sync(fd_) : fsync(fd_)) == 0;
  ok = ::close(fd_) == 0 && ok;
  fd_ = -1;
  ok = ok && std::rename(temp_.c_str(), target_.c_str()) == 0;
  if (!ok) {
    Abandon();
    return status::kDiskFull;
  }
  temp_.clear();
  // Make the rename itself durable; the data is already safe, so a folder
  // that cannot be synced is not an error.
  const int dir = ::open(FolderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    fsync(dir);
    ::close(dir);
  }
  return status::kOk;
}

void SafeFile::Abandon() {
  if (stream_ != nullptr) std::fclose(stream_);
  stream_ = nullptr;
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!temp_.empty()) std::remove(temp_.c_str());
  temp_.clear();
}

}  // namespace veska
