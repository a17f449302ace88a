// The 8-bit output of one processed channel: the rectangle's rows, each of the
// rectangle's width. Row 0 holds the rectangle's bottom image row (results run
// bottom-up like the matrices they come from).
#pragma once

#include <cstdint>
#include <memory>

#include "imagelib/aligned_array.h"

namespace veska {

class ChannelResult {
 public:
  // Zeroed rows of width x height bytes (kOverwritten: undefined, for a
  // caller that writes them all); false when memory fails (the result then
  // stays empty). Large results reuse the kernel's kept blocks, whose memory
  // is already touched (block_cache.h).
  bool Allocate(int width, int height, InitialContents contents = InitialContents::kZeroed);
  void Free();
  bool Empty() const { return data_.empty(); }

  uint8_t** Rows() { return rows_.get(); }
  const uint8_t* Row(int row) const { return rows_[row]; }
  uint8_t At(int row, int column) const { return rows_[row][column]; }
  int Width() const { return width_; }
  int Height() const { return height_; }

 private:
  AlignedArray<uint8_t> data_;
  std::unique_ptr<uint8_t*[]> rows_;
  int width_ = 0;
  int height_ = 0;
};

}  // namespace veska
