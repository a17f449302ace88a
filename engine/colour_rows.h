// The per-row colour conversions of the luminance build and the composite
// write-back: the 8-bit lightness of every pixel of a 24-bit row, and a row's
// pixels with their lightness replaced.
//
// The plain build runs the scalar conversions of imagelib/hls.h pixel by
// pixel and is the reference. The vector builds state the same integer
// formulas once (colour_rows_vector.h) over a vector of pixels: every
// division by a constant is left to the compiler's exact multiply-and-shift,
// and every division by a pixel's own spread or sum goes through single
// precision, which is exact here because each numerator is a non-negative
// integer below 2^24 (a correctly rounded quotient of such a pair never
// reaches the next integer). All builds give identical bytes.
#pragma once

#include <cstdint>
#include <vector>

namespace veska {

struct RowKernelSet;

struct ColourRows {
  const char* name;  // the row kernels' build it belongs to: "plain", "sse2", ...
  // out[x] = LightnessLevel of pixel x, x < count, of a row of 24-bit pixels
  // as stored (blue, green, red).
  void (*lightness)(const uint8_t* bgr, uint32_t count, uint16_t* out);
  // Pixel x of `out` is pixel x of `bgr` with its hue and saturation kept and
  // its lightness replaced by LightnessFromLevel(levels[x]). `out` may be
  // `bgr` itself.
  void (*relight)(const uint8_t* bgr, const uint8_t* levels, uint32_t count, uint8_t* out);
};

// The scalar reference.
const ColourRows& PlainColourRows();
// The build that goes with a row kernels' build (the same name), so that
// whatever chooses the kernel's build (VESKA_KERNEL, SetKernelDefaults)
// chooses both.
const ColourRows& ColourRowsFor(const RowKernelSet& kernels);
// Every build this processor runs, plain first.
std::vector<const ColourRows*> AvailableColourRows();

#if defined(__x86_64__) || defined(__i386__)
// Each in its own translation unit compiled for its instruction set; only
// call them on a processor that has it.
const ColourRows& Sse2ColourRows();
const ColourRows& Avx2ColourRows();
const ColourRows& Avx512ColourRows();
#endif

}  // namespace veska
