#include "engine/channel_result.h"

#include <cstddef>
#include <new>

namespace veska {

bool ChannelResult::Allocate(int width, int height) {
  Free();
  if (width <= 0 || height <= 0) return false;
  data_.reset(new (std::nothrow) uint8_t[size_t(width) * size_t(height)]());
  rows_.reset(new (std::nothrow) uint8_t*[size_t(height)]);
  if (data_ == nullptr || rows_ == nullptr) {
    Free();
    return false;
  }
  for (int y = 0; y < height; ++y) rows_[y] = data_.get() + size_t(y) * size_t(width);
  width_ = width;
  height_ = height;
  return true;
}

void ChannelResult::Free() {
  data_.reset();
  rows_.reset();
  width_ = height_ = 0;
}

}  // namespace veska
