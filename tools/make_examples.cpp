// Writes the sample images that examples/ holds, all drawn here and saved
// with the project's own writers, so that anyone can rebuild them:
//
//   veska_make_examples DIR
//
//   shadows.png   8-bit grey: a dim gradient with faint shapes in its shadow
//   harbour.jpg   24-bit colour: low-contrast coloured shapes under a haze
//   cells16.tif   16-bit grey: a scan whose samples fill a narrow band (about
//                 1600..2800) of the 0..65535 range
//   heights.asc   ASCII matrix: a terrain of heights (about 100..780)
//
// The pictures are deterministic: the same program writes the same pixels.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "image/aimage.h"
#include "image/image_file.h"
#include "imagelib/status.h"
#include "tools/sample_images.h"

namespace veska {
namespace {

double Bump(double x, double y, double cx, double cy, double radius) {
  double d2 = ((x - cx) * (x - cx) + (y - cy) * (y - cy)) / (radius * radius);
  return std::exp(-d2);
}

// True inside a disc, with a soft one-pixel edge given as a fraction.
double Disc(double x, double y, double cx, double cy, double radius) {
  double d = std::sqrt((x - cx) * (x - cx) + (y - cy) * (y - cy));
  return std::fmin(1.0, std::fmax(0.0, radius - d + 0.5));
}

uint8_t Byte(double v) { return uint8_t(std::lround(std::fmin(255.0, std::fmax(0.0, v)))); }

uint32_t Shadows(int x, int y) {
  double level = 40.0 + 70.0 * x / 191.0 + 25.0 * y / 127.0;
  level += 9.0 * Disc(x, y, 40, 40, 18) - 7.0 * Disc(x, y, 100, 80, 24);
  level += 6.0 * ((x / 8 + y / 8) % 2 == 0 && x > 130 && y < 50);
  level += 5.0 * (std::abs((x - 20) - (y - 70)) < 2 && x < 80 && y > 70);
  return Byte(level + 2.0 * Noise(x, y));
}

uint32_t Harbour(int x, int y) {
  double haze = 150.0 + 40.0 * y / 127.0;
  double r = haze - 20.0 * Disc(x, y, 50, 70, 22) + 18.0 * Disc(x, y, 140, 40, 16);
  double g = haze + 12.0 * Disc(x, y, 50, 70, 22) - 10.0 * Disc(x, y, 150, 95, 20);
  double b = haze + 25.0 - 15.0 * Disc(x, y, 140, 40, 16) + 14.0 * Disc(x, y, 150, 95, 20);
  double wave = 6.0 * std::sin(x * 0.35 + std::sin(y * 0.2) * 2.0) * (y > 100);
  double n = 2.0 * Noise(x, y);
  return Byte(r + wave + n) | uint32_t(Byte(g + wave + n)) << 8 | uint32_t(Byte(b + wave + n)) << 16;
}

uint16_t Cells(int x, int y) {
  double v = 1500.0 + 900.0 * Bump(x, y, 64, 48, 60);
  const double cells[][3] = {{30, 30, 9}, {70, 25, 7}, {95, 60, 10}, {45, 70, 8}, {100, 20, 6}};
  for (const auto& c : cells) v += 500.0 * Bump(x, y, c[0], c[1], c[2]);
  return uint16_t(std::lround(v + 12.0 * Noise(x, y)));
}

uint16_t Heights(int x, int y) {
  double v = 350.0 + 250.0 * std::sin(x * 0.11) * std::cos(y * 0.09) + 300.0 * Bump(x, y, 40, 20, 14);
  return uint16_t(std::lround(std::fmax(0.0, v + 8.0 * Noise(x, y))));
}

bool Write(const std::unique_ptr<AImage>& image, const std::string& path) {
  if (image == nullptr) return false;
  int status = Save(*image, path);
  if (status != status::kOk) {
    ErrorReporter::Get().Report(status);
    return false;
  }
  std::printf("wrote %s\n", path.c_str());
  return true;
}

int MakeAll(const std::string& dir) {
  bool ok = Write(MakeImage(192, 128, 8, Shadows), dir + "/shadows.png") &&
            Write(MakeImage(192, 128, 24, Harbour), dir + "/harbour.jpg") &&
            Write(MakeSampleImage(128, 96, true, Cells), dir + "/cells16.tif") &&
            Write(MakeSampleImage(64, 56, false, Heights), dir + "/heights.asc");
  return ok ? 0 : 1;
}

}  // namespace
}  // namespace veska

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: veska_make_examples DIR\n");
    return 2;
  }
  return veska::MakeAll(argv[1]);
}
