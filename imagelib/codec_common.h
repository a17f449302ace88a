// What the standard-format codecs share: the file facts an information call
// reports, and the helpers that place file pixels into a descriptor's
// processing rectangle and take them out of it again.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "imagelib/image_desc.h"
#include "imagelib/pixel_access.h"

namespace veska {

// Facts of an image file, found without decoding its pixels.
struct ImageFileInfo {
  int width = 0;
  int height = 0;
  int bitsPerSample = 0;
  int samplesPerPixel = 0;
  int bitsPerPixel = 0;  // depth of the buffer a read fills: 8 or 24 (16 for deep TIFF gray)
};

struct FileCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

// Opens an existing file for binary reading; -4 when it cannot be opened.
int OpenForRead(const std::string& path, FilePtr& file);
// The size of a seekable stream in bytes (the position is kept), or -1.
long long StreamSize(FILE* file);
// Reads exactly `size` bytes; false at the end of the stream or on an error.
bool ReadExact(FILE* file, void* data, size_t size);

// A byte buffer that is empty when the memory could not be had.
using Bytes = std::unique_ptr<uint8_t[]>;
Bytes AllocateBytes(size_t size);

// Little-endian fields of file headers.
inline uint16_t Le16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
inline uint32_t Le32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline void PutLe16(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}
inline void PutLe32(uint8_t* p, uint32_t v) {
  PutLe16(p, v);
  PutLe16(p + 2, v >> 16);
}

// Where a read puts a file's pixels: the descriptor's processing rectangle,
// clipped to the smaller of the file and the rectangle.
class ReadTarget {
 public:
  ReadTarget(ImageDesc& desc, int fileWidth, int fileHeight);
  // Pixels of a file row that land in the descriptor.
  int width() const { return width_; }
  // File rows (from the top) that land in the descriptor.
  int height() const { return height_; }
  // The descriptor's bytes for file row `y` (counted from the top), starting
  // at the rectangle's left column; null for a row outside the rectangle.
  uint8_t* Row(int y) const;

 private:
  ImageDesc& desc_;
  int width_;
  int height_;
};

// Checks the descriptor a reader fills (8 or 24 bits) and that it has the
// depth the file reads into; -26 when it has not.
int CheckReadTarget(ImageDesc& desc, int bitsPerPixel);

// After a read that loaded a colour table: bit 0 of `imageType` tells whether
// the table is a grey ramp, and the table goes to the buffer.
void FinishColourTable(ImageDesc& desc);

using pixel::RectHeight;
using pixel::RectWidth;

// Bytes of one packed row of the processing rectangle.
size_t RectRowBytes(const ImageDesc& desc);
// Copies row `y` (counted from the rectangle's top) of the processing
// rectangle into `out`, packed from its first byte (1-bit rows shifted so the
// rectangle's first pixel is the top bit of out[0]); RectRowBytes bytes.
void ExtractRectRow(const ImageDesc& desc, int y, uint8_t* out);

// Brightness of a colour-table entry, for telling the dark from the light
// entry of a two-colour table.
inline int EntryBrightness(const RgbQuad& q) { return q.red * 3 + q.green * 6 + q.blue; }

}  // namespace veska
