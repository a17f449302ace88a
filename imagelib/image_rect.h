// An inclusive rectangle of image pixels: columns left..right, rows top..bottom
// counted from the top of the image.
#pragma once

namespace veska {

struct PixelRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  int Width() const { return right - left + 1; }
  int Height() const { return bottom - top + 1; }
};

}  // namespace veska
