// The sse2 build of the colour rows: 4 pixels per vector. Compiled for its
// instruction set and only called on processors that have it.
#include <cstdint>

#include "engine/colour_rows.h"

namespace veska {
namespace colour_rows_sse2 {

#define VESKA_COLOUR_LANES 4
#include "engine/colour_rows_vector.h"
#undef VESKA_COLOUR_LANES

}  // namespace colour_rows_sse2

const ColourRows& Sse2ColourRows() {
  static const ColourRows kRows{"sse2", colour_rows_sse2::LightnessRow, colour_rows_sse2::RelightRow};
  return kRows;
}

}  // namespace veska
