// Shared by the codec, engine and image tests: a private temporary folder,
// owned image buffers with test patterns, a recording error reporter, and
// file helpers.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "imagelib/image_desc.h"
#include "imagelib/pixel_access.h"
#include "imagelib/status.h"

namespace veska::test {

namespace fs = std::filesystem;

// A uniquely named folder under the system's temporary folder, removed with
// everything in it at the end of the test.
class TempDir {
 public:
  TempDir() {
    static std::atomic<int> counter{0};
    path_ = fs::temp_directory_path() /
            ("veska-codec-" + std::to_string(getpid()) + "-" + std::to_string(counter++) + "-" +
             std::to_string(std::rand()));
    fs::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  // Names of the entries in the folder (to find stray temporary files).
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(path_)) names.push_back(e.path().filename());
    return names;
  }
  // True when no hidden (temporary) file is left in the folder.
  bool Clean() const {
    for (const std::string& name : Entries())
      if (name[0] == '.') return false;
    return true;
  }

 private:
  fs::path path_;
};

// An allocated descriptor freed at the end of the scope, its pixels
// optionally set to value(x, y) (y from the top).
struct Image {
  ImageDesc d;
  Image() = default;
  Image(int width, int height, int bits) { EXPECT_EQ(Allocate(d, width, height, bits), 0); }
  Image(int width, int height, int bits, const std::function<uint32_t(int, int)>& value)
      : Image(width, height, bits) {
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) SetPixelValue(d, x, y, value(x, y));
  }
  ~Image() { Free(d); }
  Image(const Image&) = delete;
  Image& operator=(const Image&) = delete;
};

// Reads a file the way the loader does: the information call first, then a
// buffer of the reported size, then the read.
template <typename Info>
int LoadFile(const std::string& path, Image& image, Info& info,
             int (*information)(const std::string&, Info&),
             int (*read)(const std::string&, ImageDesc&)) {
  if (int rc = information(path, info)) return rc;
  if (int rc = Allocate(image.d, info.width, info.height, info.bitsPerPixel)) return rc;
  return read(path, image.d);
}

// A smooth pattern (so that lossy coders stay close) with some detail; it
// stays within 0..255 for images up to 64 x 40.
inline void FillPattern(ImageDesc& d) {
  const int bytes = d.BitsPerPixel() == 1 ? 0 : d.BitsPerPixel() / 8;
  for (int y = 0; y < d.Height(); ++y) {
    uint8_t* row = d.Row(y);
    if (bytes == 0) {
      for (uint32_t i = 0; i < d.stride; ++i) row[i] = uint8_t(0x5A ^ (y * 37) ^ i);
      continue;
    }
    for (int x = 0; x < d.Width() * bytes; ++x) {
      const int px = x / bytes, channel = x % bytes;
      row[x] = uint8_t((px * 4 + y * 3) / 2 + channel * 30 + px * y % 5);
    }
  }
}

// The largest difference between two buffers' bytes over their common area.
inline int MaxDiff(const ImageDesc& a, const ImageDesc& b) {
  int worst = 0;
  const int bytes = std::min(a.Width(), b.Width()) * a.BitsPerPixel() / 8;
  for (int y = 0; y < std::min(a.Height(), b.Height()); ++y)
    for (int x = 0; x < bytes; ++x) worst = std::max(worst, std::abs(a.Row(y)[x] - b.Row(y)[x]));
  return worst;
}

// Collects what would be shown to the user while installed.
class RecordingReporter : public ErrorReporter {
 public:
  RecordingReporter() { previous_ = Install(this); }
  ~RecordingReporter() override { Install(previous_); }
  std::vector<std::string> shown;

 protected:
  void Show(const std::string& text) override { shown.push_back(text); }

 private:
  ErrorReporter* previous_;
};

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// Writes the first `keep` bytes of `from` to `to`.
inline void Truncate(const std::string& from, const std::string& to, size_t keep) {
  std::vector<uint8_t> bytes = ReadBytes(from);
  bytes.resize(std::min(keep, bytes.size()));
  WriteBytes(to, bytes);
}

}  // namespace veska::test
