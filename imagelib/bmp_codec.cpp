#include "imagelib/bmp_codec.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include "imagelib/safe_file.h"
#include "imagelib/status.h"

namespace veska {
namespace {

constexpr uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3, kAlphaBitFields = 6;
constexpr size_t kFileHeaderSize = 14;

// Everything a read needs to know about a file, from its headers.
struct Layout {
  BitmapInfoHeader header{};
  int width = 0;
  int height = 0;        // always positive
  bool topDown = false;  // rows stored from the top
  uint32_t masks[3] = {};
  int paletteEntries = 0;
  size_t entrySize = 4;  // 3 for OS/2 core files
  long long paletteOffset = 0;
  long long dataOffset = 0;
  long long fileSize = 0;
};

bool ValidCompression(uint32_t compression, int bits) {
  switch (compression) {
    case kRgb: return true;
    case kRle8: return bits == 8;
    case kRle4: return bits == 4;
    case kBitFields:
    case kAlphaBitFields: return bits == 16 || bits == 32;
    default: return false;
  }
}

// Reads the info header after its 4-byte size field into `h`.
int ReadInfoHeader(FILE* file, uint32_t size, BitmapInfoHeader& h, uint8_t masks[12]) {
  h = BitmapInfoHeader{};
  h.size = size;
  if (size < 13) {  // OS/2 core header: 16-bit sizes
    uint8_t core[8];
    if (size != 12 || !ReadExact(file, core, sizeof core)) return status::kBadBmp;
    h.width = Le16(core);
    h.height = Le16(core + 2);
    h.planes = Le16(core + 4);
    h.bitCount = Le16(core + 6);
    return status::kOk;
  }
  // Windows header, or a shortened OS/2 2.x one whose missing fields are 0.
  uint8_t raw[48] = {};
  const size_t have = std::min<size_t>(size - 4, sizeof raw);
  if (size < 16 || !ReadExact(file, raw, have)) return status::kBadBmp;
  h.width = int32_t(Le32(raw));
  h.height = int32_t(Le32(raw + 4));
  h.planes = Le16(raw + 8);
  h.bitCount = Le16(raw + 10);
  h.compression = Le32(raw + 12);
  h.sizeImage = Le32(raw + 16);
  h.xPelsPerMeter = int32_t(Le32(raw + 20));
  h.yPelsPerMeter = int32_t(Le32(raw + 24));
  h.clrUsed = Le32(raw + 28);
  h.clrImportant = Le32(raw + 32);
  std::memcpy(masks, raw + 36, 12);  // the masks of the longer headers
  return status::kOk;
}

void SetMasks(Layout& l, const uint8_t raw[12]) {
  const bool given = l.header.compression == kBitFields || l.header.compression == kAlphaBitFields;
  for (int i = 0; i < 3; ++i) l.masks[i] = given ? Le32(raw + 4 * i) : 0;
  if (given) return;
  if (l.header.bitCount == 16) {
    l.masks[0] = 0x7C00, l.masks[1] = 0x03E0, l.masks[2] = 0x001F;
  } else {
    l.masks[0] = 0xFF0000, l.masks[1] = 0x00FF00, l.masks[2] = 0x0000FF;
  }
}

int ReadLayout(FILE* file, Layout& l) {
  l = Layout{};
  l.fileSize = StreamSize(file);
  uint8_t fh[kFileHeaderSize + 4];
  if (l.fileSize < 0 || std::fseek(file, 0, SEEK_SET) != 0 || !ReadExact(file, fh, sizeof fh) ||
      fh[0] != 'B' || fh[1] != 'M')
    return status::kBadBmp;
  const uint32_t headerSize = Le32(fh + kFileHeaderSize);
  if (kFileHeaderSize + uint64_t(headerSize) > uint64_t(l.fileSize)) return status::kBadBmp;
  uint8_t rawMasks[12] = {};
  if (int rc = ReadInfoHeader(file, headerSize, l.header, rawMasks)) return rc;

  const BitmapInfoHeader& h = l.header;
  const int bits = h.bitCount;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
    return status::kBitsPerPixel;
  if (!ValidCompression(h.compression, bits) || h.width <= 0 || h.height == 0 ||
      h.height == INT32_MIN)
    return status::kBadBmp;
  l.width = h.width;
  l.topDown = h.height < 0;
  l.height = l.topDown ? -h.height : h.height;
  if (l.topDown && (h.compression == kRle8 || h.compression == kRle4)) return status::kBadBmp;

  l.paletteOffset = kFileHeaderSize + headerSize;
  if (headerSize == 40 && (h.compression == kBitFields || h.compression == kAlphaBitFields)) {
    const size_t count = h.compression == kBitFields ? 12 : 16;
    if (!ReadExact(file, rawMasks, 12)) return status::kBadBmp;
    l.paletteOffset += count;
  } else if (headerSize < 52 && headerSize != 40) {
    std::memset(rawMasks, 0, sizeof rawMasks);
  }
  SetMasks(l, rawMasks);

  l.entrySize = headerSize < 13 ? 3 : 4;
  if (bits <= 8) {
    const uint32_t full = 1u << bits;
    l.paletteEntries = int(h.clrUsed == 0 || h.clrUsed > full ? full : h.clrUsed);
    if (headerSize < 13) l.paletteEntries = int(full);
  }
  const uint32_t offBits = Le32(fh + 10);
  long long paletteEnd = l.paletteOffset + l.paletteEntries * (long long)l.entrySize;
  if (offBits >= l.paletteOffset && offBits < paletteEnd) {
    // The pixels start inside the table the header implies: the table is shorter.
    l.paletteEntries = int((offBits - l.paletteOffset) / l.entrySize);
    paletteEnd = l.paletteOffset + l.paletteEntries * (long long)l.entrySize;
  }
  // An offset that points into the headers is taken to mean "after the table".
  l.dataOffset = offBits < l.paletteOffset ? paletteEnd : (long long)offBits;
  if (paletteEnd > l.fileSize || l.dataOffset > l.fileSize) return status::kBadBmp;
  return status::kOk;
}

void FillInfo(const Layout& l, BmpInfo& info) {
  info = BmpInfo{};
  info.header = l.header;
  info.width = l.width;
  info.height = l.height;
  const int bits = l.header.bitCount;
  info.bitsPerSample = bits <= 8 ? bits : 8;
  info.samplesPerPixel = bits <= 8 ? 1 : 3;
  info.bitsPerPixel = bits <= 8 ? 8 : 24;
}

int ReadPalette(FILE* file, const Layout& l, ImageDesc& desc) {
  const size_t bytes = size_t(l.paletteEntries) * l.entrySize;
  uint8_t raw[256 * 4];
  if (fseeko(file, off_t(l.paletteOffset), SEEK_SET) != 0 || !ReadExact(file, raw, bytes))
    return status::kBadBmp;
  std::memset(desc.palette, 0, sizeof(RgbQuad) * size_t(desc.colours));
  for (int i = 0; i < l.paletteEntries && i < desc.colours; ++i) {
    const uint8_t* e = raw + size_t(i) * l.entrySize;
    desc.palette[i] = RgbQuad{e[0], e[1], e[2], 0};
  }
  return status::kOk;
}

// One colour channel of a bit-field pixel, scaled to 0..255.
uint8_t Channel(uint32_t pixel, uint32_t mask) {
  if (mask == 0) return 0;
  const int shift = __builtin_ctz(mask);
  const uint64_t max = mask >> shift;
  return uint8_t(uint64_t((pixel & mask) >> shift) * 255 / max);
}

// Converts one stored row into the descriptor's pixels.
void ConvertRow(const Layout& l, const uint8_t* in, uint8_t* out, int count) {
  const int bits = l.header.bitCount;
  for (int x = 0; x < count; ++x) {
    switch (bits) {
      case 1: out[x] = uint8_t(pixel::GetBit(in, x)); break;
      case 4: out[x] = (in[x >> 1] >> ((x & 1) ? 0 : 4)) & 15; break;
      case 8: out[x] = in[x]; break;
      case 24: std::memcpy(out + 3 * x, in + 3 * x, 3); break;
      default: {
        const uint32_t p = bits == 16 ? Le16(in + 2 * x) : Le32(in + 4 * x);
        out[3 * x] = Channel(p, l.masks[2]);
        out[3 * x + 1] = Channel(p, l.masks[1]);
        out[3 * x + 2] = Channel(p, l.masks[0]);
      }
    }
  }
}

int ReadUncompressed(FILE* file, const Layout& l, ImageDesc& desc) {
  const uint64_t rowBytes = (uint64_t(l.width) * l.header.bitCount + 31) / 32 * 4;
  // A header that claims more rows than the file holds is refused before
  // anything is allocated for them.
  if (rowBytes * uint64_t(l.height) > uint64_t(l.fileSize - l.dataOffset)) return status::kBadBmp;
  Bytes row = AllocateBytes(size_t(rowBytes));
  if (!row) return status::kNoMemory;
  if (fseeko(file, off_t(l.dataOffset), SEEK_SET) != 0) return status::kBadBmp;
  ReadTarget target(desc, l.width, l.height);
  // 8- and 24-bit rows that land whole in the buffer need no conversion.
  const int bits = l.header.bitCount;
  const bool direct = (bits == 8 || bits == 24) && target.width() == l.width;
  const size_t pixelBytes = size_t(l.width) * size_t(bits / 8);
  for (int r = 0; r < l.height; ++r) {
    const int y = l.topDown ? r : l.height - 1 - r;
    uint8_t* out = target.Row(y);
    if (out == nullptr) {
      if (fseeko(file, off_t(rowBytes), SEEK_CUR) != 0) return status::kBadBmp;
      continue;
    }
    if (direct) {
      // The stored row is the buffer's row: read it in place, padding apart.
      if (!ReadExact(file, out, pixelBytes) ||
          !ReadExact(file, row.get(), size_t(rowBytes) - pixelBytes))
        return status::kBadBmp;
      continue;
    }
    if (!ReadExact(file, row.get(), size_t(rowBytes))) return status::kBadBmp;
    ConvertRow(l, row.get(), out, target.width());
  }
  return status::kOk;
}

// Decodes 4- or 8-bit run-length data straight into the descriptor; pixels
// outside the image or the rectangle are dropped, so nothing is allocated.
int ReadRunLength(FILE* file, const Layout& l, ImageDesc& desc) {
  if (fseeko(file, off_t(l.dataOffset), SEEK_SET) != 0) return status::kBadBmp;
  ReadTarget target(desc, l.width, l.height);
  const bool four = l.header.compression == kRle4;
  long long x = 0, y = 0;  // y counts rows from the bottom
  auto put = [&](uint8_t index) {
    if (uint8_t* row = target.Row(int(l.height - 1 - y)); row && x < target.width()) row[x] = index;
    ++x;
  };
  while (y < l.height) {
    const int count = std::getc(file), value = std::getc(file);
    if (count == EOF || value == EOF) return status::kBadBmp;
    if (count > 0) {  // a run
      for (int i = 0; i < count; ++i)
        put(four ? uint8_t((i & 1) ? value & 15 : value >> 4) : uint8_t(value));
    } else if (value == 0) {  // end of line
      x = 0, ++y;
    } else if (value == 1) {  // end of bitmap
      return status::kOk;
    } else if (value == 2) {  // move right and up
      const int dx = std::getc(file), dy = std::getc(file);
      if (dx == EOF || dy == EOF) return status::kBadBmp;
      x += dx, y += dy;
    } else {  // `value` literal pixels, padded to a 16-bit boundary
      const int bytes = four ? (value + 1) / 2 : value;
      uint8_t literal[256];
      if (!ReadExact(file, literal, size_t((bytes + 1) & ~1))) return status::kBadBmp;
      for (int i = 0; i < value; ++i)
        put(four ? uint8_t((i & 1) ? literal[i / 2] & 15 : literal[i / 2] >> 4) : literal[i]);
    }
  }
  return status::kOk;
}

// --- writing ---------------------------------------------------------------

// Codes one 8-bit row: runs of equal bytes as (count, value), stretches of
// at least three differing bytes as literals.
void EncodeRle8Row(const uint8_t* row, size_t width, std::vector<uint8_t>& out) {
  size_t i = 0;
  while (i < width) {
    size_t run = 1;
    while (i + run < width && run < 255 && row[i + run] == row[i]) ++run;
    if (run >= 2) {
      out.insert(out.end(), {uint8_t(run), row[i]});
      i += run;
      continue;
    }
    size_t j = i;
    while (j < width && j - i < 255 &&
           !(j + 2 < width && row[j] == row[j + 1] && row[j] == row[j + 2]))
      ++j;
    const size_t length = j - i;
    if (length < 3) {
      for (size_t k = i; k < j; ++k) out.insert(out.end(), {uint8_t(1), row[k]});
    } else {
      out.insert(out.end(), {uint8_t(0), uint8_t(length)});
      out.insert(out.end(), row + i, row + j);
      if (length & 1) out.push_back(0);
    }
    i = j;
  }
}

void BuildHeaders(const ImageDesc& desc, bool rle, uint32_t imageBytes, uint8_t out[54]) {
  const uint32_t colours = uint32_t(std::max(0, desc.colours));
  const uint32_t offBits = 54 + 4 * colours;
  std::memset(out, 0, 54);
  out[0] = 'B', out[1] = 'M';
  PutLe32(out + 2, offBits + imageBytes);
  PutLe32(out + 10, offBits);
  PutLe32(out + 14, 40);
  PutLe32(out + 18, uint32_t(RectWidth(desc)));
  PutLe32(out + 22, uint32_t(RectHeight(desc)));
  PutLe16(out + 26, 1);
  PutLe16(out + 28, uint32_t(desc.BitsPerPixel()));
  PutLe32(out + 30, rle ? kRle8 : kRgb);
  PutLe32(out + 34, imageBytes);
  PutLe32(out + 38, uint32_t(desc.header->xPelsPerMeter));
  PutLe32(out + 42, uint32_t(desc.header->yPelsPerMeter));
  PutLe32(out + 46, colours);
  PutLe32(out + 50, colours);
}

int WriteBody(SafeFile& out, const ImageDesc& desc, bool rle) {
  const int width = RectWidth(desc), height = RectHeight(desc);
  const uint32_t stride = StrideFor(uint32_t(width), uint32_t(desc.BitsPerPixel()));
  uint8_t headers[54];
  BuildHeaders(desc, rle, rle ? 0 : stride * uint32_t(height), headers);
  if (int rc = out.Write(headers, sizeof headers)) return rc;
  if (desc.colours > 0)
    if (int rc = out.Write(desc.palette, sizeof(RgbQuad) * size_t(desc.colours))) return rc;

  Bytes row = AllocateBytes(stride);
  if (!row) return status::kNoMemory;
  std::memset(row.get(), 0, stride);
  // Whole-byte pixels go to the file straight from the buffer's rows, each
  // followed by the zero padding of the file's stride.
  const bool direct = !rle && desc.BitsPerPixel() != 1;
  const size_t rowBytes = RectRowBytes(desc);
  uint64_t coded = 0;
  std::vector<uint8_t> codes;
  for (int y = height - 1; y >= 0; --y) {  // bottom row first
    if (direct) {
      const uint8_t* pixels =
          desc.Row(int(desc.top) + y) + size_t(desc.left) * size_t(desc.BitsPerPixel() / 8);
      if (int rc = out.Write(pixels, rowBytes)) return rc;
      if (int rc = out.Write(row.get(), stride - rowBytes)) return rc;
      continue;
    }
    ExtractRectRow(desc, y, row.get());
    if (!rle) {
      if (int rc = out.Write(row.get(), stride)) return rc;
      continue;
    }
    codes.clear();
    try {
      EncodeRle8Row(row.get(), size_t(width), codes);
      codes.insert(codes.end(), {uint8_t(0), uint8_t(y == 0 ? 1 : 0)});
    } catch (const std::bad_alloc&) {
      return status::kNoMemory;
    }
    if (int rc = out.Write(codes.data(), codes.size())) return rc;
    coded += codes.size();
  }
  if (!rle) return status::kOk;
  // The coded size is known only now: rewrite the headers with it.
  if (coded > UINT32_MAX - 54 - 1024) return status::kRange;
  BuildHeaders(desc, rle, uint32_t(coded), headers);
  if (std::fseek(out.stream(), 0, SEEK_SET) != 0) return status::kDiskFull;
  return out.Write(headers, sizeof headers);
}

}  // namespace

int BmpInformation(FILE* file, BmpInfo& info) {
  Layout l;
  if (int rc = ReadLayout(file, l)) return rc;
  FillInfo(l, info);
  return status::kOk;
}

int BmpInformation(const std::string& path, BmpInfo& info) {
  FilePtr file;
  if (int rc = OpenForRead(path, file)) return rc;
  return BmpInformation(file.get(), info);
}

int BmpRead(FILE* file, ImageDesc& desc) {
  Layout l;
  if (int rc = ReadLayout(file, l)) return rc;
  if (int rc = CheckReadTarget(desc, l.header.bitCount <= 8 ? 8 : 24)) return rc;
  if (l.paletteEntries > 0)
    if (int rc = ReadPalette(file, l, desc)) return rc;
  const bool rle = l.header.compression == kRle8 || l.header.compression == kRle4;
  if (int rc = rle ? ReadRunLength(file, l, desc) : ReadUncompressed(file, l, desc)) return rc;
  desc.header->xPelsPerMeter = l.header.xPelsPerMeter;
  desc.header->yPelsPerMeter = l.header.yPelsPerMeter;
  if (l.paletteEntries > 0) FinishColourTable(desc);
  return status::kOk;
}

int BmpRead(const std::string& path, ImageDesc& desc) {
  if (int rc = Validate8_24(desc)) return rc;
  FilePtr file;
  if (int rc = OpenForRead(path, file)) return rc;
  return BmpRead(file.get(), desc);
}

int BmpWrite(const std::string& path, ImageDesc& desc, bool runLength) {
  if (int rc = Validate1_8_24(desc)) return rc;
  SafeFile out;
  if (int rc = out.Open(path)) return rc;
  if (int rc = WriteBody(out, desc, runLength && desc.BitsPerPixel() == 8)) return rc;
  return out.Commit();
}

double BmpApplyResolution(ImageDesc& desc) {
  const int32_t perMetre = desc.header ? desc.header->xPelsPerMeter : 0;
  if (perMetre == 0) return SetResolution(desc, 72);
  return SetResolution(desc, std::trunc(perMetre * 0.001 / 0.03937 + 0.5));
}

}  // namespace veska
