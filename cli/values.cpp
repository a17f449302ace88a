#include "cli/values.h"

#include <vector>

namespace veska::cli {
namespace {

constexpr int64_t kLargestSide = 65535;

// The pieces of `text` between the separator `sep`, empty pieces included.
std::vector<std::string_view> Split(std::string_view text, char sep) {
  std::vector<std::string_view> pieces;
  size_t start = 0;
  for (;;) {
    size_t end = text.find(sep, start);
    pieces.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos) return pieces;
    start = end + 1;
  }
}

}  // namespace

std::optional<int64_t> ParseInteger(std::string_view text, int64_t lo, int64_t hi) {
  size_t i = 0;
  bool negative = false;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) negative = text[i++] == '-';
  if (i == text.size()) return std::nullopt;
  int64_t value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    value = value * 10 + (text[i] - '0');
    // Far beyond every range asked for; stop before the arithmetic overflows.
    if (value > (int64_t(1) << 40)) return std::nullopt;
  }
  if (negative) value = -value;
  if (value < lo || value > hi) return std::nullopt;
  return value;
}

std::optional<SizeValue> ParseSize(std::string_view text) {
  size_t x = text.find_first_of("xX");
  if (x == std::string_view::npos) return std::nullopt;
  std::optional<int64_t> width = ParseInteger(text.substr(0, x), 0, kLargestSide);
  std::optional<int64_t> height = ParseInteger(text.substr(x + 1), 0, kLargestSide);
  if (!width || !height) return std::nullopt;
  return SizeValue{int(*width), int(*height)};
}

std::optional<PixelRect> ParseRect(std::string_view text) {
  std::vector<std::string_view> pieces = Split(text, ',');
  if (pieces.size() != 4) return std::nullopt;
  int64_t v[4];
  for (int i = 0; i < 4; ++i) {
    std::optional<int64_t> value = ParseInteger(pieces[size_t(i)], 0, INT32_MAX);
    if (!value) return std::nullopt;
    v[i] = *value;
  }
  if (v[0] > v[2] || v[1] > v[3]) return std::nullopt;
  return PixelRect{int(v[0]), int(v[1]), int(v[2]), int(v[3])};
}

}  // namespace veska::cli
