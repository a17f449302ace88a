// Shared by the file-format tests (and the fuzz seeds): a prompter that
// answers the BIF dimension question, TIFF, PNG and JPEG files written by
// their libraries' own calls, and the samples and pixels of a loaded image.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>  // before jpeglib.h, which needs FILE

#include <jpeglib.h>
#include <png.h>
#include <tiffio.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "codec_test_support.h"
#include "image/aimage.h"
#include "image/prompter.h"
#include "imagelib/pixel_access.h"
#include "tools/sample_images.h"

namespace veska::test {

// Answers the BIF prompt with fixed dimensions, or cancels, while installed.
class BifAnswer : public Prompter {
 public:
  BifAnswer(int width, int height, bool ok = true) : width_(width), height_(height), ok_(ok) {
    previous_ = Install(this);
  }
  ~BifAnswer() override { Install(previous_); }
  bool AskBifDimensions(const std::string&, int& width, int& height) override {
    ++asked;
    width = width_;
    height = height_;
    return ok_;
  }
  int asked = 0;

 private:
  int width_, height_;
  bool ok_;
  Prompter* previous_;
};

// Loads `path` the way a front end does: the load options asked of the
// prompter in force first, then the load.
inline int LoadAsking(AImage& image, const std::string& path) {
  LoadOptions options;
  if (int rc = AskLoadOptions(path, options)) return rc;
  return Load(image, path, options);
}

// How a TIFF test file is laid out.
struct Layout {
  const char* mode = "w";  // "wb" big-endian, "wl" little-endian
  int width = 40, height = 20, bits = 8, samples = 1;
  uint16_t photometric = PHOTOMETRIC_MINISBLACK, compression = COMPRESSION_NONE;
  uint16_t planar = PLANARCONFIG_CONTIG;
  uint32_t rowsPerStrip = 3, tile = 0;  // tile side, 0 for strips
  int stripsWritten = 1 << 30;           // fewer leaves the last strips without data
  int extraSample = -1;                  // the kind of one extra sample (alpha), or none
};

// Sample s of pixel (x, y).
using Sample = std::function<uint32_t(int x, int y, int s)>;

// Packs the samples of rows [top, top + rows) and columns [left, left +
// columns) of one plane (or all, contiguous) MSB first, 16-bit ones natively.
inline std::vector<uint8_t> Pack(const Layout& l, const Sample& v, int left, int top, int columns,
                                 int rows, int plane) {
  const int perPixel = l.planar == PLANARCONFIG_CONTIG ? l.samples : 1;
  const size_t rowBytes = (size_t(columns) * perPixel * l.bits + 7) / 8;
  std::vector<uint8_t> out(rowBytes * rows);
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < columns * perPixel; ++c) {
      const int x = left + c / perPixel, y = top + r, s = perPixel == 1 ? plane : c % perPixel;
      const uint32_t value = x < l.width && y < l.height ? v(x, y, s) : 0;
      uint8_t* row = out.data() + r * rowBytes;
      if (l.bits == 16) {
        const uint16_t w = uint16_t(value);
        std::memcpy(row + 2 * c, &w, 2);  // native order; libtiff swaps as needed
        continue;
      }
      for (int b = 0; b < l.bits; ++b) {
        const size_t bit = size_t(c) * l.bits + b;
        if ((value >> (l.bits - 1 - b)) & 1) row[bit / 8] |= uint8_t(0x80 >> (bit % 8));
      }
    }
  return out;
}

inline void WriteTiff(const std::string& path, const Layout& l, const Sample& v,
                      uint16_t* colourMap = nullptr) {
  TIFF* tif = TIFFOpen(path.c_str(), l.mode);
  ASSERT_NE(tif, nullptr);
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, l.width);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, l.height);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, l.bits);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, l.samples);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, l.photometric);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, l.compression);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, l.planar);
  if (colourMap) TIFFSetField(tif, TIFFTAG_COLORMAP, colourMap, colourMap, colourMap);
  if (l.extraSample >= 0) {
    const uint16_t kind = uint16_t(l.extraSample);
    TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &kind);
  }
  const int planes = l.planar == PLANARCONFIG_CONTIG ? 1 : l.samples;
  if (l.tile) {
    TIFFSetField(tif, TIFFTAG_TILEWIDTH, l.tile);
    TIFFSetField(tif, TIFFTAG_TILELENGTH, l.tile);
    for (int p = 0; p < planes; ++p)
      for (int y = 0; y < l.height; y += int(l.tile))
        for (int x = 0; x < l.width; x += int(l.tile)) {
          auto data = Pack(l, v, x, y, int(l.tile), int(l.tile), p);
          TIFFWriteEncodedTile(tif, TIFFComputeTile(tif, x, y, 0, uint16_t(p)), data.data(),
                               tmsize_t(data.size()));
        }
  } else {
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, l.rowsPerStrip);
    const int strips = (l.height + int(l.rowsPerStrip) - 1) / int(l.rowsPerStrip);
    for (int p = 0; p < planes; ++p)
      for (int s = 0; s < std::min(strips, l.stripsWritten); ++s) {
        const int top = s * int(l.rowsPerStrip);
        auto data = Pack(l, v, 0, top, l.width, std::min(int(l.rowsPerStrip), l.height - top), p);
        TIFFWriteEncodedStrip(tif, uint32_t(p * strips + s), data.data(), tmsize_t(data.size()));
      }
  }
  TIFFClose(tif);
}

