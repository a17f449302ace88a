// Writes small valid files of every format into a folder (made if missing):
// the fuzz targets' starting corpus and the inputs of their replay cases.
#include <cstdio>
#include <filesystem>
#include <string>

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
    // Samples beyond 8 bits in a primary plane: saved as a 16-bit TIFF.
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
  return ok ? 0 : 1;
}
