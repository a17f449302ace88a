// Reading TIFF files: information, resolution, the 8-bit and the 16-bit reader.
#include <algorithm>
#include <cstring>
#include <new>

#include "imagelib/status.h"
#include "imagelib/tiff_codec.h"
#include "imagelib/tiff_io.h"
#include "imagelib/tiff_rows.h"

namespace veska {
namespace {

// An open file and the TIFF handle over it.
struct TiffFile {
  FilePtr file;
  TiffPtr tif;
  long long size = 0;
};

int Open(const std::string& path, TiffFile& f) {
  if (int rc = OpenForRead(path, f.file)) return rc;
  f.size = StreamSize(f.file.get());
  f.tif = OpenTiffStream(f.file.get(), path.c_str(), "rm");
  return f.tif ? status::kOk : status::kBadTif;
}

struct Fields {
  uint32_t width = 0;
  uint32_t height = 0;
  uint16_t bits = 1;
  uint16_t samples = 1;
  uint16_t photometric = PHOTOMETRIC_MINISBLACK;
  bool alpha = false;  // grey or RGB samples followed by an alpha sample
  bool premultiplied = false;
};

bool IsGrey(const Fields& f) {
  return f.photometric == PHOTOMETRIC_MINISWHITE || f.photometric == PHOTOMETRIC_MINISBLACK;
}

// One extra sample after the grey or RGB ones, declared as alpha (straight
// or premultiplied); grey files only with their samples interleaved.
void FindAlpha(TIFF* tif, Fields& f) {
  uint16_t planar = PLANARCONFIG_CONTIG;
  TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
  const bool oneExtra = (IsGrey(f) && f.samples == 2 && planar == PLANARCONFIG_CONTIG) ||
                        (f.photometric == PHOTOMETRIC_RGB && f.samples == 4);
  uint16_t count = 0;
  uint16_t* kinds = nullptr;
  if (!oneExtra || !TIFFGetField(tif, TIFFTAG_EXTRASAMPLES, &count, &kinds) || count != 1)
    return;
  f.premultiplied = kinds[0] == EXTRASAMPLE_ASSOCALPHA;
  f.alpha = f.premultiplied || kinds[0] == EXTRASAMPLE_UNASSALPHA;
}

Fields ReadFields(TIFF* tif) {
  Fields f;
  TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &f.width);
  TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &f.height);
  TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &f.bits);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &f.samples);
  TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &f.photometric);
  FindAlpha(tif, f);
  return f;
}

// Grey and palette files keep one value per pixel (a second sample that is
// not alpha is ignored); everything else is colour.
bool OneValuePerPixel(const Fields& f) {
  return (IsGrey(f) || f.photometric == PHOTOMETRIC_PALETTE) && f.samples <= 2;
}

// The deepest samples each reader takes: grey files with alpha and colour
// files are reduced from up to 16 bits, other grey and palette files are read
// here up to 8 bits (deeper grey ones by the 16-bit reader).
int DeepestSamples(const Fields& f) { return !OneValuePerPixel(f) || f.alpha ? 16 : 8; }

// White under a premultiplied value: what shows through is 255 - alpha
// (nothing for opaque pixels).
inline uint8_t OverWhite(uint32_t value, uint32_t alpha) {
  return uint8_t(std::min<uint32_t>(255, value + 255 - alpha));
}
// White under a straight value.
inline uint8_t StraightOverWhite(uint32_t value, uint32_t alpha) {
  return uint8_t((value * alpha + 255 * (255 - alpha) + 127) / 255);
}

bool Fits(const Fields& f) {
  return f.width > 0 && f.height > 0 && f.width <= INT32_MAX && f.height <= INT32_MAX;
}

