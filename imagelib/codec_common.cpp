#include "imagelib/codec_common.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "imagelib/status.h"

namespace veska {

int OpenForRead(const std::string& path, FilePtr& file) {
  file.reset(std::fopen(path.c_str(), "rbe"));
  return file ? status::kOk : status::kFileNotFound;
}

long long StreamSize(FILE* file) {
  const off_t here = ftello(file);
  if (here < 0 || fseeko(file, 0, SEEK_END) != 0) return -1;
  const off_t size = ftello(file);
  if (fseeko(file, here, SEEK_SET) != 0) return -1;
  return size;
}

bool ReadExact(FILE* file, void* data, size_t size) {
  return std::fread(data, 1, size, file) == size;
}

Bytes AllocateBytes(size_t size) { return Bytes(new (std::nothrow) uint8_t[size ? size : 1]); }

ReadTarget::ReadTarget(ImageDesc& desc, int fileWidth, int fileHeight)
    : desc_(desc),
      width_(std::max(0, std::min(fileWidth, RectWidth(desc)))),
      height_(std::max(0, std::min(fileHeight, RectHeight(desc)))) {}

uint8_t* ReadTarget::Row(int y) const {
  if (y < 0 || y >= height_) return nullptr;
  return desc_.Row(int(desc_.top) + y) + size_t(desc_.left) * (desc_.BitsPerPixel() / 8);
}

int CheckReadTarget(ImageDesc& desc, int bitsPerPixel) {
  if (int rc = Validate8_24(desc)) return rc;
  return desc.BitsPerPixel() == bitsPerPixel ? status::kOk : status::kBitsPerPixel;
}

void FinishColourTable(ImageDesc& desc) {
  if (desc.colours <= 0) return;
  if (IsGrayscale(desc))
    desc.imageType |= kImageTypeGray;
  else
    desc.imageType &= ~kImageTypeGray;
  PushColourTable(desc);
}

size_t RectRowBytes(const ImageDesc& desc) {
  return (size_t(RectWidth(desc)) * size_t(desc.BitsPerPixel()) + 7) / 8;
}

void ExtractRectRow(const ImageDesc& desc, int y, uint8_t* out) {
  const uint8_t* row = desc.Row(int(desc.top) + y);
  const int depth = desc.BitsPerPixel();
  if (depth != 1) {
    std::memcpy(out, row + size_t(desc.left) * size_t(depth / 8), RectRowBytes(desc));
    return;
  }
  const size_t bytes = RectRowBytes(desc);
  std::memset(out, 0, bytes);
  const uint32_t width = uint32_t(RectWidth(desc));
  for (uint32_t i = 0; i < width; ++i) {
    const uint32_t s = desc.left + i;
    if ((row[s >> 3] >> (7 - (s & 7))) & 1) out[i >> 3] |= uint8_t(0x80 >> (i & 7));
  }
}

void ExpandThroughTable(const ImageDesc& desc, const uint8_t* indices, int count, uint8_t* bgr) {
  for (int x = 0; x < count; ++x, bgr += 3) {
    const RgbQuad q = indices[x] < desc.colours ? desc.palette[indices[x]] : RgbQuad{};
    bgr[0] = q.blue;
    bgr[1] = q.green;
    bgr[2] = q.red;
  }
}

}  // namespace veska
