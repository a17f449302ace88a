#include "batch/byte_source.h"

#include <sys/stat.h>

#include <cerrno>

namespace veska {

int MemoryByteSource::Next() {
  if (pos_ >= bytes_.size()) return -1;
  return static_cast<unsigned char>(bytes_[pos_++]);
}

FileOpenStatus FileByteSource::Open(const std::string& path) {
  Close();
  failed_ = false;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    if (errno == ENOENT || errno == ENOTDIR) return FileOpenStatus::kNotFound;
    if (errno == EISDIR) return FileOpenStatus::kIsDirectory;
    return FileOpenStatus::kNotReadable;
  }
  struct stat info;
  if (fstat(fileno(file), &info) != 0) {
    std::fclose(file);
    return FileOpenStatus::kNotReadable;
  }
  if (S_ISDIR(info.st_mode)) {
    std::fclose(file);
    return FileOpenStatus::kIsDirectory;
  }
  file_ = file;
  return FileOpenStatus::kOk;
}

void FileByteSource::Close() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
}

int FileByteSource::Next() {
  if (file_ == nullptr) return -1;
  int c = std::getc(file_);
  if (c == EOF) {
    if (std::ferror(file_)) failed_ = true;
    return -1;
  }
  return c;
}

}  // namespace veska
