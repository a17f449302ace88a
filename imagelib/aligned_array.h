// An owned, uninitialised array of trivially copyable elements whose first
// element sits on a 64-byte boundary, so that any row update build (plain or
// vector) may load whole blocks from the start of a plane. Allocation never
// throws: Allocate reports failure instead. Large arrays come from and return
// to the block cache (block_cache.h), so their memory is reused by the next
// run rather than touched afresh.
#pragma once

#include <cstddef>
#include <type_traits>
#include <utility>

#include "imagelib/block_cache.h"

namespace veska {

template <typename T>
class AlignedArray {
  static_assert(std::is_trivially_copyable_v<T>, "plain element types only");

 public:
  static constexpr std::size_t kAlignment = kBlockAlignment;

  AlignedArray() = default;
  AlignedArray(const AlignedArray&) = delete;
  AlignedArray& operator=(const AlignedArray&) = delete;
  AlignedArray(AlignedArray&& other) noexcept { *this = std::move(other); }
  AlignedArray& operator=(AlignedArray&& other) noexcept {
    if (this != &other) {
      Reset();
      data_ = std::exchange(other.data_, nullptr);
      size_ = std::exchange(other.size_, 0);
      capacity_ = std::exchange(other.capacity_, 0);
    }
    return *this;
  }
  ~AlignedArray() { Reset(); }

  // Frees any previous block and allocates `count` elements, in a block with
  // room for at least `room` (so that the block, once given back, can serve
  // a larger buffer). False when the size overflows or memory is short; the
  // array is then empty.
  bool Allocate(std::size_t count, std::size_t room = 0) {
    Reset();
    if (count == 0) count = 1;  // a valid, freeable block even for no elements
    const std::size_t block = room > count ? room : count;
    if (block > static_cast<std::size_t>(-1) / sizeof(T)) return false;
    data_ = static_cast<T*>(AcquireBlock(block * sizeof(T), &capacity_));
    if (data_ == nullptr) return false;
    size_ = count;
    return true;
  }

  void Reset() {
    ReleaseBlock(data_, capacity_);
    data_ = nullptr;
    size_ = 0;
    capacity_ = 0;
  }

  T* data() { return data_; }
  const T* data() const { return data_; }
  std::size_t size() const { return size_; }
  bool empty() const { return data_ == nullptr; }
  T& operator[](std::size_t i) { return data_[i]; }
  const T& operator[](std::size_t i) const { return data_[i]; }

 private:
  T* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;  // bytes of the block
};

}  // namespace veska
