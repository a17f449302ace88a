// Quarter turns, half turn, mirror and vertical flip of a processing rectangle.

#include <algorithm>
#include <cmath>
#include <cstring>

#include "imagelib/image_ops.h"
#include "imagelib/pixel_access.h"
#include "imagelib/status.h"

namespace veska {
namespace {

// "Function not available due to missing module": rotation by angles other
// than multiples of 90 degrees is not part of this library.
constexpr int kNotAvailable = -50;

// Copies `count` pixels starting at `sx` of `srcRow` to `dx` of `dstRow`.
void CopyRun(const uint8_t* srcRow, int sx, uint8_t* dstRow, int dx, int count, int bits) {
  if (bits == 1) {
    for (int i = 0; i < count; ++i) pixel::CopyPixel(srcRow, sx + i, dstRow, dx + i, 1);
    return;
  }
  const size_t bytes = size_t(bits / 8);
  std::memmove(dstRow + dx * bytes, srcRow + sx * bytes, count * bytes);
}

void SwapPixels(uint8_t* rowA, int a, uint8_t* rowB, int b, int bits) {
  if (bits == 1) {
    const int bitA = pixel::GetBit(rowA, a);
    pixel::SetBit(rowA, a, pixel::GetBit(rowB, b));
    pixel::SetBit(rowB, b, bitA);
    return;
  }
  const size_t bytes = size_t(bits / 8);
  std::swap_ranges(rowA + a * bytes, rowA + (a + 1) * bytes, rowB + b * bytes);
}

void MirrorInPlace(ImageDesc& desc) {
  const int bits = desc.BitsPerPixel();
  const int w = pixel::RectWidth(desc);
  const int first = int(desc.left);
  for (uint32_t y = desc.top; y <= desc.bottom; ++y) {
    uint8_t* row = desc.Row(int(y));
    for (int i = 0; i < w / 2; ++i) SwapPixels(row, first + i, row, first + w - 1 - i, bits);
  }
}

void FlipInPlace(ImageDesc& desc) {
  const int bits = desc.BitsPerPixel();
  const int w = pixel::RectWidth(desc);
  const int h = pixel::RectHeight(desc);
  const int first = int(desc.left);
  for (int y = 0; y < h / 2; ++y) {
    uint8_t* upper = desc.Row(int(desc.top) + y);
    uint8_t* lower = desc.Row(int(desc.top) + h - 1 - y);
    if (bits == 1) {
      for (int x = 0; x < w; ++x) SwapPixels(upper, first + x, lower, first + x, 1);
    } else {
      const size_t bytes = size_t(bits / 8);
      std::swap_ranges(upper + first * bytes, upper + (first + w) * bytes, lower + first * bytes);
    }
  }
}

// Mirror and flip: in place when both descriptors name one rectangle of one
// buffer, otherwise `copy(width, height, bits)` over the overlap and the
// colour table after it.
template <typename CopyFn>
int Reorient(ImageDesc& source, ImageDesc& destination, void (*inPlace)(ImageDesc&),
             CopyFn&& copy) {
  int rc = pixel::ValidatePair1_8_24(source, destination);
  if (rc != status::kOk) return rc;
  if (pixel::SameBuffer(source, destination)) {
    if (!pixel::SameRect(source, destination)) return status::kRange;
    inPlace(destination);
    return status::kOk;
  }
  int w = 0, h = 0;
  RectExtent(source, destination, w, h);
  copy(w, h, source.BitsPerPixel());
  CopyColourTable(source, destination);
  return status::kOk;
}

// A descriptor sharing `desc`'s buffer whose rectangle is narrowed to the
// first `width` x `height` pixels of its own.
ImageDesc Narrowed(const ImageDesc& desc, int width, int height) {
  ImageDesc part;
  CopyDescriptor(desc, part);
  part.right = part.left + uint32_t(width) - 1;
  part.bottom = part.top + uint32_t(height) - 1;
  return part;
}

}  // namespace

int Mirror(ImageDesc& source, ImageDesc& destination) {
  return Reorient(source, destination, MirrorInPlace,
                  [&](int w, int h, int bits) {
                    for (int y = 0; y < h; ++y) {
                      const uint8_t* src = source.Row(int(source.top) + y);
                      uint8_t* dst = destination.Row(int(destination.top) + y);
                      for (int x = 0; x < w; ++x)
                        pixel::CopyPixel(src, int(source.left) + w - 1 - x, dst,
                                         int(destination.left) + x, bits);
                    }
                  });
}

int FlipVertical(ImageDesc& source, ImageDesc& destination) {
  return Reorient(source, destination, FlipInPlace, [&](int w, int h, int bits) {
    for (int y = 0; y < h; ++y)
      CopyRun(source.Row(int(source.top) + h - 1 - y), int(source.left),
              destination.Row(int(destination.top) + y), int(destination.left), w, bits);
  });
}

int RotateQuarter(int direction, ImageDesc& source, ImageDesc& destination) {
  int rc = pixel::ValidatePair1_8_24(source, destination);
  if (rc != status::kOk) return rc;
  if (pixel::SameBuffer(source, destination)) return status::kRange;
  // Source columns become destination rows: as many columns as the
  // destination has rows, each as long as the destination is wide.
  const int columns = std::min(pixel::RectWidth(source), pixel::RectHeight(destination));
  const int length = std::min(pixel::RectHeight(source), pixel::RectWidth(destination));
  const bool clockwise = direction == kQuarterClockwise;
  const int bits = source.BitsPerPixel();
  // Walk the source row by row so that each source row is read once.
  for (int r = 0; r < length; ++r) {
    const uint8_t* src = source.Row(int(source.top) + r);
    const int dx = int(destination.left) + (clockwise ? length - 1 - r : r);
    for (int c = 0; c < columns; ++c) {
      const int dy = int(destination.top) + (clockwise ? c : columns - 1 - c);
      pixel::CopyPixel(src, int(source.left) + c, destination.Row(dy), dx, bits);
    }
  }
  CopyColourTable(source, destination);
  return status::kOk;
}

int RotateByAngle(double degrees, ImageDesc& source, ImageDesc& destination) {
  if (!std::isfinite(degrees)) return status::kRange;
  double angle = std::fmod(degrees, 360.0);
  if (angle < 0) angle += 360.0;
  if (angle == 0.0) return Copy(source, destination);
  if (angle == 90.0) return RotateQuarter(kQuarterCounterClockwise, source, destination);
  if (angle == 270.0) return RotateQuarter(kQuarterClockwise, source, destination);
  if (angle != 180.0) return kNotAvailable;
  int rc = Mirror(source, destination);
  if (rc != status::kOk) return rc;
  int w = 0, h = 0;
  RectExtent(source, destination, w, h);
  ImageDesc mirrored = Narrowed(destination, w, h);
  return FlipVertical(mirrored, mirrored);
}

}  // namespace veska
