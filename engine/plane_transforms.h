// Geometry changes and renditions of a luminance matrix. Image operations that
// rotate or flip an image apply the same change to its channel planes, so a
// store that holds primary 16-bit data survives them; the renditions turn a
// plane back into 8-bit display pixels or 16-bit file samples.
#pragma once

#include "engine/luminance_matrix.h"
#include "imagelib/image_desc.h"

namespace veska {

// The four transforms of the whole S x S square, in place.
void Transpose(LuminanceMatrix& m);      // (r, c) -> (c, r)
void AntiTranspose(LuminanceMatrix& m);  // (r, c) -> (S-1-c, S-1-r)
void ReverseRows(LuminanceMatrix& m);    // (r, c) -> (S-1-r, c)
void SwapAxes(LuminanceMatrix& m);       // h <-> w, row offset <-> column offset

// Quarter and half turns: 0 moves cell (r, c) to (S-1-c, r), 1 is the half
// turn, 2 moves (r, c) to (c, S-1-r). Afterwards the offsets name where the
// image area really is (with an odd difference between width and height the
// two margins of a side differ by one cell, so merely exchanging or keeping
// the offsets would misplace the area by one).
void RotateMatrix(LuminanceMatrix& m, int turn);
// true mirrors the columns, false the rows; offsets follow the image area.
void FlipMatrix(LuminanceMatrix& m, bool columns);

// Writes the image area as 8-bit pixels into `dest` (8 bits, at least w x h),
// matrix rows in the buffer's storage order. Values of a plane whose max is
// above 255 are stretched from min..max to 0..255 (rounded, halves away from
// zero); a disabled plane or one without a matrix writes zeros.
int Render8(const LuminanceMatrix& m, bool enabled, ImageDesc& dest);
// Writes the image area's 16-bit values unchanged into a 16-bit buffer.
int Copy16(const LuminanceMatrix& m, bool enabled, ImageDesc& dest);

}  // namespace veska
