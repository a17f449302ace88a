#include "engine/luminance_matrix.h"

#include <algorithm>
#include <cstddef>
#include <new>

#include "engine/row_update.h"

namespace veska {

bool LuminanceMatrix::Allocate(int width, int height, InitialContents cells) {
  Free();
  if (width < 0 || height < 0 || width > kMaxMatrixImageSide ||
      height > kMaxMatrixImageSide)
    return false;
  w = uint16_t(width);
  h = uint16_t(height);
  // The image sits centred in the square; the longer side gets exactly the
  // margin, the shorter one the margin plus half the difference.
  if (height <= width) {
    side = int16_t(width + 2 * kMatrixMargin);
    colOffset = kMatrixMargin;
    rowOffset = int16_t((width - height) / 2 + kMatrixMargin);
  } else {
    side = int16_t(height + 2 * kMatrixMargin);
    rowOffset = kMatrixMargin;
    colOffset = int16_t((height - width) / 2 + kMatrixMargin);
  }
  const std::size_t S = std::size_t(side);
  rows = new (std::nothrow) uint16_t*[S];
  // The block is sized for the 16-bit sums of the largest window the kernel
  // can place in this matrix (rows padded as the kernel pads them), so that
  // once a run that discards the matrix has freed it, the kernel's sums reuse
  // memory that is already touched. The few rows beyond S * S cells are
  // never touched here, and cost nothing.
  const std::size_t room = std::size_t(PaddedWidth(uint32_t(S))) * S;
  if (rows == nullptr || !cells_.Allocate(S * S, room)) {
    Free();
    return false;
  }
  if (cells == InitialContents::kZeroed || width == 0 || height == 0)
    std::fill(cells_.data(), cells_.data() + S * S, uint16_t{0});
  for (std::size_t r = 0; r < S; ++r) rows[r] = cells_.data() + r * S;
  return true;
}

void LuminanceMatrix::Free() {
  delete[] rows;
  rows = nullptr;
  cells_.Reset();
}

void LuminanceMatrix::MirrorMargins() {
  // An empty image area has nothing to reflect (and the reflection of its far
  // margin would read before the first cell).
  if (rows == nullptr || w == 0 || h == 0) return;
  const int S = side;
  const int r0 = rowOffset, r1 = rowOffset + h;
  const int c0 = colOffset, c1 = colOffset + w;
  // One reflection in a fixed order: left and right margins of every image
  // row, then the rows below, then the rows above. Where a margin is wider
  // than the image, the cells read beyond the image are whatever the opposite
  // margin holds at that moment.
  for (int r = r0; r < r1; ++r) {
    uint16_t* row = rows[r];
    for (int k = 0; k < c0; ++k) row[c0 - 1 - k] = row[c0 + k];
    for (int k = 0; k < S - c1; ++k) row[c1 + k] = row[c1 - 1 - k];
  }
  for (int k = 0; k < r0; ++k)
    for (int c = 0; c < S; ++c) rows[r0 - 1 - k][c] = rows[r0 + k][c];
  for (int k = 0; k < S - r1; ++k)
    for (int c = 0; c < S; ++c) rows[r1 + k][c] = rows[r1 - 1 - k][c];
}

void LuminanceMatrix::RefreshStatistics() {
  if (rows == nullptr) return;
  uint16_t lo = 65535, hi = 0;
  for (int r = rowOffset; r < rowOffset + h; ++r)
    for (int c = colOffset; c < colOffset + w; ++c) {
      const uint16_t v = rows[r][c];
      if (v > hi) hi = v;
      if (v < lo) lo = v;
    }
  max = hi;
  min = lo;
  const int cap = ((max - min + 1) / 2) * 2 + 1;
  if (bigSize > cap) bigSize = uint16_t(cap);
}

}  // namespace veska