// A 16-bit tag of a TIFF file.
inline uint16_t Tag16(const std::string& path, uint32_t tag) {
  TIFF* tif = TIFFOpen(path.c_str(), "r");
  uint16_t value = 0;
  TIFFGetField(tif, tag, &value);
  TIFFClose(tif);
  return value;
}

// A PNG file written by libpng; `row` fills the PNG bytes of row y.
inline void WritePng(const std::string& path, int width, int height, int depth, int type,
                     bool interlace, const std::function<void(int y, std::vector<uint8_t>&)>& row,
                     const std::vector<png_color>& palette = {}) {
  FILE* f = std::fopen(path.c_str(), "wb");
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_init_io(png, f);
  png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), depth, type,
               interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (!palette.empty()) png_set_PLTE(png, info, palette.data(), int(palette.size()));
  png_write_info(png, info);
  const int passes = png_set_interlace_handling(png);
  std::vector<uint8_t> bytes(png_get_rowbytes(png, info));
  for (int pass = 0; pass < passes; ++pass)
    for (int y = 0; y < height; ++y) {
      row(y, bytes);
      png_write_row(png, bytes.data());
    }
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  std::fclose(f);
}

// How a JPEG test file is coded.
struct JpegCoding {
  int width = 64, height = 56, components = 3;
  J_COLOR_SPACE in = JCS_RGB, stored = JCS_YCbCr;
  bool adobe = true;
  std::vector<uint8_t> exif;  // APP1 body
  // How the scans are coded: progressive, arithmetic, chroma subsampling.
  bool progressive = false, arithmetic = false;
  int lumaH = 1;
};

// A JPEG file written by libjpeg at quality 100 with pixel(x, y, c) as
// sample c; more than four components take one scan each.
inline void WriteJpeg(const std::string& path, const JpegCoding& coding,
                      const std::function<uint8_t(int, int, int)>& pixel) {
  jpeg_compress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  FILE* f = std::fopen(path.c_str(), "wb");
  jpeg_stdio_dest(&c, f);
  c.image_width = JDIMENSION(coding.width);
  c.image_height = JDIMENSION(coding.height);
  c.input_components = coding.components;
  c.in_color_space = coding.in;
  jpeg_set_defaults(&c);
  jpeg_set_colorspace(&c, coding.stored);
  c.write_Adobe_marker = coding.adobe ? TRUE : FALSE;
  jpeg_set_quality(&c, 100, TRUE);
  if (coding.progressive) jpeg_simple_progression(&c);
  c.arith_code = coding.arithmetic ? TRUE : FALSE;
  c.comp_info[0].h_samp_factor = coding.lumaH;
  std::vector<jpeg_scan_info> scans;
  for (int i = 0; coding.components > MAX_COMPS_IN_SCAN && i < coding.components; ++i)
    scans.push_back(jpeg_scan_info{1, {i}, 0, 63, 0, 0});
  if (!scans.empty()) c.scan_info = scans.data(), c.num_scans = int(scans.size());
  jpeg_start_compress(&c, TRUE);
  if (!coding.exif.empty())
    jpeg_write_marker(&c, JPEG_APP0 + 1, coding.exif.data(), unsigned(coding.exif.size()));
  std::vector<uint8_t> row(size_t(coding.width * coding.components));
  while (c.next_scanline < c.image_height) {
    const int y = int(c.next_scanline);
    for (int x = 0; x < coding.width; ++x)
      for (int k = 0; k < coding.components; ++k)
        row[size_t(x * coding.components + k)] = pixel(x, y, k);
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&c, rows, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  std::fclose(f);
}

// The sample of image row y (from the top), column x of a plane.
inline uint16_t PlaneSample(const AImage& image, int x, int y, int plane = 0) {
  const LuminanceMatrix& m = image.Channels().Plane(plane)->Matrix();
  return m.rows[m.rowOffset + (m.h - 1 - y)][m.colOffset + x];
}

// Every pixel value of an image, row by row from the top.
inline std::vector<uint32_t> Pixels(const AImage& image) {
  std::vector<uint32_t> all;
  for (int y = 0; y < image.Height(); ++y)
    for (int x = 0; x < image.Width(); ++x) all.push_back(GetPixelValue(*image.Desc(), x, y));
  return all;
}

}  // namespace veska::test
