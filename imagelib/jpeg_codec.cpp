#include "imagelib/jpeg_codec.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jerror.h>
#include <jpeglib.h>

#include "imagelib/safe_file.h"
#include "imagelib/status.h"

namespace veska {
namespace {

// libjpeg reports a fatal error by calling error_exit, which must not return:
// ours jumps back to the one function that runs the library calls. Warnings
// are counted only where they matter: data that is missing or corrupt.
struct ErrorManager {
  jpeg_error_mgr pub;
  jmp_buf jump;
  bool corrupt;
};

void OnError(j_common_ptr cinfo) {
  longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

// Warnings after which libjpeg has made up part of the picture: the file
// ends early, a marker cuts a scan short, coded data is damaged. Others (such
// as stray bytes before a marker) leave the pixels as the file gives them.
bool PicturePartlyInvented(int code) {
  return code == JWRN_JPEG_EOF || code == JWRN_HIT_MARKER || code == JWRN_MUST_RESYNC ||
         code == JWRN_HUFF_BAD_CODE;
}

void OnMessage(j_common_ptr cinfo, int level) {
  if (level < 0 && PicturePartlyInvented(cinfo->err->msg_code))
    reinterpret_cast<ErrorManager*>(cinfo->err)->corrupt = true;
}

void OnOutput(j_common_ptr) {}

void InstallErrorManager(ErrorManager& err) {
  jpeg_std_error(&err.pub);
  err.pub.error_exit = OnError;
  err.pub.emit_message = OnMessage;
  err.pub.output_message = OnOutput;
  err.corrupt = false;
}

// The code for a library failure: memory, or the format's own code.
int FailureCode(const ErrorManager& err, int formatCode) {
  const int code = err.pub.msg_code;
  return code == JERR_OUT_OF_MEMORY || code == JERR_NO_BACKING_STORE ? status::kNoMemory
                                                                       : formatCode;
}

// Whole-image buffers (progressive files) beyond this fail as out of memory
// instead of letting a header's dimensions decide how much is allocated.
constexpr long kMaxDecoderMemory = 1L << 31;

// The state of one read. Plain data only: a longjmp may leave the function
// that uses it at any library call.
struct ReadJob {
  jpeg_decompress_struct cinfo;
  ErrorManager err;
  FILE* file;
  JpegInfo* info;    // filled when set
  ImageDesc* desc;   // decoded into when set
};

constexpr int kExifOrientationTag = 0x0112;
constexpr int kExifShort = 3;

// The orientation tag of the first image directory of an EXIF segment
// ("Exif\0\0" and a TIFF structure of either byte order); 1 when there is
// none or it is out of range.
int ExifOrientation(const uint8_t* data, size_t size) {
  if (size < 14 || std::memcmp(data, "Exif\0\0", 6) != 0) return 1;
  const uint8_t* tiff = data + 6;
  const size_t length = size - 6;
  const bool big = tiff[0] == 'M' && tiff[1] == 'M';
  if (!big && !(tiff[0] == 'I' && tiff[1] == 'I')) return 1;
  auto u16 = [&](size_t at) {
    return big ? unsigned(tiff[at] << 8 | tiff[at + 1]) : unsigned(tiff[at] | tiff[at + 1] << 8);
  };
  auto u32 = [&](size_t at) {
    return big ? (uint32_t(u16(at)) << 16 | u16(at + 2)) : (u16(at) | uint32_t(u16(at + 2)) << 16);
  };
  const uint32_t directory = u32(4);
  if (directory > length - 2) return 1;
  const unsigned entries = u16(directory);
  for (unsigned i = 0; i < entries; ++i) {
    const size_t entry = directory + 2 + size_t(i) * 12;
    if (entry + 12 > length) return 1;
    if (u16(entry) != kExifOrientationTag) continue;
    const unsigned value = u16(entry + 8);
    return u16(entry + 2) == kExifShort && value >= 1 && value <= 8 ? int(value) : 1;
  }
  return 1;
}

int FileOrientation(const jpeg_decompress_struct& c) {
  for (jpeg_saved_marker_ptr m = c.marker_list; m != nullptr; m = m->next)
    if (m->marker == JPEG_APP0 + 1) return ExifOrientation(m->data, m->data_length);
  return 1;
}

void FillInfo(const jpeg_decompress_struct& c, JpegInfo& info) {
  info = JpegInfo{};
  info.width = int(c.image_width);
  info.height = int(c.image_height);
  info.bitsPerSample = c.data_precision;
  info.samplesPerPixel = c.num_components;
  info.bitsPerPixel = c.num_components == 1 ? 8 : 24;
  info.orientation = FileOrientation(c);
  // libjpeg does not say which start-of-frame marker it met; its flags tell
  // progressive frames and the extended features (arithmetic coding, 12 bits).
  info.frame = c.progressive_mode                       ? JpegFrame::kProgressive
               : c.arith_code || c.data_precision != 8 ? JpegFrame::kExtended
                                                        : JpegFrame::kBaseline;
  if (c.saw_JFIF_marker) {
    info.densityUnit = c.density_unit;
    info.xDensity = c.X_density;
    info.yDensity = c.Y_density;
  }
}

// Turns one decoded row of 4-component ink values into blue, green, red.
// Adobe files store the inks inverted (libjpeg has already turned YCCK into
// such CMYK).
void CmykToBgr(const JSAMPLE* in, uint8_t* out, int count, bool inverted) {
  for (int x = 0; x < count; ++x, in += 4, out += 3) {
    int c = in[0], m = in[1], y = in[2], k = in[3];
    if (!inverted) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
    out[0] = uint8_t((y * k + 127) / 255);
    out[1] = uint8_t((m * k + 127) / 255);
    out[2] = uint8_t((c * k + 127) / 255);
  }
}

void DecodeRows(ReadJob& job) {
  jpeg_decompress_struct& c = job.cinfo;
  ImageDesc& desc = *job.desc;
  const bool cmyk = c.num_components == 4;
  c.out_color_space = c.num_components == 1 ? JCS_GRAYSCALE : cmyk ? JCS_CMYK : JCS_EXT_BGR;
  jpeg_start_decompress(&c);
  JSAMPARRAY row = (*c.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&c), JPOOL_IMAGE,
                                          c.output_width * JDIMENSION(c.output_components), 1);
  const ReadTarget target(desc, int(c.output_width), int(c.output_height));
  const size_t pixelBytes = size_t(desc.BitsPerPixel() / 8);
  while (c.output_scanline < c.output_height) {
    const int y = int(c.output_scanline);
    jpeg_read_scanlines(&c, row, 1);
    uint8_t* out = target.Row(y);
    if (out == nullptr) continue;
    if (cmyk)
      CmykToBgr(row[0], out, target.width(), c.saw_Adobe_marker);
    else
      std::memcpy(out, row[0], size_t(target.width()) * pixelBytes);
  }
  jpeg_finish_decompress(&c);
}

// Runs the library on one file: the information, and the pixels when the job
// has a descriptor.
int RunRead(ReadJob& job) {
  job.cinfo.err = &job.err.pub;
  InstallErrorManager(job.err);
  if (setjmp(job.err.jump)) {
    jpeg_destroy_decompress(&job.cinfo);
    return FailureCode(job.err, status::kBadJpeg);
  }
  jpeg_create_decompress(&job.cinfo);
  job.cinfo.mem->max_memory_to_use = kMaxDecoderMemory;
  jpeg_stdio_src(&job.cinfo, job.file);
  if (job.info) jpeg_save_markers(&job.cinfo, JPEG_APP0 + 1, 0xFFFF);
  jpeg_read_header(&job.cinfo, TRUE);
  int rc = status::kOk;
  const int components = job.cinfo.num_components;
  if (components > 4) {
    rc = status::kBadJpeg;
  } else {
    if (job.info) FillInfo(job.cinfo, *job.info);
    if (job.desc) {
      if (components == 2) rc = status::kBadJpeg;
      else rc = CheckReadTarget(*job.desc, components == 1 ? 8 : 24);
      if (rc == status::kOk) DecodeRows(job);
      if (rc == status::kOk && job.err.corrupt) rc = status::kBadJpeg;
    }
  }
  jpeg_destroy_decompress(&job.cinfo);
  return rc;
}

int Read(const std::string& path, JpegInfo* info, ImageDesc* desc) {
  FilePtr file;
  if (int rc = OpenForRead(path, file)) return rc;
  ReadJob job{};
  job.file = file.get();
  job.info = info;
  job.desc = desc;
  return RunRead(job);
}

// --- writing ---------------------------------------------------------------

struct WriteJob {
  jpeg_compress_struct cinfo;
  ErrorManager err;
  FILE* file;
  ImageDesc* desc;
  const JpegWriteOptions* options;
  bool gray;
};

bool ValidDensity(int value) { return value >= 1 && value <= 65535; }

void SetDensity(jpeg_compress_struct& c, const JpegWriteOptions& o) {
  const bool valid = o.densityUnit >= 0 && o.densityUnit <= 2 && ValidDensity(o.xDensity) &&
                     ValidDensity(o.yDensity);
  c.write_JFIF_header = TRUE;
  c.density_unit = UINT8(valid ? o.densityUnit : kJpegDensityPerInch);
  c.X_density = UINT16(valid ? o.xDensity : 72);
  c.Y_density = UINT16(valid ? o.yDensity : 72);
}

// One row of the rectangle as the coder takes it: grey bytes, or blue,
// green, red (an 8-bit colour image goes through its table).
void PrepareRow(const WriteJob& job, int y, JSAMPLE* raw, JSAMPLE* out) {
  const ImageDesc& desc = *job.desc;
  if (job.gray || desc.BitsPerPixel() == 24) {
    ExtractRectRow(desc, y, out);
    return;
  }
  ExtractRectRow(desc, y, raw);
  pixel::ExpandIndices(desc, raw, RectWidth(desc), out);
}

int RunWrite(WriteJob& job) {
  jpeg_compress_struct& c = job.cinfo;
  c.err = &job.err.pub;
  InstallErrorManager(job.err);
  if (setjmp(job.err.jump)) {
    jpeg_destroy_compress(&c);
    return FailureCode(job.err, status::kDiskFull);
  }
  jpeg_create_compress(&c);
  jpeg_stdio_dest(&c, job.file);
  const ImageDesc& desc = *job.desc;
  c.image_width = JDIMENSION(RectWidth(desc));
  c.image_height = JDIMENSION(RectHeight(desc));
  c.input_components = job.gray ? 1 : 3;
  c.in_color_space = job.gray ? JCS_GRAYSCALE : JCS_EXT_BGR;
  jpeg_set_defaults(&c);
  // Tables may exceed 255 at low quality (16-bit tables); at 100 every
  // entry is 1.
  jpeg_set_quality(&c, job.options->quality, FALSE);
  if (job.options->progressive) jpeg_simple_progression(&c);
  SetDensity(c, *job.options);
  jpeg_start_compress(&c, TRUE);
  JSAMPARRAY rows = (*c.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&c), JPOOL_IMAGE,
                                           c.image_width * 3, 2);
  while (c.next_scanline < c.image_height) {
    PrepareRow(job, int(c.next_scanline), rows[1], rows[0]);
    jpeg_write_scanlines(&c, rows, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  return status::kOk;
}

}  // namespace

int JpegInformation(const std::string& path, JpegInfo& info) { return Read(path, &info, nullptr); }

int JpegRead(const std::string& path, ImageDesc& desc) {
  if (int rc = Validate8_24(desc)) return rc;
  if (int rc = Read(path, nullptr, &desc)) return rc;
  if (desc.BitsPerPixel() == 8) {
    SetGrayPalette(desc);
    FinishColourTable(desc);
  }
  return status::kOk;
}

int JpegWrite(const std::string& path, ImageDesc& desc, const JpegWriteOptions& options) {
  if (int rc = Validate8_24(desc)) return rc;
  if (RectWidth(desc) > JPEG_MAX_DIMENSION || RectHeight(desc) > JPEG_MAX_DIMENSION)
    return NoteFailureReason(status::kTooLarge, "wider or higher than 65535 pixels");
  SafeFile out;
  if (int rc = out.Open(path)) return rc;
  WriteJob job{};
  job.file = out.stream();
  job.desc = &desc;
  job.options = &options;
  job.gray = desc.BitsPerPixel() == 8 && IsGrayscale(desc);
  if (int rc = RunWrite(job)) return rc;
  return out.Commit();
}

double JpegApplyResolution(const JpegInfo& info, ImageDesc& desc) {
  if (info.densityUnit == kJpegDensityPerInch) return SetResolution(desc, info.xDensity);
  if (info.densityUnit == kJpegDensityPerCm) return SetResolutionDpmm(desc, info.xDensity / 10.0);
  return SetResolution(desc, 72);
}

}  // namespace veska
