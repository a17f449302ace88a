// A square matrix of 16-bit values in which one channel of an image sits
// centred with at least 10 cells of margin on every side, the margins filled by
// mirroring the image. Rows run bottom-up like the image buffer: the image's
// top row is the last image row of the matrix.
#pragma once

#include <cstdint>

#include "imagelib/aligned_array.h"

namespace veska {

// Width and height of a matrix's image area may not exceed this.
constexpr int kMaxMatrixImageSide = 16384;
// Cells of margin on the shorter side of the image area.
constexpr int kMatrixMargin = 10;

struct LuminanceMatrix {
  uint16_t** rows = nullptr;  // S row pointers, each row S values, into `cells_`
  uint16_t h = 0;             // image-area height
  uint16_t w = 0;             // image-area width
  int16_t side = 0;           // S = max(w, h) + 20
  int16_t rowOffset = 0;      // first image-area row in the matrix
  int16_t colOffset = 0;      // first image-area column in the matrix
  uint16_t max = 0;           // largest value of the image area
  uint16_t min = 0;           // smallest value of the image area
  uint16_t smallSize = 1;     // small cursor size
  uint16_t bigSize = 65534;   // big cursor size

  LuminanceMatrix() = default;
  LuminanceMatrix(const LuminanceMatrix&) = delete;
  LuminanceMatrix& operator=(const LuminanceMatrix&) = delete;
  ~LuminanceMatrix() { Free(); }

  // Frees any previous rows, sets the geometry for a w x h image area and
  // allocates S zeroed rows (kOverwritten: undefined cells, for a caller that
  // fills the image area and then mirrors the margins, which writes every
  // cell of a non-empty area). False when a side exceeds 16384 or memory
  // fails (the matrix then holds no rows).
  bool Allocate(int width, int height, InitialContents cells = InitialContents::kZeroed);
  void Free();
  // Fills the margins by reflecting the image area (single pass, fixed order).
  void MirrorMargins();
  // Recomputes max and min over the image area and caps the big cursor size.
  void RefreshStatistics();
  void Set(int column, int row, uint16_t value) { rows[row][column] = value; }
  uint16_t Get(int column, int row) const { return rows[row][column]; }
  bool HasRows() const { return rows != nullptr; }

 private:
  // All S x S cells in one block from the block cache: a matrix freed by one
  // step is reused by the next one's, instead of fresh memory being mapped.
  AlignedArray<uint16_t> cells_;
};

}  // namespace veska
