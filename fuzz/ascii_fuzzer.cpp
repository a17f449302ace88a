// The ASCII information pass and reader on any text; whatever reads must
// write and read back to the same samples.
#include "fuzz_file.h"
#include "image/aimage.h"
#include "image/ascii_file.h"
#include "imagelib/status.h"

namespace {

constexpr int kLargestSide = 512;

bool SameSamples(veska::AImage& a, veska::AImage& b) {
  const veska::LuminanceMatrix& m = a.Channels().Plane(0)->Matrix();
  const veska::LuminanceMatrix& n = b.Channels().Plane(0)->Matrix();
  if (m.w != n.w || m.h != n.h) return false;
  for (int y = 0; y < m.h; ++y)
    for (int x = 0; x < m.w; ++x)
      if (m.rows[m.rowOffset + y][m.colOffset + x] != n.rows[n.rowOffset + y][n.colOffset + x])
        return false;
  return true;
}

// Reads `path` the way the loader does; false when it is not an image.
bool Read(const std::string& path, veska::AImage& image) {
  int columns = 0, rows = 0;
  if (veska::AsciiInformation(path, columns, rows) != 0) return false;
  if (columns < 1 || rows < 1 || columns > kLargestSide || rows > kLargestSide) return false;
  if (veska::Allocate(image.Buffer(), columns, rows, 8) != 0) return false;
  const int rc = veska::AsciiRead(path, image);
  veska::fuzz::Require(rc == 0, "a file that passed the information pass reads");
  image.SetLoaded(true);
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = veska::fuzz::ScratchPath("m.asc");
  static const std::string copy = veska::fuzz::ScratchPath("copy.asc");
  if (!veska::fuzz::WriteScratch(path, data, size)) return 0;
  veska::AImage image;
  if (!Read(path, image)) return 0;
  veska::fuzz::Require(veska::AsciiWrite(image, copy) == 0, "the writer writes");
  veska::AImage back;
  veska::fuzz::Require(Read(copy, back), "a written file reads");
  veska::fuzz::Require(SameSamples(image, back), "samples survive a round trip");
  return 0;
}
