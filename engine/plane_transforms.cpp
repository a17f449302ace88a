#include "engine/plane_transforms.h"

#include <cmath>
#include <utility>

#include "imagelib/status.h"

namespace veska {

void Transpose(LuminanceMatrix& m) {
  if (!m.HasRows()) return;
  const int S = m.side;
  for (int i = 0; i < S; ++i)
    for (int j = i + 1; j < S; ++j) std::swap(m.rows[i][j], m.rows[j][i]);
}

void AntiTranspose(LuminanceMatrix& m) {
  if (!m.HasRows()) return;
  const int S = m.side;
  for (int i = 0; i < S; ++i)
    for (int j = S - i - 2; j >= 0; --j) std::swap(m.rows[i][j], m.rows[S - 1 - j][S - 1 - i]);
}

void ReverseRows(LuminanceMatrix& m) {
  if (!m.HasRows()) return;
  // Rows are separate allocations: exchanging the row pointers moves the rows.
  for (int i = 0, j = m.side - 1; i < j; ++i, --j) std::swap(m.rows[i], m.rows[j]);
}

void SwapAxes(LuminanceMatrix& m) {
  std::swap(m.h, m.w);
  std::swap(m.rowOffset, m.colOffset);
}

void RotateMatrix(LuminanceMatrix& m, int turn) {
  const int S = m.side;
  const int r0 = m.rowOffset, c0 = m.colOffset, h = m.h, w = m.w;
  switch (turn) {
    case 0:  // (r, c) -> (S-1-c, r)
      Transpose(m);
      ReverseRows(m);
      SwapAxes(m);
      m.rowOffset = int16_t(S - c0 - w);
      m.colOffset = int16_t(r0);
      break;
    case 1:  // (r, c) -> (S-1-r, S-1-c)
      Transpose(m);
      AntiTranspose(m);
      m.rowOffset = int16_t(S - r0 - h);
      m.colOffset = int16_t(S - c0 - w);
      break;
    case 2:  // (r, c) -> (c, S-1-r)
      AntiTranspose(m);
      ReverseRows(m);
      SwapAxes(m);
      m.rowOffset = int16_t(c0);
      m.colOffset = int16_t(S - r0 - h);
      break;
    default:
      break;
  }
}

void FlipMatrix(LuminanceMatrix& m, bool columns) {
  const int S = m.side;
  if (columns) {  // (r, c) -> (r, S-1-c)
    Transpose(m);
    AntiTranspose(m);
    ReverseRows(m);
    m.colOffset = int16_t(S - m.colOffset - m.w);
  } else {  // (r, c) -> (S-1-r, c)
    ReverseRows(m);
    m.rowOffset = int16_t(S - m.rowOffset - m.h);
  }
}

int Render8(const LuminanceMatrix& m, bool enabled, ImageDesc& dest) {
  const bool present = enabled && m.HasRows();
  const bool stretch = m.max > 255;
  const double factor = m.max == m.min ? 0.0 : 255.0 / (m.max - m.min);
  for (int y = 0; y < m.h; ++y) {
    uint8_t* out = dest.pixels + size_t(y) * dest.stride;
    for (int x = 0; x < m.w; ++x) {
      if (!present) {
        out[x] = 0;
        continue;
      }
      const int v = m.rows[m.rowOffset + y][m.colOffset + x];
      out[x] = stretch ? uint8_t(std::round((v - m.min) * factor)) : uint8_t(v);
    }
  }
  return status::kOk;
}

int Copy16(const LuminanceMatrix& m, bool enabled, ImageDesc& dest) {
  const bool present = enabled && m.HasRows();
  for (int y = 0; y < m.h; ++y) {
    auto* out = reinterpret_cast<uint16_t*>(dest.pixels + size_t(y) * dest.stride);
    for (int x = 0; x < m.w; ++x) out[x] = present ? m.rows[m.rowOffset + y][m.colOffset + x] : 0;
  }
  return status::kOk;
}

}  // namespace veska
