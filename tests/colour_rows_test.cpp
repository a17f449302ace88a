// Every colour-row build this processor runs against the scalar conversions
// pixel by pixel: the lightness of all 2^24 pixel values, and the lightness
// replacement on a dense lattice of pixels with every level, on random
// pixels, on row lengths that end inside a vector, and in place.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "engine/colour_rows.h"
#include "imagelib/hls.h"
#include "imagelib/pixel_access.h"

namespace veska {
namespace {

uint32_t ScalarRelight(uint32_t rgb, uint8_t level) {
  Hls hls = RgbToHls(rgb);
  hls.lightness = LightnessFromLevel(level);
  return HlsToRgb(hls);
}

// Runs `build` over the pixels and levels in rows whose lengths cycle
// through `rowLengths`, out of place or in place, and checks every output
// pixel; reports the first few mismatches.
void CheckRelight(const ColourRows& build, const std::vector<uint32_t>& rgb,
                  const std::vector<uint8_t>& levels, std::vector<uint32_t> rowLengths,
                  bool inPlace = false) {
  std::vector<uint8_t> in(3 * rgb.size()), out(3 * rgb.size());
  for (size_t i = 0; i < rgb.size(); ++i) pixel::Store24(&in[3 * i], rgb[i]);
  std::vector<uint8_t>& result = inPlace ? in : out;
  for (size_t x = 0, k = 0; x < rgb.size(); ++k) {
    const auto n = uint32_t(std::min<size_t>(rowLengths[k % rowLengths.size()], rgb.size() - x));
    build.relight(&in[3 * x], &levels[x], n, &result[3 * x]);
    x += n;
  }
  int mismatches = 0;
  for (size_t i = 0; i < rgb.size() && mismatches < 5; ++i) {
    const uint32_t want = ScalarRelight(rgb[i], levels[i]);
    const uint32_t got = pixel::Value24(&result[3 * i]);
    if (got != want) {
      ++mismatches;
      ADD_FAILURE() << build.name << (inPlace ? " in place" : "") << ": pixel 0x" << std::hex
                    << rgb[i] << " level " << std::dec << int(levels[i]) << " gives 0x"
                    << std::hex << got << ", want 0x" << want;
    }
  }
}

TEST(ColourRows, LightnessOfEveryPixelValueMatchesTheScalarConversion) {
  constexpr uint32_t kRow = 4099;  // not a multiple of any vector width
  std::vector<uint8_t> row(3 * kRow);
  std::vector<uint16_t> levels(kRow);
  for (const ColourRows* build : AvailableColourRows()) {
    int mismatches = 0;
    for (uint32_t first = 0; first < (1u << 24) && mismatches < 5; first += kRow) {
      const uint32_t n = std::min(kRow, (1u << 24) - first);
      for (uint32_t i = 0; i < n; ++i) pixel::Store24(&row[3 * i], first + i);
      build->lightness(row.data(), n, levels.data());
      for (uint32_t i = 0; i < n; ++i)
        if (levels[i] != LightnessLevel(first + i) && ++mismatches <= 5)
          ADD_FAILURE() << build->name << ": pixel 0x" << std::hex << first + i;
    }
  }
}

TEST(ColourRows, RelightMatchesTheScalarConversion) {
  // Every component in steps of 15 (the ends, greys and every ordering of
  // the three components), each pixel with all 256 levels; then steps of 3
  // with the levels in turn; then random pixels in short rows, and in place.
  std::vector<uint32_t> rgb;
  std::vector<uint8_t> levels;
  for (uint32_t r = 0; r < 256; r += 15)
    for (uint32_t g = 0; g < 256; g += 15)
      for (uint32_t b = 0; b < 256; b += 15)
        for (uint32_t v = 0; v < 256; ++v) {
          rgb.push_back(r | g << 8 | b << 16);
          levels.push_back(uint8_t(v));
        }
  for (uint32_t r = 0; r < 256; r += 3)
    for (uint32_t g = 0; g < 256; g += 3)
      for (uint32_t b = 0; b < 256; b += 3) {
        rgb.push_back(r | g << 8 | b << 16);
        levels.push_back(uint8_t(rgb.size() * 37));
      }
  std::mt19937 rng(19);
  std::vector<uint32_t> random(1 << 20);
  std::vector<uint8_t> randomLevels(random.size());
  for (size_t i = 0; i < random.size(); ++i) {
    random[i] = rng() & 0xFFFFFF;
    randomLevels[i] = uint8_t(rng());
  }
  for (const ColourRows* build : AvailableColourRows()) {
    CheckRelight(*build, rgb, levels, {4096});
    CheckRelight(*build, random, randomLevels, {1, 3, 7, 17, 33, 1001});
    CheckRelight(*build, random, randomLevels, {531}, /*inPlace=*/true);
  }
}

}  // namespace
}  // namespace veska