// Loads the colour map of a palette file. Maps of 16-bit entries are the
// standard; some writers store 8-bit values, recognised by none exceeding 255.
int LoadColourMap(TIFF* tif, int bits, ImageDesc& desc) {
  uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
  if (!TIFFGetField(tif, TIFFTAG_COLORMAP, &red, &green, &blue)) return status::kBadTif;
  const int entries = std::min(1 << bits, desc.colours);
  bool wide = false;
  for (int i = 0; i < entries; ++i) wide = wide || red[i] > 255 || green[i] > 255 || blue[i] > 255;
  const int shift = wide ? 8 : 0;
  std::memset(desc.palette, 0, sizeof(RgbQuad) * size_t(desc.colours));
  for (int i = 0; i < entries; ++i)
    desc.palette[i] = RgbQuad{uint8_t(blue[i] >> shift), uint8_t(green[i] >> shift),
                              uint8_t(red[i] >> shift), 0};
  return status::kOk;
}

int ReadOneValue(TiffFile& f, const Fields& fields, ImageDesc& desc) {
  if (int rc = CheckReadTarget(desc, 8)) return rc;
  const bool palette = fields.photometric == PHOTOMETRIC_PALETTE;
  if (palette) {
    if (int rc = LoadColourMap(f.tif.get(), fields.bits, desc)) return rc;
  } else {
    SetGrayPalette(desc);
  }
  uint16_t planar = PLANARCONFIG_CONTIG;
  TIFFGetFieldDefaulted(f.tif.get(), TIFFTAG_PLANARCONFIG, &planar);
  const size_t step = planar == PLANARCONFIG_CONTIG ? fields.samples : 1;
  const uint32_t max = (1u << fields.bits) - 1;
  const ReadTarget target(desc, int(fields.width), int(fields.height));
  const int rc = ForEachTiffRow(f.tif.get(), f.size, [&](int y, const uint8_t* data) {
    uint8_t* out = target.Row(y);
    for (int x = 0; out != nullptr && x < target.width(); ++x) {
      const uint32_t v = UnpackSample(data, size_t(x) * step, fields.bits);
      if (!fields.alpha) {
        out[x] = uint8_t(palette ? v : v * 255 / max);
        continue;
      }
      // Grey and alpha reduced to 8 bits (rounded), flattened onto white.
      const uint32_t a = UnpackSample(data, size_t(x) * step + 1, fields.bits);
      const uint32_t grey8 = (v * 255 + max / 2) / max, alpha8 = (a * 255 + max / 2) / max;
      out[x] = fields.premultiplied ? OverWhite(grey8, alpha8) : StraightOverWhite(grey8, alpha8);
    }
  });
  if (rc == status::kOk) FinishColourTable(desc);
  return rc;
}

// Colour files go through libtiff's RGBA interface, which knows the
// photometric interpretations, planar layouts, subsampling and 16-bit samples
// (reduced to 8 bits, rounded); it decodes one band of strips or tiles at a
// time. Its pixels come premultiplied by their alpha, which is flattened onto
// white.
int ReadColour(TiffFile& f, const Fields& fields, ImageDesc& desc) {
  if (int rc = CheckReadTarget(desc, 24)) return rc;
  TIFF* tif = f.tif.get();
  char message[1024];
  TIFFRGBAImage image;
  if (!TIFFRGBAImageOK(tif, message) || !TIFFRGBAImageBegin(&image, tif, 0, message))
    return status::kBadTif;
  image.req_orientation = ORIENTATION_TOPLEFT;
  uint32_t band = 0;
  if (!TIFFGetField(tif, TIFFIsTiled(tif) ? TIFFTAG_TILELENGTH : TIFFTAG_ROWSPERSTRIP, &band) ||
      band == 0 || band > fields.height)
    band = fields.height;
  const uint64_t pixels = uint64_t(fields.width) * band;
  std::unique_ptr<uint32_t[]> raster(pixels <= (uint64_t(1) << 29)
                                         ? new (std::nothrow) uint32_t[size_t(pixels)]
                                         : nullptr);
  int rc = raster ? status::kOk : status::kNoMemory;
  const ReadTarget target(desc, int(fields.width), int(fields.height));
  for (uint32_t top = 0; rc == status::kOk && top < fields.height; top += band) {
    const uint32_t rows = std::min(band, fields.height - top);
    image.row_offset = int(top);
    image.col_offset = 0;
    if (!TIFFRGBAImageGet(&image, raster.get(), fields.width, rows)) {
      rc = status::kBadTif;
      break;
    }
    for (uint32_t r = 0; r < rows; ++r) {
      uint8_t* out = target.Row(int(top + r));
      const uint32_t* in = raster.get() + size_t(r) * fields.width;
      for (int x = 0; out != nullptr && x < target.width(); ++x) {
        const uint32_t alpha = TIFFGetA(in[x]);
        out[3 * x] = OverWhite(TIFFGetB(in[x]), alpha);
        out[3 * x + 1] = OverWhite(TIFFGetG(in[x]), alpha);
        out[3 * x + 2] = OverWhite(TIFFGetR(in[x]), alpha);
      }
    }
  }
  TIFFRGBAImageEnd(&image);
  return rc;
}

}  // namespace

