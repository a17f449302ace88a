#include "imagelib/image_desc.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

#include "imagelib/block_cache.h"
#include "imagelib/status.h"

namespace veska {
namespace {

// Grey-ramp step per bit depth: entry i of a grey table is i x step.
int GrayStep(int bitsPerPixel) {
  static constexpr int kSteps[] = {0, 255, 85, 36, 17, 8, 4, 2, 1};
  return bitsPerPixel >= 1 && bitsPerPixel <= 8 ? kSteps[bitsPerPixel] : 0;
}

int ColoursFor(int bitsPerPixel) { return bitsPerPixel < 16 ? 1 << bitsPerPixel : 0; }

// Colour-table entries a header declares: colours used, or the depth's full
// table when that is 0.
int DeclaredColours(const BitmapInfoHeader& h) {
  if (h.bitCount >= 16) return 0;
  return h.clrUsed != 0 ? int(h.clrUsed) : ColoursFor(h.bitCount);
}

int Validate(ImageDesc& desc, std::initializer_list<int> allowedDepths) {
  if (desc.pixels == nullptr) return status::kBadBuffer;
  if (desc.header == nullptr) return status::kRange;
  if (desc.left > desc.right) std::swap(desc.left, desc.right);
  if (desc.top > desc.bottom) std::swap(desc.top, desc.bottom);
  const BitmapInfoHeader& h = *desc.header;
  const uint32_t widthLimit = h.bitCount == 1 ? 65535u : 32768u;
  if (h.width <= 0 || h.height <= 0) return status::kRange;
  if (desc.right >= uint32_t(h.width) || desc.right >= widthLimit) return status::kRange;
  if (desc.bottom >= 32768u || desc.bottom >= uint32_t(h.height)) return status::kRange;
  if (uint64_t(h.bitCount) * uint32_t(h.width) / 8 > desc.stride) return status::kRange;
  if (h.compression != 0) return status::kDibCompressed;
  if (std::find(allowedDepths.begin(), allowedDepths.end(), int(h.bitCount)) ==
      allowedDepths.end())
    return status::kBitsPerPixel;
  return status::kOk;
}

// Copies `count` pixels of 1-bit rows bit by bit (rectangles need not start
// on a byte boundary).
void CopyBits(const uint8_t* src, uint32_t srcX, uint8_t* dst, uint32_t dstX, uint32_t count) {
  for (uint32_t i = 0; i < count; ++i) {
    const uint32_t s = srcX + i, d = dstX + i;
    const bool bit = (src[s >> 3] >> (7 - (s & 7))) & 1;
    const uint8_t mask = uint8_t(0x80 >> (d & 7));
    dst[d >> 3] = bit ? uint8_t(dst[d >> 3] | mask) : uint8_t(dst[d >> 3] & ~mask);
  }
}

}  // namespace

int Allocate(ImageDesc& desc, int width, int height, int bitsPerPixel) {
  desc = ImageDesc{};
  if (bitsPerPixel != 1 && bitsPerPixel != 4 && bitsPerPixel != 8 && bitsPerPixel != 16 &&
      bitsPerPixel != 24)
    return status::kBitsPerPixel;
  if (bitsPerPixel == 4) bitsPerPixel = 8;
  if (width <= 0 || height <= 0) return status::kRange;

  const int colours = ColoursFor(bitsPerPixel);
  const uint32_t stride = StrideFor(uint32_t(width), uint32_t(bitsPerPixel));
  const size_t tableBytes = sizeof(BitmapInfoHeader) + 4 * size_t(colours);
  const size_t pixelBytes = size_t(stride) * size_t(height);
  if (uint64_t(stride) * uint64_t(height) > 0xFFFFFFFFull) return status::kNoMemory;
  // Image buffers come from the block cache, so that a run which frees one
  // image and allocates the next reuses memory that is already mapped.
  std::size_t capacity = 0;
  void* block = AcquireBlock(tableBytes + pixelBytes, &capacity);
  if (block == nullptr) return status::kNoMemory;
  std::memset(block, 0, tableBytes + pixelBytes);

  auto* header = static_cast<BitmapInfoHeader*>(block);
  header->size = sizeof(BitmapInfoHeader);
  header->width = width;
  header->height = height;
  header->planes = 1;
  header->bitCount = uint16_t(bitsPerPixel);
  header->compression = 0;
  header->sizeImage = uint32_t(pixelBytes);
  header->clrUsed = header->clrImportant = uint32_t(colours);

  desc.header = header;
  desc.blockBytes = capacity;
  desc.colours = colours;
  desc.palette = reinterpret_cast<RgbQuad*>(static_cast<uint8_t*>(block) + sizeof(BitmapInfoHeader));
  desc.pixels = static_cast<uint8_t*>(block) + tableBytes;
  desc.stride = stride;
  SetGrayPalette(desc);
  desc.left = desc.top = 0;
  desc.right = uint32_t(width - 1);
  desc.bottom = uint32_t(height - 1);
  return status::kOk;
}

int AllocateOneBlock(ImageDesc& desc, int width, int height, int bitsPerPixel) {
  return Allocate(desc, width, height, bitsPerPixel);
}

int Free(ImageDesc& desc) {
  if (desc.header != nullptr) ReleaseBlock(desc.header, desc.blockBytes);
  desc = ImageDesc{};
  return status::kOk;
}

void CopyDescriptor(const ImageDesc& from, ImageDesc& to) { to = from; }

void GetRect(const ImageDesc& desc, uint32_t& left, uint32_t& top, uint32_t& right,
             uint32_t& bottom) {
  left = desc.left;
  top = desc.top;
  right = desc.right;
  bottom = desc.bottom;
}

void SetRect(ImageDesc& desc, uint32_t left, uint32_t top, uint32_t right, uint32_t bottom) {
  desc.left = left;
  desc.top = top;
  desc.right = right;
  desc.bottom = bottom;
}

int AttachPackedDib(uint8_t* block, size_t size, ImageDesc& desc) {
  desc = ImageDesc{};
  if (block == nullptr || size < sizeof(BitmapInfoHeader) ||
      reinterpret_cast<uintptr_t>(block) % alignof(BitmapInfoHeader) != 0)
    return status::kRange;
  auto* header = reinterpret_cast<BitmapInfoHeader*>(block);
  if (header->bitCount == 4) return status::kBitsPerPixel;
  if (header->compression != 0) return status::kDibCompressed;
  if (header->width <= 0 || header->height <= 0 || header->bitCount == 0) return status::kRange;

  const int colours = DeclaredColours(*header);
  const uint32_t stride = StrideFor(uint32_t(header->width), header->bitCount);
  const uint64_t needed = sizeof(BitmapInfoHeader) + 4 * uint64_t(colours) +
                          uint64_t(stride) * uint64_t(header->height);
  if (colours < 0 || needed > size) return status::kRange;

  desc.header = header;
  desc.colours = colours;
  desc.palette = reinterpret_cast<RgbQuad*>(block + sizeof(BitmapInfoHeader));
  desc.pixels = block + sizeof(BitmapInfoHeader) + 4 * size_t(colours);
  desc.stride = stride;
  desc.right = uint32_t(header->width - 1);
  desc.bottom = uint32_t(header->height - 1);
  if (IsGrayscale(desc)) desc.imageType |= kImageTypeGray;
  return status::kOk;
}

int MakePackedDib(ImageDesc& desc, std::vector<uint8_t>& block) {
  if (int rc = Validate1_8_24(desc)) return rc;
  const int width = int(desc.right - desc.left + 1);
  const int height = int(desc.bottom - desc.top + 1);
  ImageBuffer buffer;
  if (int rc = buffer.Allocate(width, height, desc.BitsPerPixel())) return rc;
  const ImageDesc& packed = buffer.desc();
  if (int rc = Copy(desc, buffer.desc())) return rc;
  const size_t bytes = sizeof(BitmapInfoHeader) + 4 * size_t(ColoursFor(desc.BitsPerPixel())) +
                       size_t(packed.stride) * size_t(height);
  try {
    const auto* start = reinterpret_cast<const uint8_t*>(packed.header);
    block.assign(start, start + bytes);
  } catch (const std::bad_alloc&) {
    return status::kNoMemory;
  }
  return status::kOk;
}

int Copy(ImageDesc& source, ImageDesc& destination) {
  if (int rc = Validate1_8_24(source)) return rc;
  if (int rc = Validate1_8_24(destination)) return rc;
  const int depth = source.BitsPerPixel();
  if (depth != destination.BitsPerPixel()) return status::kBitsPerPixel;

  int width = 0, height = 0;
  RectExtent(source, destination, width, height);
  for (int i = 0; i < height; ++i) {
    const uint8_t* from = source.Row(int(source.top) + i);
    uint8_t* to = destination.Row(int(destination.top) + i);
    if (depth == 1) {
      CopyBits(from, source.left, to, destination.left, uint32_t(width));
    } else {
      const size_t bpp = size_t(depth) / 8;
      std::memcpy(to + destination.left * bpp, from + source.left * bpp, size_t(width) * bpp);
    }
  }

  CopyColourTable(source, destination);
  return status::kOk;
}

void CopyColourTable(const ImageDesc& source, ImageDesc& destination) {
  if (source.BitsPerPixel() > 8 || destination.BitsPerPixel() > 8 ||
      source.palette == nullptr || destination.palette == nullptr || source.colours <= 0)
    return;
  // The table space the destination's block really has: an attached DIB may
  // declare fewer entries than its depth allows, and its pixels follow them.
  const int capacity = DeclaredColours(*destination.header);
  const int count = std::min(source.colours, capacity);
  if (source.palette != destination.palette)
    std::memcpy(destination.palette, source.palette, 4 * size_t(count));
  destination.colours = count;
  destination.imageType =
      (destination.imageType & ~kImageTypeGray) | (source.imageType & kImageTypeGray);
  PushColourTable(destination);
}

int Validate8_24(ImageDesc& desc) { return Validate(desc, {8, 24}); }
int Validate1_8_24(ImageDesc& desc) { return Validate(desc, {1, 8, 24}); }
int Validate1_8_16_24(ImageDesc& desc) { return Validate(desc, {1, 8, 16, 24}); }

void SetGrayPalette(ImageDesc& desc) {
  if (desc.header == nullptr) return;
  const int depth = desc.BitsPerPixel();
  if (depth == 16) {
    desc.imageType = kImageTypeGray;
    return;
  }
  if (depth < 1 || depth > 8 || desc.palette == nullptr) return;
  desc.imageType |= kImageTypeGray;
  desc.colours = DeclaredColours(*desc.header);
  const int step = GrayStep(depth);
  for (int i = 0; i < desc.colours; ++i) {
    const auto v = uint8_t(i * step);
    desc.palette[i] = RgbQuad{v, v, v, 0};
  }
  PushColourTable(desc);
}

bool IsGrayscale(const ImageDesc& desc) {
  const int depth = desc.BitsPerPixel();
  if (depth == 16 && desc.imageType == kImageTypeGray) return true;
  if (desc.colours == 0 || desc.palette == nullptr || depth > 16) return false;
  const int step = GrayStep(depth);
  for (int i = 0; i < desc.colours; ++i) {
    const RgbQuad& e = desc.palette[i];
    if (e.red != e.green || e.green != e.blue || e.red != i * step) return false;
  }
  return true;
}

int PushColourTable(ImageDesc& /*desc*/) { return status::kOk; }

void RectExtent(const ImageDesc& a, const ImageDesc& b, int& width, int& height) {
  width = std::min(int(a.right - a.left + 1), int(b.right - b.left + 1));
  height = std::min(int(a.bottom - a.top + 1), int(b.bottom - b.top + 1));
}

double SetResolution(ImageDesc& desc, double dpi) {
  if (dpi <= 0) dpi = 72;
  if (desc.header != nullptr) {
    const auto perMetre = int32_t(std::trunc(dpi * 1000 * 0.03937 - 0.5));
    desc.header->xPelsPerMeter = desc.header->yPelsPerMeter = perMetre;
  }
  return dpi;
}

double SetResolutionDpmm(ImageDesc& desc, double dotsPerMm) {
  if (dotsPerMm <= 0) dotsPerMm = 72;
  const double dpi = 0.01 * std::trunc(dotsPerMm * 100 / 0.03937);
  if (desc.header != nullptr) {
    const auto perMetre = int32_t(std::trunc(dotsPerMm * 1000));
    desc.header->xPelsPerMeter = desc.header->yPelsPerMeter = perMetre;
  }
  return dpi;
}

}  // namespace veska
