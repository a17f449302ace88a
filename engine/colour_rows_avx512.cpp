// The avx512 build of the colour rows: 16 pixels per vector. Compiled for its
// instruction set and only called on processors that have it.
#include <cstdint>

#include "engine/colour_rows.h"

namespace veska {
namespace colour_rows_avx512 {

#define VESKA_COLOUR_LANES 16
#include "engine/colour_rows_vector.h"
#undef VESKA_COLOUR_LANES

}  // namespace colour_rows_avx512

const ColourRows& Avx512ColourRows() {
  static const ColourRows kRows{"avx512", colour_rows_avx512::LightnessRow, colour_rows_avx512::RelightRow};
  return kRows;
}

}  // namespace veska
