// One channel of an image as the engine sees it: a luminance matrix with its
// cursor sizes and statistics, plus the flags that decide how the channel is
// processed.
#pragma once

#include <cstdint>

#include "engine/luminance_matrix.h"

namespace veska {

// The big cursor size of a plane that has not been sized yet.
constexpr uint16_t kUnsetBigCursor = 65534;

class ChannelPlane {
 public:
  ChannelPlane() = default;
  ChannelPlane(const ChannelPlane&) = delete;
  ChannelPlane& operator=(const ChannelPlane&) = delete;
  virtual ~ChannelPlane() = default;

  // Frees the matrix (geometry and statistics stay) and restores the default
  // cursors and flags: small 1, big 65534, last-used 0, enabled, not flat,
  // full range.
  bool Reset();
  // Reset, then a zeroed matrix for a width x height image area (see
  // LuminanceMatrix::Allocate for kOverwritten).
  bool AllocateMatrix(int width, int height, InitialContents cells = InitialContents::kZeroed);
  // Reset, then a zeroed matrix of the current image-area size.
  bool ReallocateMatrix();
  // Small 1 and big the smallest odd size that covers the value range (at
  // least 3, at most 65535): 257 for a full 8-bit range.
  void DefaultCursors();
  // A flat (constant) plane is not processed: setting it clears enabled and
  // full range.
  void SetFlat(bool flat);

  LuminanceMatrix& Matrix() { return matrix_; }
  const LuminanceMatrix& Matrix() const { return matrix_; }

  uint16_t SmallCursor() const { return matrix_.smallSize; }
  uint16_t BigCursor() const { return matrix_.bigSize; }
  void SetCursors(uint16_t small, uint16_t big) {
    matrix_.smallSize = small;
    matrix_.bigSize = big;
  }
  // The sizes this plane's data were last processed with.
  uint16_t LastSmall() const { return lastSmall_; }
  uint16_t LastBig() const { return lastBig_; }
  void SetLastUsed(uint16_t small, uint16_t big) {
    lastSmall_ = small;
    lastBig_ = big;
  }
  uint16_t Max() const { return matrix_.max; }
  uint16_t Min() const { return matrix_.min; }
  void SetStatistics(uint16_t max, uint16_t min) {
    matrix_.max = max;
    matrix_.min = min;
  }
  int Width() const { return matrix_.w; }
  int Height() const { return matrix_.h; }
  // Records the image-area size without allocating (used before a rebuild).
  void SetSize(int width, int height) {
    matrix_.w = uint16_t(width);
    matrix_.h = uint16_t(height);
  }
  int Side() const { return matrix_.side; }

  bool Enabled() const { return enabled_; }
  // True when the matrix holds the channel's values: the plane is enabled, or
  // it is disabled only because its values are constant.
  bool HasValues() const { return enabled_ || flat_; }
  void SetEnabled(bool enabled) { enabled_ = enabled; }
  bool Flat() const { return flat_; }
  bool FullRange() const { return fullRange_; }
  void SetFullRange(bool fullRange) { fullRange_ = fullRange; }

 private:
  LuminanceMatrix matrix_;
  uint16_t reserved_ = 0;
  uint16_t lastSmall_ = 0;
  uint16_t lastBig_ = 0;
  bool enabled_ = true;
  bool flat_ = false;
  bool fullRange_ = true;
};

}  // namespace veska
