#include "imagelib/pcx_codec.h"

#include <cstring>
#include <new>
#include <vector>

#include "imagelib/safe_file.h"
#include "imagelib/status.h"

namespace veska {
namespace {

constexpr size_t kHeaderSize = 128;
constexpr size_t kTrailerSize = 769;  // the byte 12 and 256 RGB triples
constexpr uint8_t kTrailerMark = 12;
constexpr int kMaxRun = 63;

struct Header {
  int version = 0;
  int bits = 0;    // per pixel per plane
  int planes = 0;
  int bytesPerLine = 0;
  int width = 0;
  int height = 0;
  uint8_t palette16[48] = {};
  long long fileSize = 0;
};

int ReadHeader(FILE* file, Header& h) {
  h = Header{};
  h.fileSize = StreamSize(file);
  uint8_t raw[kHeaderSize];
  if (h.fileSize < 0 || std::fseek(file, 0, SEEK_SET) != 0 || !ReadExact(file, raw, sizeof raw))
    return status::kBadPcx;
  if (raw[0] != 10 || raw[2] != 1) return status::kBadPcx;
  const int xMin = Le16(raw + 4), yMin = Le16(raw + 6), xMax = Le16(raw + 8), yMax = Le16(raw + 10);
  if (xMax < xMin || yMax < yMin) return status::kBadPcx;
  h.version = raw[1];
  h.bits = raw[3];
  h.planes = raw[65];
  h.bytesPerLine = Le16(raw + 66);
  h.width = xMax - xMin + 1;
  h.height = yMax - yMin + 1;
  std::memcpy(h.palette16, raw + 16, sizeof h.palette16);
  const bool supported = (h.planes == 1 && (h.bits == 1 || h.bits == 8)) ||
                         (h.planes == 3 && h.bits == 8);
  if (!supported) return status::kBitsPerPixel;
  return status::kOk;
}

// Whether the lines as the header lays them out can hold the window's width.
// The reader judges this, not the information call: the load limits on the
// size come first.
bool LinesHoldWidth(const Header& h) { return h.bytesPerLine >= (h.width * h.bits + 7) / 8; }

// Reads the colour table into the descriptor: the trailer of an 8-bit file
// (a grey ramp when there is none), the header's first two entries for 1 bit.
void ReadPalette(FILE* file, const Header& h, ImageDesc& desc) {
  std::memset(desc.palette, 0, sizeof(RgbQuad) * size_t(desc.colours));
  if (h.bits == 1) {
    const uint8_t* e = h.palette16;
    if (std::memcmp(e, e + 3, 3) == 0) {  // no usable table: black and white
      desc.palette[1] = RgbQuad{255, 255, 255, 0};
    } else {
      desc.palette[0] = RgbQuad{e[2], e[1], e[0], 0};
      desc.palette[1] = RgbQuad{e[5], e[4], e[3], 0};
    }
    return;
  }
  uint8_t trailer[kTrailerSize];
  const long long at = h.fileSize - (long long)kTrailerSize;
  const bool present = h.version >= 5 && at >= (long long)kHeaderSize &&
                       fseeko(file, off_t(at), SEEK_SET) == 0 &&
                       ReadExact(file, trailer, sizeof trailer) && trailer[0] == kTrailerMark;
  for (int i = 0; i < 256 && i < desc.colours; ++i) {
    const uint8_t* e = trailer + 1 + 3 * i;
    desc.palette[i] = present ? RgbQuad{e[2], e[1], e[0], 0}
                              : RgbQuad{uint8_t(i), uint8_t(i), uint8_t(i), 0};
  }
}

// The run-length decoder. A run may continue into the next line.
class RunReader {
 public:
  explicit RunReader(FILE* file) : file_(file) {}

  bool Fill(uint8_t* out, size_t count) {
    for (size_t i = 0; i < count; ++i) {
      while (pending_ == 0) {
        const int c = std::getc(file_);
        if (c == EOF) return false;
        if ((c & 0xC0) != 0xC0) {
          pending_ = 1;
          value_ = uint8_t(c);
        } else {
          const int v = std::getc(file_);
          if (v == EOF) return false;
          pending_ = c & 0x3F;
          value_ = uint8_t(v);
        }
      }
      --pending_;
      out[i] = value_;
    }
    return true;
  }

