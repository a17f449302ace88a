#include "imagelib/png_codec.h"

#include <png.h>

#include <bit>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "imagelib/safe_file.h"
#include "imagelib/status.h"

namespace veska {
namespace {

constexpr size_t kSignatureSize = 8;
constexpr uint32_t kMaxPngValue = 0x7FFFFFFF;

// libpng's structures for one call. libpng reports a fatal error through our
// handler, which jumps back to the setjmp of the phase function that made the
// call; those functions hold plain data only.
struct PngJob {
  png_structp png = nullptr;
  png_infop info = nullptr;
  bool outOfMemory = false;
  char message[160] = {};  // libpng's words for the failure

  // The failure's code, with libpng's reason noted for it.
  int Failure(int formatCode) const {
    return outOfMemory ? status::kNoMemory : NoteFailureReason(formatCode, message);
  }
};

void OnError(png_structp png, png_const_charp message) {
  auto* job = static_cast<PngJob*>(png_get_error_ptr(png));
  job->outOfMemory = message != nullptr && std::strstr(message, "emory") != nullptr;
  std::snprintf(job->message, sizeof job->message, "%s", message != nullptr ? message : "");
  png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

struct ReadStructs : PngJob {
  ~ReadStructs() { png_destroy_read_struct(&png, &info, nullptr); }
};

struct WriteStructs : PngJob {
  ~WriteStructs() { png_destroy_write_struct(&png, &info); }
};

// Opens the file, checks the signature and reads the header chunks.
int ReadHeaderPhase(PngJob& job, FILE* file) {
  if (setjmp(png_jmpbuf(job.png))) return job.Failure(status::kBadPng);
  png_init_io(job.png, file);
  png_set_sig_bytes(job.png, int(kSignatureSize));
  png_read_info(job.png, job.info);
  return status::kOk;
}

int OpenAndReadHeader(const std::string& path, FilePtr& file, ReadStructs& s) {
  if (int rc = OpenForRead(path, file)) return rc;
  png_byte signature[kSignatureSize];
  if (!ReadExact(file.get(), signature, sizeof signature) ||
      png_sig_cmp(signature, 0, sizeof signature) != 0)
    return NoteFailureReason(status::kBadPng, "not a PNG file");
  s.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, static_cast<PngJob*>(&s), OnError,
                                 OnWarning);
  if (s.png != nullptr) s.info = png_create_info_struct(s.png);
  if (s.info == nullptr) return status::kNoMemory;
  return ReadHeaderPhase(s, file.get());
}

// Truecolour files read into 24 bits; grey and palette files into 8 bits.
bool IsTrueColour(int type) {
  return (type & PNG_COLOR_MASK_COLOR) != 0 && (type & PNG_COLOR_MASK_PALETTE) == 0;
}

void FillInfo(const PngJob& s, PngInfo& info) {
  info = PngInfo{};
  const int type = png_get_color_type(s.png, s.info);
  const int channels = png_get_channels(s.png, s.info);
  info.width = int(png_get_image_width(s.png, s.info));
  info.height = int(png_get_image_height(s.png, s.info));
  info.bitsPerSample = png_get_bit_depth(s.png, s.info);
  info.colourType = type;
  info.hasAlpha = (type & PNG_COLOR_MASK_ALPHA) != 0;
  info.samplesPerPixel = channels;
  info.bitsPerPixel = IsTrueColour(type) ? 24 : 8;
  info.interlaced = png_get_interlace_type(s.png, s.info) != PNG_INTERLACE_NONE;
}

// --- reading pixels --------------------------------------------------------

struct Decode {
  const ReadTarget* target;
  size_t inBytes;     // bytes of a decoded pixel: 1 or 3, and one more with alpha
  size_t pixelBytes;  // bytes of a stored pixel: 1 or 3
  png_bytep rows;     // the rows that land in the target, for interlaced files
  png_bytep scratch;  // one row
  size_t rowBytes;
  int passes;
};

// Asks libpng for 8-bit grey, palette index or blue-green-red rows, each
// pixel followed by its alpha when the file has one.
int TransformPhase(PngJob& s, int& passes, size_t& rowBytes) {
  if (setjmp(png_jmpbuf(s.png))) return s.Failure(status::kBadPng);
  const int type = png_get_color_type(s.png, s.info);
  const int depth = png_get_bit_depth(s.png, s.info);
  if (type == PNG_COLOR_TYPE_PALETTE) png_set_packing(s.png);
  if (type == PNG_COLOR_TYPE_GRAY && depth < 8) png_set_expand_gray_1_2_4_to_8(s.png);
  if (depth == 16) png_set_scale_16(s.png);
  if (IsTrueColour(type)) png_set_bgr(s.png);
  passes = png_set_interlace_handling(s.png);
  png_read_update_info(s.png, s.info);
  rowBytes = png_get_rowbytes(s.png, s.info);
  return status::kOk;
}

// Stores a decoded row; an alpha sample is flattened onto white.
void StoreRow(const Decode& d, const uint8_t* in, uint8_t* out) {
  const int count = d.target->width();
  if (d.inBytes == d.pixelBytes) {
    std::memcpy(out, in, size_t(count) * d.pixelBytes);
    return;
  }
  for (int x = 0; x < count; ++x, in += d.inBytes, out += d.pixelBytes) {
    const unsigned alpha = in[d.pixelBytes];
    for (size_t c = 0; c < d.pixelBytes; ++c)
      out[c] = uint8_t((in[c] * alpha + 255 * (255 - alpha) + 127) / 255);
  }
}

int RowsPhase(PngJob& s, const Decode& d) {
  if (setjmp(png_jmpbuf(s.png))) return s.Failure(status::kBadPng);
  const int height = int(png_get_image_height(s.png, s.info));
  for (int pass = 0; pass < d.passes; ++pass) {
    for (int y = 0; y < height; ++y) {
      const bool kept = d.passes > 1 && y < d.target->height();
      png_bytep row = kept ? d.rows + size_t(y) * d.rowBytes : d.scratch;
      png_read_row(s.png, row, nullptr);
      if (d.passes == 1)
        if (uint8_t* out = d.target->Row(y)) StoreRow(d, row, out);
    }
  }
  for (int y = 0; d.passes > 1 && y < d.target->height(); ++y)
    StoreRow(d, d.rows + size_t(y) * d.rowBytes, d.target->Row(y));
  png_read_end(s.png, nullptr);  // a file cut short fails here at the latest
  return status::kOk;
}

// The file's colour table into the descriptor's; entries it lacks are black.
void LoadPalette(const PngJob& s, ImageDesc& desc) {
  png_colorp entries = nullptr;
  int count = 0;
  png_get_PLTE(s.png, s.info, &entries, &count);
  std::memset(desc.palette, 0, sizeof(RgbQuad) * size_t(desc.colours));
  for (int i = 0; i < count && i < desc.colours; ++i)
    desc.palette[i] = RgbQuad{entries[i].blue, entries[i].green, entries[i].red, 0};
}

// All rows of a 16-bit grey file, in host byte order.
int Rows16Phase(PngJob& s, png_bytepp rows) {
  if (setjmp(png_jmpbuf(s.png))) return s.Failure(status::kBadPng);
  if (png_get_bit_depth(s.png, s.info) != 16 || png_get_channels(s.png, s.info) != 1)
    return status::kBitsPerPixel;
  if constexpr (std::endian::native == std::endian::little) png_set_swap(s.png);
  png_set_interlace_handling(s.png);
  png_read_update_info(s.png, s.info);
  png_read_image(s.png, rows);
  png_read_end(s.png, nullptr);
  return status::kOk;
}

// --- writing ---------------------------------------------------------------

struct Encode {
  const ImageDesc* desc;
  const PngPhysical* physical;
  bool interlace;
  bool gray;     // 1-bit, grey 8-bit or 16-bit: written as grey
  bool invert;   // 1-bit whose first table entry is the light one
  png_bytep raw;
  png_bytep row;
};

bool ValidPhysical(const PngPhysical& p) {
  return (p.unit == kPngUnitNone || p.unit == kPngUnitMetre) && p.x <= kMaxPngValue &&
         p.y <= kMaxPngValue;
}

void PrepareRow(const Encode& e, int y) {
  if (e.gray || e.desc->BitsPerPixel() == 24) {
    ExtractRectRow(*e.desc, y, e.row);
    return;
  }
  ExtractRectRow(*e.desc, y, e.raw);
  pixel::ExpandIndices(*e.desc, e.raw, RectWidth(*e.desc), e.row);
}

int WritePhase(PngJob& s, FILE* file, const Encode& e) {
  if (setjmp(png_jmpbuf(s.png))) return s.Failure(status::kDiskFull);
  const ImageDesc& desc = *e.desc;
  png_init_io(s.png, file);
  png_set_IHDR(s.png, s.info, png_uint_32(RectWidth(desc)), png_uint_32(RectHeight(desc)),
               desc.BitsPerPixel() == 24 ? 8 : desc.BitsPerPixel(),
               e.gray ? PNG_COLOR_TYPE_GRAY : PNG_COLOR_TYPE_RGB,
               e.interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_pHYs(s.png, s.info, e.physical->x, e.physical->y, e.physical->unit);
  png_write_info(s.png, s.info);
  if (!e.gray) png_set_bgr(s.png);
  if (e.invert) png_set_invert_mono(s.png);
  // 16-bit rows hold their samples least significant byte first.
  if (desc.BitsPerPixel() == 16) png_set_swap(s.png);
  const int passes = e.interlace ? png_set_interlace_handling(s.png) : 1;
  for (int pass = 0; pass < passes; ++pass) {
    for (int y = 0; y < RectHeight(desc); ++y) {
      PrepareRow(e, y);
      png_write_row(s.png, e.row);
    }
  }
  png_write_end(s.png, s.info);
  return status::kOk;
}

}  // namespace

int PngInformation(const std::string& path, PngInfo& info) {
  FilePtr file;
  ReadStructs s;
  if (int rc = OpenAndReadHeader(path, file, s)) return rc;
  FillInfo(s, info);
  return status::kOk;
}

int PngGetPhysical(const std::string& path, PngPhysical& physical) {
  FilePtr file;
  ReadStructs s;
  if (int rc = OpenAndReadHeader(path, file, s)) return rc;
  physical = PngPhysical{};
  png_uint_32 x = 0, y = 0;
  int unit = 0;
  if (png_get_pHYs(s.png, s.info, &x, &y, &unit) != 0) physical = PngPhysical{x, y, unit};
  return status::kOk;
}

int PngRead(const std::string& path, ImageDesc& desc) {
  if (int rc = Validate8_24(desc)) return rc;
  FilePtr file;
  ReadStructs s;
  if (int rc = OpenAndReadHeader(path, file, s)) return rc;
  const int type = png_get_color_type(s.png, s.info);
  const bool colour = IsTrueColour(type);
  if (int rc = CheckReadTarget(desc, colour ? 24 : 8)) return rc;

  Decode d{};
  if (int rc = TransformPhase(s, d.passes, d.rowBytes)) return rc;
  const ReadTarget target(desc, int(png_get_image_width(s.png, s.info)),
                          int(png_get_image_height(s.png, s.info)));
  d.target = &target;
  d.pixelBytes = colour ? 3 : 1;
  d.inBytes = d.pixelBytes + ((type & PNG_COLOR_MASK_ALPHA) ? 1 : 0);
  if (d.rowBytes < size_t(target.width()) * d.inBytes) return status::kBadPng;
  Bytes scratch = AllocateBytes(d.rowBytes);
  Bytes rows = d.passes > 1 ? AllocateBytes(d.rowBytes * size_t(target.height())) : nullptr;
  if (!scratch || (d.passes > 1 && !rows)) return status::kNoMemory;
  d.scratch = scratch.get();
  d.rows = rows.get();
  if (int rc = RowsPhase(s, d)) return rc;
  if (type == PNG_COLOR_TYPE_PALETTE) {
    LoadPalette(s, desc);
    FinishColourTable(desc);
  } else if (!colour) {
    SetGrayPalette(desc);
    FinishColourTable(desc);
  }
  return status::kOk;
}

int PngRead16(const std::string& path, uint16_t* samples, int width, int height) {
  if (samples == nullptr || width <= 0 || height <= 0) return status::kRange;
  FilePtr file;
  ReadStructs s;
  if (int rc = OpenAndReadHeader(path, file, s)) return rc;
  if (int(png_get_image_width(s.png, s.info)) != width ||
      int(png_get_image_height(s.png, s.info)) != height)
    return status::kRange;
  std::unique_ptr<png_bytep[]> rows(new (std::nothrow) png_bytep[size_t(height)]);
  if (!rows) return status::kNoMemory;
  for (int y = 0; y < height; ++y)
    rows[size_t(y)] = reinterpret_cast<png_bytep>(samples + size_t(y) * size_t(width));
  return Rows16Phase(s, rows.get());
}

int PngWrite(const std::string& path, ImageDesc& desc, const PngWriteOptions& options) {
  if (int rc = Validate1_8_16_24(desc)) return rc;
  const int depth = desc.BitsPerPixel();
  Encode e{};
  e.desc = &desc;
  const PngWriteOptions defaults;
  e.physical = ValidPhysical(options.physical) ? &options.physical : &defaults.physical;
  e.interlace = options.interlace;
  e.gray = depth == 1 || depth == 16 || (depth == 8 && IsGrayscale(desc));
  e.invert = depth == 1 && desc.colours >= 2 &&
             EntryBrightness(desc.palette[0]) > EntryBrightness(desc.palette[1]);
  const size_t rowBytes = size_t(RectWidth(desc)) * 3;
  Bytes raw = AllocateBytes(rowBytes), row = AllocateBytes(rowBytes);
  if (!raw || !row) return status::kNoMemory;
  e.raw = raw.get();
  e.row = row.get();

  SafeFile out;
  if (int rc = out.Open(path)) return rc;
  WriteStructs s;
  s.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, static_cast<PngJob*>(&s), OnError,
                                  OnWarning);
  if (s.png != nullptr) s.info = png_create_info_struct(s.png);
  if (s.info == nullptr) return status::kNoMemory;
  if (int rc = WritePhase(s, out.stream(), e)) return rc;
  return out.Commit();
}

double PngApplyResolution(const PngPhysical& physical, ImageDesc& desc) {
  if (physical.unit == kPngUnitMetre && physical.x > 0)
    return SetResolutionDpmm(desc, physical.x / 1000.0);
  return SetResolution(desc, 72);
}

}  // namespace veska