int TiffInformation(const std::string& path, TiffInfo& info) {
  TiffFile f;
  if (int rc = Open(path, f)) return rc;
  const Fields fields = ReadFields(f.tif.get());
  if (!Fits(fields)) return status::kBadTif;
  info = TiffInfo{};
  info.width = int(fields.width);
  info.height = int(fields.height);
  info.bitsPerSample = fields.bits;
  info.samplesPerPixel = fields.samples;
  info.photometric = fields.photometric;
  info.alpha = fields.alpha;
  info.bitsPerPixel = !OneValuePerPixel(fields) ? 24 : fields.bits > 8 && !fields.alpha ? 16 : 8;
  return status::kOk;
}

int TiffGetResolution(const std::string& path, TiffResolution& resolution) {
  TiffFile f;
  if (int rc = Open(path, f)) return rc;
  resolution = TiffResolution{};
  float x = 0, y = 0;
  uint16_t unit = RESUNIT_INCH;
  if (TIFFGetField(f.tif.get(), TIFFTAG_XRESOLUTION, &x)) resolution.x = x;
  if (TIFFGetField(f.tif.get(), TIFFTAG_YRESOLUTION, &y)) resolution.y = y;
  TIFFGetFieldDefaulted(f.tif.get(), TIFFTAG_RESOLUTIONUNIT, &unit);
  resolution.unit = unit;
  return status::kOk;
}

int TiffRead(const std::string& path, ImageDesc& desc) {
  if (int rc = Validate8_24(desc)) return rc;
  TiffFile f;
  if (int rc = Open(path, f)) return rc;
  const Fields fields = ReadFields(f.tif.get());
  if (!Fits(fields)) return status::kBadTif;
  if (fields.bits == 0 || fields.bits > DeepestSamples(fields)) return status::kTifBitsPerSample;
  return OneValuePerPixel(fields) ? ReadOneValue(f, fields, desc) : ReadColour(f, fields, desc);
}

int TiffRead16(const std::string& path, uint16_t* samples, int width, int height) {
  if (samples == nullptr || width <= 0 || height <= 0) return status::kRange;
  TiffFile f;
  if (int rc = Open(path, f)) return rc;
  const Fields fields = ReadFields(f.tif.get());
  if (!Fits(fields)) return status::kBadTif;
  if (fields.bits <= 8 || fields.bits > 16) return status::kTifBitsPerSample;
  if (!IsGrey(fields) || fields.samples != 1) return status::kBitsPerPixel;
  const int columns = std::min(width, int(fields.width));
  return ForEachTiffRow(f.tif.get(), f.size, [&](int y, const uint8_t* data) {
    if (y >= height) return;
    uint16_t* out = samples + size_t(y) * size_t(width);
    for (int x = 0; x < columns; ++x) out[x] = uint16_t(UnpackSample(data, size_t(x), fields.bits));
  });
}

double TiffApplyResolution(const TiffResolution& resolution, ImageDesc& desc) {
  if (resolution.unit == kTiffUnitInch) return SetResolution(desc, resolution.x);
  if (resolution.unit == kTiffUnitCentimetre) return SetResolutionDpmm(desc, resolution.x / 10.0);
  return SetResolution(desc, 72);
}

}  // namespace veska
