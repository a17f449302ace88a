// Writes small valid files of every format into a folder (made if missing):
// the fuzz targets' starting corpus and the inputs of their replay cases.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>
#include <png.h>

#include "image/aimage.h"
#include "image/image_file.h"
#include "imagelib/image_desc.h"
#include "imagelib/pixel_access.h"

namespace {

// False when the file could not be written.
bool Write(const std::string& folder, const std::string& name, int bits, bool sixteen) {
  veska::ImageDesc desc;
  if (veska::Allocate(desc, 50, 52, bits) != 0) return false;
  for (int y = 0; y < 52; ++y)
    for (int x = 0; x < 50; ++x)
      veska::SetPixelValue(desc, x, y, uint32_t(x * 5 + y) | uint32_t(x * y % 256) << 8);
  veska::AImage image(desc);
  image.Channels().BuildLuminance(image.Desc(), false);
  if (sixteen) {
    // Samples beyond 8 bits in a primary plane: saved as a 16-bit TIFF or PNG.
    veska::LuminanceMatrix& m = image.Channels().Plane(0)->Matrix();
    for (int r = 0; r < m.side; ++r)
      for (int c = 0; c < m.side; ++c) m.rows[r][c] = uint16_t(r * 977 + c * 13);
    image.Channels().SetDerived(false);
    image.Channels().SetSixteenBit(true);
  }
  if (veska::Save(image, folder + "/" + name) == 0) return true;
  std::fprintf(stderr, "could not write %s\n", name.c_str());
  return false;
}

// PNG files of the kinds other programs write: alpha, palette, 2-bit grey.
// False when the file could not be created.
bool WritePng(const std::string& path, int type, int depth) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_init_io(png, f);
  png_set_IHDR(png, info, 50, 52, depth, type, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  std::vector<png_color> palette(16);
  for (int i = 0; i < 16; ++i) palette[size_t(i)] = png_color{uint8_t(i * 16), uint8_t(i), 90};
  if (type == PNG_COLOR_TYPE_PALETTE) png_set_PLTE(png, info, palette.data(), 16);
  png_write_info(png, info);
  std::vector<uint8_t> row(png_get_rowbytes(png, info));
  for (int y = 0; y < 52; ++y) {
    for (size_t x = 0; x < row.size(); ++x) row[x] = uint8_t(x * 7 + y);
    png_write_row(png, row.data());
  }
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return std::fclose(f) == 0;
}

// A CMYK JPEG (Adobe's inverted inks) that a camera's EXIF segment turns.
bool WriteCmykJpeg(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  jpeg_compress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  jpeg_stdio_dest(&c, f);
  c.image_width = 56;
  c.image_height = 50;
  c.input_components = 4;
  c.in_color_space = JCS_CMYK;
  jpeg_set_defaults(&c);
  jpeg_start_compress(&c, TRUE);
  const uint8_t exif[] = {'E', 'x', 'i', 'f', 0,    0, 'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0, 0x12,
                          1,   3,   0,   1,   0,    0, 0,   6,   0,  0, 0, 0, 0, 0, 0, 0, 0};
  jpeg_write_marker(&c, JPEG_APP0 + 1, exif, sizeof exif);
  std::vector<uint8_t> row(56 * 4);
  while (c.next_scanline < c.image_height) {
    for (size_t x = 0; x < row.size(); ++x) row[x] = uint8_t(x * 3 + c.next_scanline);
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&c, rows, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  return std::fclose(f) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s folder\n", argv[0]);
    return 2;
  }
  const std::string folder = argv[1];
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  bool ok = true;
  for (int i = 0; i < veska::kFormatCount; ++i) {
    const std::string ext = veska::FileFormat(i).extension;
    ok = Write(folder, "grey" + ext, 8, false) && ok;
    if (i != veska::kBif && i != veska::kPcx) ok = Write(folder, "colour" + ext, 24, false) && ok;
  }
  ok = Write(folder, "deep.tif", 8, true) && ok;
  ok = Write(folder, "deep.asc", 8, true) && ok;
  ok = Write(folder, "deep.png", 8, true) && ok;
  ok = WritePng(folder + "/rgba.png", PNG_COLOR_TYPE_RGBA, 8) && ok;
  ok = WritePng(folder + "/greyalpha16.png", PNG_COLOR_TYPE_GRAY_ALPHA, 16) && ok;
  ok = WritePng(folder + "/palette.png", PNG_COLOR_TYPE_PALETTE, 4) && ok;
  ok = WritePng(folder + "/grey2.png", PNG_COLOR_TYPE_GRAY, 2) && ok;
  ok = WriteCmykJpeg(folder + "/cmyk-turned.jpg") && ok;
  return ok ? 0 : 1;
}
