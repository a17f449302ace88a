// An owned, uninitialised array of trivially copyable elements whose first
// element sits on a 64-byte boundary, so that any row update build (plain or
// vector) may load whole blocks from the start of a plane. Allocation never
// throws: Allocate reports failure instead.
#pragma once

#include <cstddef>
#include <new>
#include <type_traits>

namespace veska {

template <typename T>
class AlignedArray {
  static_assert(std::is_trivially_copyable_v<T>, "plain element types only");

 public:
  static constexpr std::size_t kAlignment = 64;

  AlignedArray() = default;
  AlignedArray(const AlignedArray&) = delete;
  AlignedArray& operator=(const AlignedArray&) = delete;
  ~AlignedArray() { Reset(); }

  // Frees any previous block and allocates `count` elements. False when the
  // size overflows or memory is short; the array is then empty.
  bool Allocate(std::size_t count) {
    Reset();
    if (count == 0) count = 1;  // a valid, freeable block even for no elements
    if (count > static_cast<std::size_t>(-1) / sizeof(T)) return false;
    data_ = static_cast<T*>(::operator new(count * sizeof(T), std::align_val_t(kAlignment),
                                           std::nothrow));
    if (data_ == nullptr) return false;
    size_ = count;
    return true;
  }

  void Reset() {
    if (data_ != nullptr) ::operator delete(data_, std::align_val_t(kAlignment));
    data_ = nullptr;
    size_ = 0;
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
};

}  // namespace veska
