// The avx2 build of the colour rows: 8 pixels per vector. Compiled for its
// instruction set and only called on processors that have it.
#include <cstdint>

#include "engine/colour_rows.h"

namespace veska {
namespace colour_rows_avx2 {

#define VESKA_COLOUR_LANES 8
#include "engine/colour_rows_vector.h"
#undef VESKA_COLOUR_LANES

}  // namespace colour_rows_avx2

const ColourRows& Avx2ColourRows() {
  static const ColourRows kRows{"avx2", colour_rows_avx2::LightnessRow, colour_rows_avx2::RelightRow};
  return kRows;
}

}  // namespace veska
