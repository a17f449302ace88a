// Small synthetic images and a recording progress sink for the engine tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/progress.h"
#include "imagelib/image_desc.h"
#include "imagelib/pixel_access.h"

namespace veska::testing {

// Pixel value at (x, y), y from the top: a grey level, or R | G << 8 | B << 16.
using PixelFn = std::function<uint32_t(int x, int y)>;

inline uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) { return r | g << 8 | b << 16; }

// A buffer freed when the fixture goes out of scope.
struct ScopedDesc {
  ImageDesc d;
  ScopedDesc() = default;
  ScopedDesc(int w, int h, int bpp, const PixelFn& value) {
    EXPECT_EQ(Allocate(d, w, h, bpp), 0);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) SetPixelValue(d, x, y, value(x, y));
  }
  ScopedDesc(const ScopedDesc&) = delete;
  ScopedDesc& operator=(const ScopedDesc&) = delete;
  ~ScopedDesc() { Free(d); }
};

// Records the texts it is given and asks to cancel at its k-th Step (never
// when cancelAt is 0).
class RecordingSink : public ProgressSink {
 public:
  explicit RecordingSink(int cancelAt = 0) : cancelAt_(cancelAt) {}
  void Create() override { ++creates; }
  void Show() override { ++shows; }
  void SetText(const std::string& text) override { texts.push_back(text); }
  bool Step() override { return ++steps == cancelAt_; }
  void Destroy() override { ++destroys; }

  std::vector<std::string> texts;
  int creates = 0, shows = 0, steps = 0, destroys = 0;

 private:
  int cancelAt_;
};

}  // namespace veska::testing
