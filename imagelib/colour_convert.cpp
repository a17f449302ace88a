// Depth conversions: a colour-table image expanded to 24 bits, and a 24-bit
// image converted to grey levels.

#include <algorithm>

#include "imagelib/hls.h"
#include "imagelib/image_ops.h"
#include "imagelib/pixel_access.h"
#include "imagelib/status.h"

namespace veska {

int ExpandTo24(ImageDesc& source, ImageDesc& destination) {
  int rc = pixel::ValidateConversion(source, 8, destination, 24);
  if (rc != status::kOk) return rc;
  if (source.palette == nullptr || source.colours <= 0) return status::kRange;
  pixel::ForEachRowPair(source, destination, [&source](const uint8_t* src, uint8_t* dst, int w) {
    pixel::ExpandIndices(source, src, w, dst);
  });
  return status::kOk;
}

int Grayscale(ImageDesc& source, ImageDesc& destination) {
  int rc = pixel::ValidateConversion(source, 24, destination, 8);
  if (rc != status::kOk) return rc;
  pixel::ForEachRowPair(source, destination, [](const uint8_t* src, uint8_t* dst, int w) {
    for (int x = 0; x < w; ++x, src += 3)
      dst[x] = LightnessLevel(uint32_t(src[2]) | uint32_t(src[1]) << 8 | uint32_t(src[0]) << 16);
  });
  SetGrayPalette(destination);
  return status::kOk;
}

}  // namespace veska
