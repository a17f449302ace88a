// Fuzz inputs as files: the readers of the image object open files by name,
// so each input is written to a scratch file first. Scratch files live in
// memory (/dev/shm when there is one) so that the safe writer's syncs cost
// nothing.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace veska::fuzz {

inline std::string ScratchPath(const std::string& name) {
  static const std::string folder = [] {
    const char* shm = "/dev/shm";
    const char* tmp = std::getenv("TMPDIR");
    return std::string(access(shm, W_OK) == 0 ? shm : tmp != nullptr ? tmp : "/tmp");
  }();
  return folder + "/veska-fuzz-" + std::to_string(getpid()) + "-" + name;
}

inline bool WriteScratch(const std::string& path, const uint8_t* data, size_t size) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool ok = std::fwrite(data, 1, size, file) == size;
  return std::fclose(file) == 0 && ok;
}

// Stops the fuzzer with a report when a property of the code does not hold.
inline void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "property violated: %s\n", what);
  std::abort();
}

}  // namespace veska::fuzz
