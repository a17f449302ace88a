#include "engine/channel_result.h"

#include <cstddef>
#include <cstring>
#include <new>

namespace veska {

bool ChannelResult::Allocate(int width, int height, InitialContents contents) {
  Free();
  if (width <= 0 || height <= 0) return false;
  const size_t bytes = size_t(width) * size_t(height);
  rows_.reset(new (std::nothrow) uint8_t*[size_t(height)]);
  if (!data_.Allocate(bytes) || rows_ == nullptr) {
    Free();
    return false;
  }
  if (contents == InitialContents::kZeroed) std::memset(data_.data(), 0, bytes);
  for (int y = 0; y < height; ++y) rows_[y] = data_.data() + size_t(y) * size_t(width);
  width_ = width;
  height_ = height;
  return true;
}

void ChannelResult::Free() {
  data_.Reset();
  rows_.reset();
  width_ = height_ = 0;
}

}  // namespace veska
