// Small synthetic images and a recording error reporter for the engine and
// image tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "codec_test_support.h"
#include "imagelib/image_desc.h"
#include "imagelib/pixel_access.h"
#include "imagelib/status.h"

namespace veska::fixtures {

// Pixel value at (x, y), y from the top: a grey level, or R | G << 8 | B << 16.
using PixelFn = std::function<uint32_t(int x, int y)>;

inline uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) { return r | g << 8 | b << 16; }

// A buffer freed when the fixture goes out of scope.
using ScopedDesc = test::Image;

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

}  // namespace veska::fixtures
