#include "imagelib/tiff_rows.h"

#include <algorithm>
#include <cstring>

#include "imagelib/codec_common.h"
#include "imagelib/status.h"

namespace veska {
namespace {

// Decode buffers beyond this size are refused as implausible.
constexpr uint64_t kMaxBuffer = uint64_t(1) << 31;

struct Geometry {
  uint32_t width = 0;
  uint32_t height = 0;
  uint64_t scan = 0;  // bytes of one decoded row (of one plane)
};

int StripRows(TIFF* tif, const Geometry& g, const TiffRowFn& row) {
  uint32_t perStrip = 0;
  TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &perStrip);
  if (perStrip == 0 || perStrip > g.height) perStrip = g.height;
  if (g.scan > kMaxBuffer / perStrip) return status::kNoMemory;
  Bytes buffer = AllocateBytes(size_t(g.scan * perStrip));
  if (!buffer) return status::kNoMemory;
  const uint32_t strips = (g.height - 1) / perStrip + 1;
  for (uint32_t s = 0; s < strips; ++s) {
    const uint32_t first = s * perStrip;
    const uint32_t rows = std::min(perStrip, g.height - first);
    const auto want = tmsize_t(g.scan * rows);
    if (TIFFReadEncodedStrip(tif, s, buffer.get(), want) < want) return status::kBadTif;
    for (uint32_t r = 0; r < rows; ++r) row(int(first + r), buffer.get() + r * g.scan);
  }
  return status::kOk;
}

int TileRows(TIFF* tif, const Geometry& g, int bitsPerPixel, const TiffRowFn& row) {
  uint32_t tileWidth = 0, tileHeight = 0;
  TIFFGetField(tif, TIFFTAG_TILEWIDTH, &tileWidth);
  TIFFGetField(tif, TIFFTAG_TILELENGTH, &tileHeight);
  const uint64_t tileSize = TIFFTileSize64(tif), tileRow = TIFFTileRowSize64(tif);
  if (tileWidth == 0 || tileHeight == 0 || tileSize == 0 || tileRow == 0) return status::kBadTif;
  tileHeight = std::min(tileHeight, g.height);
  if (tileSize > kMaxBuffer || g.scan > kMaxBuffer / tileHeight) return status::kNoMemory;
  Bytes tile = AllocateBytes(size_t(tileSize)), band = AllocateBytes(size_t(g.scan * tileHeight));
  if (!tile || !band) return status::kNoMemory;
  for (uint32_t top = 0; top < g.height; top += tileHeight) {
    const uint32_t rows = std::min(tileHeight, g.height - top);
    for (uint32_t left = 0; left < g.width; left += tileWidth) {
      const uint64_t startBits = uint64_t(left) * uint64_t(bitsPerPixel);
      if (startBits % 8 != 0) return status::kBadTif;
      const uint64_t offset = startBits / 8;
      const uint32_t index = TIFFComputeTile(tif, left, top, 0, 0);
      if (TIFFReadEncodedTile(tif, index, tile.get(), tmsize_t(tileSize)) < tmsize_t(tileSize))
        return status::kBadTif;
      const size_t count = size_t(std::min(tileRow, g.scan - offset));
      for (uint32_t r = 0; r < rows; ++r)
        std::memcpy(band.get() + r * g.scan + offset, tile.get() + r * tileRow, count);
    }
    for (uint32_t r = 0; r < rows; ++r) row(int(top + r), band.get() + r * g.scan);
  }
  return status::kOk;
}

}  // namespace

int ForEachTiffRow(TIFF* tif, long long fileSize, const TiffRowFn& row) {
  Geometry g;
  uint16_t planar = PLANARCONFIG_CONTIG, samples = 1, bits = 1, compression = COMPRESSION_NONE;
  TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &g.width);
  TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &g.height);
  TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
  TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
  TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
  g.scan = TIFFScanlineSize64(tif);
  if (g.width == 0 || g.height == 0 || g.scan == 0 || g.width > INT32_MAX || g.height > INT32_MAX)
    return status::kBadTif;
  const uint64_t planes = planar == PLANARCONFIG_SEPARATE ? samples : 1;
  if (compression == COMPRESSION_NONE &&
      (fileSize <= 0 || g.scan > uint64_t(fileSize) / g.height / planes))
    return status::kBadTif;
  const int bitsPerPixel = planar == PLANARCONFIG_SEPARATE ? bits : bits * samples;
  return TIFFIsTiled(tif) ? TileRows(tif, g, bitsPerPixel, row) : StripRows(tif, g, row);
}

uint32_t UnpackSample(const uint8_t* row, size_t index, int bits) {
  if (bits == 8) return row[index];
  if (bits == 16) {
    uint16_t v;
    std::memcpy(&v, row + 2 * index, 2);
    return v;
  }
  uint64_t bit = uint64_t(index) * uint64_t(bits);
  uint32_t value = 0;
  for (int i = 0; i < bits; ++i, ++bit)
    value = value << 1 | ((row[bit >> 3] >> (7 - (bit & 7))) & 1);
  return value;
}

}  // namespace veska
