// Writes small valid files of every format into a folder (made if missing):
// the fuzz targets' starting corpus and the inputs of their replay cases. The
// files other programs would write come from the tests' library writers.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "image/aimage.h"
#include "image/image_file.h"
#include "imagelib/image_desc.h"
#include "imagelib/pixel_access.h"
#include "tests/image_file_support.h"

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
void WritePng(const std::string& path, int type, int depth) {
  std::vector<png_color> palette;
  for (int i = 0; type == PNG_COLOR_TYPE_PALETTE && i < 16; ++i)
    palette.push_back(png_color{uint8_t(i * 16), uint8_t(i), 90});
  veska::test::WritePng(
      path, 50, 52, depth, type, false,
      [](int y, std::vector<uint8_t>& row) {
        for (size_t x = 0; x < row.size(); ++x) row[x] = uint8_t(x * 7 + y);
      },
      palette);
}

// A CMYK JPEG (Adobe's inverted inks) that a camera's EXIF segment turns.
void WriteCmykJpeg(const std::string& path) {
  const std::vector<uint8_t> exif = {'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0,
                                     0x12, 1, 3, 0, 1, 0, 0, 0, 6, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  veska::test::WriteJpeg(path, {56, 50, 4, JCS_CMYK, JCS_CMYK, true, exif},
                         [](int x, int y, int k) { return uint8_t((x * 4 + k) * 3 + y); });
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
  if (!ok) return 1;  // the folder takes no files
  WritePng(folder + "/rgba.png", PNG_COLOR_TYPE_RGBA, 8);
  WritePng(folder + "/greyalpha16.png", PNG_COLOR_TYPE_GRAY_ALPHA, 16);
  WritePng(folder + "/palette.png", PNG_COLOR_TYPE_PALETTE, 4);
  WritePng(folder + "/grey2.png", PNG_COLOR_TYPE_GRAY, 2);
  WriteCmykJpeg(folder + "/cmyk-turned.jpg");
  return 0;
}
