// The image library's descriptor of one pixel buffer laid out as a
// device-independent bitmap: a 40-byte BITMAPINFOHEADER, a colour table of
// 4-byte entries, then bottom-up rows padded to a multiple of 4 bytes.
//
// Header, colour table and pixels always live in one heap block (it starts at
// `header`). ImageDesc itself is a plain view of that block: copying one
// shares the block, and it frees nothing. A block is owned by an ImageBuffer
// (below), which frees it in its destructor and moves but never copies, or by
// a holder that frees it explicitly with Free (the image object's working
// buffer, the clipboard's packed DIB).
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace veska {

// The 40-byte BITMAPINFOHEADER, little-endian as stored in files and on the
// clipboard.
struct BitmapInfoHeader {
  uint32_t size;           // 40
  int32_t width;
  int32_t height;          // positive: rows stored bottom-up
  uint16_t planes;         // 1
  uint16_t bitCount;       // bits per pixel
  uint32_t compression;    // 0 = uncompressed
  uint32_t sizeImage;      // stride x height
  int32_t xPelsPerMeter;
  int32_t yPelsPerMeter;
  uint32_t clrUsed;
  uint32_t clrImportant;
};
static_assert(sizeof(BitmapInfoHeader) == 40, "BITMAPINFOHEADER must be 40 bytes");

// One colour-table entry.
struct RgbQuad {
  uint8_t blue;
  uint8_t green;
  uint8_t red;
  uint8_t reserved;
};
static_assert(sizeof(RgbQuad) == 4);

// Bit 0 of `imageType`: the image is grayscale.
constexpr uint32_t kImageTypeGray = 1;

struct ImageDesc {
  uint8_t* pixels = nullptr;  // first byte of the bottom row
  uint32_t left = 0;          // processing rectangle, inclusive, rows from the top
  uint32_t top = 0;
  uint32_t right = 0;
  uint32_t bottom = 0;
  uint32_t stride = 0;        // bytes per stored row, a multiple of 4
  RgbQuad* palette = nullptr; // colour table, right after the header
  int32_t colours = 0;        // colour-table entries (0 for 16 and 24 bits)
  uint32_t imageType = 0;     // kImageTypeGray
  BitmapInfoHeader* header = nullptr;  // start of the owned block
  void* bitmap = nullptr;     // always null: pixels share the header's block
  std::size_t blockBytes = 0; // capacity of the owned block, to give it back

  int Width() const { return header ? header->width : 0; }
  int Height() const { return header ? header->height : 0; }
  int BitsPerPixel() const { return header ? header->bitCount : 0; }
  // The stored row holding image row y, counted from the top.
  uint8_t* Row(int y) { return pixels + size_t(Height() - 1 - y) * stride; }
  const uint8_t* Row(int y) const { return pixels + size_t(Height() - 1 - y) * stride; }
};

// Bytes per stored row for a width and depth: rows padded to 4 bytes.
inline uint32_t StrideFor(uint32_t width, uint32_t bitsPerPixel) {
  return uint32_t((uint64_t(width) * bitsPerPixel + 31) / 32 * 4);
}

// Allocates a zero-filled buffer of width x height at depth 1, 4 (kept as 8),
// 8, 16 or 24 bits, with a grey ramp for depths with a colour table and the
// whole image as processing rectangle. -26 bad depth, -1 zero size, -14 no
// memory. The descriptor is zeroed first whatever the outcome.
int Allocate(ImageDesc& desc, int width, int height, int bitsPerPixel);
// The same; kept as its own entry point for callers that need the pixels in
// the header's block (all buffers are allocated that way).
int AllocateOneBlock(ImageDesc& desc, int width, int height, int bitsPerPixel);
// Releases the buffer and zeroes all fields. A zeroed descriptor stays zeroed.
int Free(ImageDesc& desc);
// Copies the fields; the two then share one buffer.
void CopyDescriptor(const ImageDesc& from, ImageDesc& to);

// The owner of one pixel buffer: freed when the owner goes, handed on by
// moving (the moved-from owner is empty), never copied. desc() is the view
// readers and the image library's functions take; Release hands the block to
// a holder that frees it itself.
class ImageBuffer {
 public:
  ImageBuffer() = default;
  ImageBuffer(const ImageBuffer&) = delete;
  ImageBuffer& operator=(const ImageBuffer&) = delete;
  ImageBuffer(ImageBuffer&& other) noexcept : desc_(other.Release()) {}
  ImageBuffer& operator=(ImageBuffer&& other) noexcept {
    if (this != &other) {
      Free(desc_);
      desc_ = other.Release();
    }
    return *this;
  }
  ~ImageBuffer() { Free(desc_); }

  // Frees what it holds, then allocates as Allocate does.
  int Allocate(int width, int height, int bitsPerPixel) {
    Free(desc_);
    return veska::Allocate(desc_, width, height, bitsPerPixel);
  }
  ImageDesc& desc() { return desc_; }
  const ImageDesc& desc() const { return desc_; }
  // The descriptor of the block, which the caller now frees; this is empty.
  ImageDesc Release() { return std::exchange(desc_, ImageDesc{}); }

 private:
  ImageDesc desc_;
};

void GetRect(const ImageDesc& desc, uint32_t& left, uint32_t& top, uint32_t& right,
             uint32_t& bottom);
void SetRect(ImageDesc& desc, uint32_t left, uint32_t top, uint32_t right,
             uint32_t bottom);

// Makes `desc` describe an existing packed DIB (header, colour table, pixels in
// one 4-byte aligned block of `size` bytes). The block stays the caller's and
// must outlive `desc`; `desc` must not be freed. -26 4-bit, -12 compressed,
// -1 a block that is misaligned or too small for what its header declares.
int AttachPackedDib(uint8_t* block, size_t size, ImageDesc& desc);
// Copies the processing rectangle of `desc` (1, 8 or 24 bits) into a new
// packed DIB owned by the caller.
int MakePackedDib(ImageDesc& desc, std::vector<uint8_t>& block);

// Copies the overlap of the two processing rectangles from `source` into
// `destination` (same depth, 1, 8 or 24 bits), then the colour table.
int Copy(ImageDesc& source, ImageDesc& destination);
// The colour-table part of Copy alone: when both have at most 8 bits and a
// table, copies as many entries as the destination's table holds, sets its
// `colours` to that number and takes bit 0 of `imageType` from the source.
void CopyColourTable(const ImageDesc& source, ImageDesc& destination);

// Checks a descriptor before use: buffer present, rectangle normalised and
// inside the image, width limits, uncompressed, depth allowed.
int Validate8_24(ImageDesc& desc);
int Validate1_8_24(ImageDesc& desc);
int Validate1_8_16_24(ImageDesc& desc);

// Writes the grey ramp for the depth and marks the image grayscale.
void SetGrayPalette(ImageDesc& desc);
bool IsGrayscale(const ImageDesc& desc);
// The colour table lives in the buffer itself, so there is nothing to push;
// kept so that callers can state the step.
int PushColourTable(ImageDesc& desc);
// Width and height of the processing rectangle of `a`, each clipped to that of `b`.
void RectExtent(const ImageDesc& a, const ImageDesc& b, int& width, int& height);

// Resolution in the header. Returns the dpi actually kept (0 or less gives 72);
// the header gets trunc(dpi x 1000 x 0.03937 - 0.5) pixels per metre.
double SetResolution(ImageDesc& desc, double dpi);
// From dots per millimetre: returns the dpi (two decimals, truncated); the
// header gets trunc(value x 1000) pixels per metre.
double SetResolutionDpmm(ImageDesc& desc, double dotsPerMm);

}  // namespace veska
