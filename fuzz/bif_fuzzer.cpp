// The BIF reader on any bytes with any typed size: it fills what the file
// holds and never reads or writes past the buffer.
#include <algorithm>

#include "fuzz_file.h"
#include "image/bif_file.h"
#include "imagelib/image_desc.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const int width = 1 + data[0] % 97, height = 1 + data[1] % 61;
  static const std::string path = veska::fuzz::ScratchPath("raw.bif");
  if (!veska::fuzz::WriteScratch(path, data + 2, size - 2)) return 0;
  veska::ImageDesc desc;
  if (veska::Allocate(desc, width, height, 8) != 0) return 0;
  veska::fuzz::Require(veska::BifRead(path, desc) == 0, "a BIF file reads");
  // Row y holds the bytes from y * width on, the rest is black.
  const size_t body = size - 2;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const size_t at = size_t(y) * size_t(width) + size_t(x);
      veska::fuzz::Require(desc.Row(y)[x] == (at < body ? data[2 + at] : 0), "BIF pixel");
    }
  veska::Free(desc);
  return 0;
}
