// Option values as the command line spells them: whole numbers, image sizes
// "WxH" and rectangles "L,T,R,B".
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "imagelib/image_rect.h"

namespace veska::cli {

// A whole decimal number within lo..hi: an optional sign and digits, nothing
// else (no blanks, no fraction, no trailing letters).
std::optional<int64_t> ParseInteger(std::string_view text, int64_t lo, int64_t hi);

// Width and height "WxH" (or "WXH"), each 0..65535, the range the BIF
// dimension question accepts.
struct SizeValue {
  int width = 0;
  int height = 0;
};
std::optional<SizeValue> ParseSize(std::string_view text);

// An inclusive rectangle of image coordinates "LEFT,TOP,RIGHT,BOTTOM" with
// left <= right and top <= bottom, all non-negative.
std::optional<PixelRect> ParseRect(std::string_view text);

}  // namespace veska::cli
