#include "engine/colour_rows.h"

#include <cstring>

#include "engine/row_update.h"
#include "imagelib/hls.h"
#include "imagelib/pixel_access.h"

namespace veska {
namespace {

void PlainLightness(const uint8_t* bgr, uint32_t count, uint16_t* out) {
  for (uint32_t x = 0; x < count; ++x) out[x] = LightnessLevel(pixel::Value24(bgr + 3 * x));
}

void PlainRelight(const uint8_t* bgr, const uint8_t* levels, uint32_t count, uint8_t* out) {
  for (uint32_t x = 0; x < count; ++x) {
    Hls hls = RgbToHls(pixel::Value24(bgr + 3 * x));
    hls.lightness = LightnessFromLevel(levels[x]);
    pixel::Store24(out + 3 * x, HlsToRgb(hls));
  }
}

const ColourRows* ColourRowsNamed(const char* name) {
#ifdef VESKA_X86_BUILDS
  for (const ColourRows* rows : {&Sse2ColourRows(), &Avx2ColourRows(), &Avx512ColourRows()})
    if (std::strcmp(rows->name, name) == 0) return rows;
#endif
  return &PlainColourRows();
}

}  // namespace

const ColourRows& PlainColourRows() {
  static const ColourRows kPlain{"plain", PlainLightness, PlainRelight};
  return kPlain;
}

const ColourRows& ColourRowsFor(const RowKernelSet& kernels) {
  return *ColourRowsNamed(kernels.name);
}

std::vector<const ColourRows*> AvailableColourRows() {
  std::vector<const ColourRows*> builds;
  for (const RowKernelSet* kernels : AvailableRowKernels())
    builds.push_back(ColourRowsNamed(kernels->name));
  return builds;
}

}  // namespace veska
