// Pixel mixing of two images, channel by channel.

#include <algorithm>
#include <cstdlib>

#include "imagelib/image_ops.h"
#include "imagelib/pixel_access.h"
#include "imagelib/status.h"

namespace veska {
namespace {

struct MixRule {
  bool subtract;
  int primaryWeight;    // |w1|
  int secondaryWeight;  // |w2|

  uint8_t operator()(int p, int s) const {
    if (subtract) {
      const int v = p * 100 - s * secondaryWeight;
      return uint8_t(v < 0 ? 0 : v / 100);
    }
    const int v = (p * primaryWeight + s * secondaryWeight) / 100;
    return uint8_t(v > 255 ? 255 : v);
  }
};

int ValidateMix(ImageDesc& primary, ImageDesc& secondary, ImageDesc& destination) {
  int rc = pixel::ValidatePair8_24(primary, secondary);
  if (rc == status::kOk) rc = pixel::ValidatePair8_24(primary, destination);
  if (rc != status::kOk) return rc;
  // Colour-table indices carry no values that could be mixed.
  if (primary.BitsPerPixel() == 8 && (!IsGrayscale(primary) || !IsGrayscale(secondary)))
    return status::kBitsPerPixel;
  if (pixel::OverlapsUnsafely(primary, destination) ||
      pixel::OverlapsUnsafely(secondary, destination))
    return status::kRange;
  return status::kOk;
}

}  // namespace

int MixPixels(ImageDesc& primary, ImageDesc& secondary, ImageDesc& destination,
              int primaryWeight, int secondaryWeight, unsigned primaryChannels,
              unsigned secondaryChannels) {
  if (primaryWeight < -100 || primaryWeight > 100 || secondaryWeight < -100 ||
      secondaryWeight > 100)
    return status::kRange;
  int rc = ValidateMix(primary, secondary, destination);
  if (rc != status::kOk) return rc;
  const MixRule rule{primaryWeight < 0 || secondaryWeight < 0, std::abs(primaryWeight),
                     std::abs(secondaryWeight)};
  int w = 0, h = 0;
  RectExtent(primary, secondary, w, h);
  w = std::min(w, pixel::RectWidth(destination));
  h = std::min(h, pixel::RectHeight(destination));
  const int bytes = primary.BitsPerPixel() / 8;
  for (int y = 0; y < h; ++y) {
    const uint8_t* p = primary.Row(int(primary.top) + y) + size_t(primary.left) * bytes;
    const uint8_t* s = secondary.Row(int(secondary.top) + y) + size_t(secondary.left) * bytes;
    uint8_t* out = destination.Row(int(destination.top) + y) + size_t(destination.left) * bytes;
    for (int i = 0; i < w * bytes; ++i) {
      // Bytes run blue, green, red; channel k is red, green, blue.
      const int channel = bytes == 1 ? 0 : 2 - i % 3;
      const int pv = (primaryChannels >> channel & 1) ? p[i] : 0;
      const int sv = (secondaryChannels >> channel & 1) ? s[i] : 0;
      out[i] = rule(pv, sv);
    }
  }
  CopyColourTable(primary, destination);
  return status::kOk;
}

}  // namespace veska
