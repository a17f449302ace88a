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
  std::memset(out, 0, RectRowBytes(desc));
  for (int i = 0; i < RectWidth(desc); ++i)
    pixel::SetBit(out, i, pixel::GetBit(row, int(desc.left) + i));
}

}  // namespace veska
