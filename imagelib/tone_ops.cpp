// Tonal operations that map every value on its own: negative and lookup
// tables.

#include <algorithm>
#include <cstring>

#include "imagelib/image_ops.h"
#include "imagelib/pixel_access.h"
#include "imagelib/status.h"

namespace veska {
namespace {

void CopyIndices(ImageDesc& source, ImageDesc& destination) {
  pixel::ForEachRowPair(source, destination, [](const uint8_t* src, uint8_t* dst, int w) {
    std::memmove(dst, src, size_t(w));
  });
}

void InvertBits(ImageDesc& source, ImageDesc& destination) {
  int w = 0, h = 0;
  RectExtent(source, destination, w, h);
  for (int y = 0; y < h; ++y) {
    const uint8_t* src = source.Row(int(source.top) + y);
    uint8_t* dst = destination.Row(int(destination.top) + y);
    for (int x = 0; x < w; ++x)
      pixel::SetBit(dst, int(destination.left) + x, !pixel::GetBit(src, int(source.left) + x));
  }
}

// Maps the destination's colour table entry by entry through the tables;
// afterwards the image counts as grey only if the table is still a grey ramp.
void MapColourTable(const LookupTables& t, ImageDesc& destination) {
  for (int i = 0; i < destination.colours; ++i) {
    RgbQuad& e = destination.palette[i];
    e = RgbQuad{t.blue[e.blue], t.green[e.green], t.red[e.red], e.reserved};
  }
  if (IsGrayscale(destination))
    destination.imageType |= kImageTypeGray;
  else
    destination.imageType &= ~kImageTypeGray;
  PushColourTable(destination);
}

LookupTables NegativeTables() {
  LookupTables t;
  for (int v = 0; v < 256; ++v) t.red[v] = t.green[v] = t.blue[v] = uint8_t(255 - v);
  return t;
}

}  // namespace

int Negative(ImageDesc& source, ImageDesc& destination) {
  int rc = pixel::ValidatePair1_8_24(source, destination);
  if (rc != status::kOk) return rc;
  if (pixel::OverlapsUnsafely(source, destination)) return status::kRange;
  if (source.BitsPerPixel() == 1) {
    InvertBits(source, destination);
    CopyColourTable(source, destination);
    return status::kOk;
  }
  // Inverting the indices of a colour-table image would pick unrelated
  // colours; its negative is the inverted table over the same indices.
  if (source.BitsPerPixel() == 8 && !IsGrayscale(source)) {
    CopyIndices(source, destination);
    CopyColourTable(source, destination);
    MapColourTable(NegativeTables(), destination);
    return status::kOk;
  }
  const int bytes = source.BitsPerPixel() / 8;
  pixel::ForEachRowPair(source, destination, [bytes](const uint8_t* src, uint8_t* dst, int w) {
    for (int i = 0; i < w * bytes; ++i) dst[i] = uint8_t(255 - src[i]);
  });
  CopyColourTable(source, destination);
  return status::kOk;
}

int ApplyLookupTables(const LookupTables& tables, ImageDesc& source, ImageDesc& destination) {
  int rc = pixel::ValidatePair8_24(source, destination);
  if (rc != status::kOk) return rc;
  if (pixel::OverlapsUnsafely(source, destination)) return status::kRange;
  if (source.BitsPerPixel() == 24) {
    pixel::ForEachRowPair(source, destination, [&tables](const uint8_t* src, uint8_t* dst, int w) {
      for (int x = 0; x < w; ++x, src += 3, dst += 3) {
        dst[0] = tables.blue[src[0]];
        dst[1] = tables.green[src[1]];
        dst[2] = tables.red[src[2]];
      }
    });
    return status::kOk;
  }
  const bool equalTables = tables.red == tables.green && tables.red == tables.blue;
  if (IsGrayscale(source) && equalTables) {
    pixel::ForEachRowPair(source, destination, [&tables](const uint8_t* src, uint8_t* dst, int w) {
      for (int x = 0; x < w; ++x) dst[x] = tables.red[src[x]];
    });
    CopyColourTable(source, destination);
    return status::kOk;
  }
  CopyIndices(source, destination);
  CopyColourTable(source, destination);
  MapColourTable(tables, destination);
  return status::kOk;
}

}  // namespace veska
