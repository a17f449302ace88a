// Row-by-row decoding of a TIFF image through libtiff's strip and tile
// calls, whatever the compression, byte order and layout of the file.
#pragma once

#include <tiffio.h>

#include <cstdint>
#include <functional>

namespace veska {

// Receives image row `y` (counted from the top) as decoded bytes: the
// samples of a contiguous file, or of the first plane of a planar one.
// 16-bit samples arrive in the machine's byte order.
using TiffRowFn = std::function<void(int y, const uint8_t* data)>;

// Decodes the current directory's rows in order and hands each to `row`.
// `fileSize` guards uncompressed images: one that declares more bytes than
// the file holds fails before anything is allocated. kBadTif corrupt or
// truncated data, kNoMemory.
int ForEachTiffRow(TIFF* tif, long long fileSize, const TiffRowFn& row);

// Sample `index` of a decoded row of `bits` bits per sample (1 to 16).
uint32_t UnpackSample(const uint8_t* row, size_t index, int bits);

}  // namespace veska
