// Runs a reader's information and read calls on a fuzzer's bytes through a
// memory stream. The buffer is at most 512 x 512, so large declared sizes
// exercise the clipping instead of the allocator.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "imagelib/image_desc.h"

namespace veska {

template <typename Info, typename InfoFn, typename ReadFn>
void RunReader(const uint8_t* data, size_t size, InfoFn information, ReadFn read) {
  if (size == 0) return;
  FILE* file = fmemopen(const_cast<uint8_t*>(data), size, "rb");
  if (file == nullptr) return;
  Info info;
  ImageDesc desc;
  if (information(file, info) == 0 &&
      Allocate(desc, std::min(info.width, 512), std::min(info.height, 512), info.bitsPerPixel) ==
          0) {
    read(file, desc);
    Free(desc);
  }
  std::fclose(file);
}

}  // namespace veska