 private:
  FILE* file_;
  int pending_ = 0;
  uint8_t value_ = 0;
};

void ConvertLine(const Header& h, const uint8_t* line, uint8_t* out, int count) {
  const size_t plane = size_t(h.bytesPerLine);
  for (int x = 0; x < count; ++x) {
    if (h.planes == 3) {
      out[3 * x] = line[2 * plane + size_t(x)];
      out[3 * x + 1] = line[plane + size_t(x)];
      out[3 * x + 2] = line[x];
    } else if (h.bits == 8) {
      out[x] = line[x];
    } else {
      out[x] = uint8_t(pixel::GetBit(line, x));
    }
  }
}

int ReadPixels(FILE* file, const Header& h, ImageDesc& desc) {
  const size_t lineBytes = size_t(h.bytesPerLine) * size_t(h.planes);
  Bytes line = AllocateBytes(lineBytes);
  if (!line) return status::kNoMemory;
  if (fseeko(file, off_t(kHeaderSize), SEEK_SET) != 0) return status::kBadPcx;
  ReadTarget target(desc, h.width, h.height);
  RunReader runs(file);
  for (int y = 0; y < h.height; ++y) {
    if (!runs.Fill(line.get(), lineBytes)) return status::kBadPcx;
    if (uint8_t* out = target.Row(y)) ConvertLine(h, line.get(), out, target.width());
  }
  return status::kOk;
}

// --- writing ---------------------------------------------------------------

void EncodeLine(const uint8_t* line, size_t size, std::vector<uint8_t>& out) {
  size_t i = 0;
  while (i < size) {
    size_t run = 1;
    while (i + run < size && run < size_t(kMaxRun) && line[i + run] == line[i]) ++run;
    if (run > 1 || (line[i] & 0xC0) == 0xC0) out.push_back(uint8_t(0xC0 | run));
    out.push_back(line[i]);
    i += run;
  }
}

void BuildHeader(const ImageDesc& desc, int bytesPerLine, uint8_t raw[kHeaderSize]) {
  std::memset(raw, 0, kHeaderSize);
  raw[0] = 10;
  raw[1] = desc.colours > 0 ? 5 : 3;
  raw[2] = 1;
  raw[3] = uint8_t(desc.BitsPerPixel());
  PutLe16(raw + 4, desc.left);
  PutLe16(raw + 6, desc.top);
  PutLe16(raw + 8, desc.right);
  PutLe16(raw + 10, desc.bottom);
  PutLe16(raw + 12, 640);
  PutLe16(raw + 14, 480);
  if (desc.colours > 0 && desc.colours <= 16) {
    for (int i = 0; i < desc.colours; ++i) {
      raw[16 + 3 * i] = desc.palette[i].red;
      raw[17 + 3 * i] = desc.palette[i].green;
      raw[18 + 3 * i] = desc.palette[i].blue;
    }
  }
  raw[65] = 1;
  PutLe16(raw + 66, uint32_t(bytesPerLine));
  PutLe16(raw + 68, 1);
}

int WriteBody(SafeFile& out, const ImageDesc& desc) {
  const int bytesPerLine = int((RectRowBytes(desc) + 1) & ~size_t(1));
  uint8_t header[kHeaderSize];
  BuildHeader(desc, bytesPerLine, header);
  if (int rc = out.Write(header, sizeof header)) return rc;

  Bytes line = AllocateBytes(size_t(bytesPerLine));
  if (!line) return status::kNoMemory;
  std::vector<uint8_t> codes;
  for (int y = 0; y < RectHeight(desc); ++y) {
    line[size_t(bytesPerLine) - 1] = 0;  // the padding byte of an odd row length
    ExtractRectRow(desc, y, line.get());
    codes.clear();
    try {
      EncodeLine(line.get(), size_t(bytesPerLine), codes);
    } catch (const std::bad_alloc&) {
      return status::kNoMemory;
    }
    if (int rc = out.Write(codes.data(), codes.size())) return rc;
  }
  if (desc.colours <= 16) return status::kOk;
  uint8_t trailer[kTrailerSize] = {kTrailerMark};
  for (int i = 0; i < 256 && i < desc.colours; ++i) {
    trailer[1 + 3 * i] = desc.palette[i].red;
    trailer[2 + 3 * i] = desc.palette[i].green;
    trailer[3 + 3 * i] = desc.palette[i].blue;
  }
  return out.Write(trailer, sizeof trailer);
}

}  // namespace

int PcxInformation(FILE* file, ImageFileInfo& info) {
  Header h;
  if (int rc = ReadHeader(file, h)) return rc;
  info = ImageFileInfo{};
  info.width = h.width;
  info.height = h.height;
  info.bitsPerSample = h.bits;
  info.samplesPerPixel = h.planes;
  info.bitsPerPixel = h.planes == 3 ? 24 : 8;
  return status::kOk;
}

int PcxInformation(const std::string& path, ImageFileInfo& info) {
  FilePtr file;
  if (int rc = OpenForRead(path, file)) return rc;
  return PcxInformation(file.get(), info);
}

int PcxRead(FILE* file, ImageDesc& desc) {
  Header h;
  if (int rc = ReadHeader(file, h)) return rc;
  if (!LinesHoldWidth(h)) return status::kBadPcx;
  if (int rc = CheckReadTarget(desc, h.planes == 3 ? 24 : 8)) return rc;
  if (h.planes == 1) ReadPalette(file, h, desc);
  if (int rc = ReadPixels(file, h, desc)) return rc;
  if (h.planes == 1) FinishColourTable(desc);
  return status::kOk;
}

int PcxRead(const std::string& path, ImageDesc& desc) {
  if (int rc = Validate8_24(desc)) return rc;
  FilePtr file;
  if (int rc = OpenForRead(path, file)) return rc;
  return PcxRead(file.get(), desc);
}

int PcxWrite(const std::string& path, ImageDesc& desc) {
  if (int rc = Validate1_8_24(desc)) return rc;
  if (desc.BitsPerPixel() == 24) return status::kBitsPerPixel;
  if (RectWidth(desc) > 65535 || RectHeight(desc) > 65535)
    return NoteFailureReason(status::kTooLarge, "wider or higher than 65535 pixels");
  SafeFile out;
  if (int rc = out.Open(path)) return rc;
  if (int rc = WriteBody(out, desc)) return rc;
  return out.Commit();
}

}  // namespace veska
