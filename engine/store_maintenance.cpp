#include "engine/store_maintenance.h"

#include <cstdlib>

#include "engine/plane_transforms.h"
#include "imagelib/status.h"

namespace veska {
namespace {

// The value of a plane's cell, 0 for a disabled plane, a plane without a
// matrix, or a position outside its square.
int64_t CellOrZero(const ChannelPlane* plane, int row, int column) {
  if (plane == nullptr || !plane->Enabled()) return 0;
  const LuminanceMatrix& m = plane->Matrix();
  if (!m.HasRows() || row >= m.side || column >= m.side) return 0;
  return m.rows[row][column];
}

// How a value of the secondary store is brought to the primary store's depth
// before it is weighted.
struct DepthScale {
  bool toEight = false;   // 16-bit secondary into an 8-bit store
  bool toSixteen = false; // 8-bit secondary into a 16-bit store
  int64_t range = 1;      // max - min + 1 of the secondary's plane 0
};

template <typename Combine>
void MixPlane(ChannelStore& store, const ChannelStore& other, int index, Combine combine) {
  ChannelPlane* plane = store.Plane(index);
  LuminanceMatrix& m = plane->Matrix();
  if (!m.HasRows()) return;
  const ChannelPlane* second = other.Plane(index);
  const bool present = plane->Enabled();
  const int64_t limit = store.SixteenBit() ? 65535 : 255;
  uint16_t lo = m.min, hi = m.max;
  for (int r = m.rowOffset; r < m.rowOffset + m.h; ++r)
    for (int c = m.colOffset; c < m.colOffset + m.w; ++c) {
      const int64_t a = present ? m.rows[r][c] : 0;
      int64_t v = combine(a, CellOrZero(second, r, c));
      if (v >= limit) v = limit;
      if (v < 1) v = 0;
      m.rows[r][c] = uint16_t(v);
      if (v < lo) lo = uint16_t(v);
      if (v > hi) hi = uint16_t(v);
    }
  plane->SetStatistics(hi, lo);
}

}  // namespace

void RotateStore(ChannelStore& store, int turn) {
  for (int i = 0; i < store.PlaneCount(); ++i) RotateMatrix(store.Plane(i)->Matrix(), turn);
}

void FlipStore(ChannelStore& store, bool columns) {
  for (int i = 0; i < store.PlaneCount(); ++i) FlipMatrix(store.Plane(i)->Matrix(), columns);
}

int MixStores(ChannelStore& store, ChannelStore& other, int weightA, int weightB) {
  const bool splitOther = other.PlaneCount() < store.PlaneCount();
  if (splitOther) other.SetMultiChannel(false);

  DepthScale scale;
  scale.toEight = !store.SixteenBit() && other.SixteenBit();
  scale.toSixteen = store.SixteenBit() && !other.SixteenBit();
  if (const ChannelPlane* first = other.Plane(0))
    scale.range = int64_t(first->Max()) - first->Min() + 1;
  if (scale.range <= 0) scale.range = 1;

  const bool subtract = weightA < 0 || weightB < 0;
  const int64_t pA = std::abs(weightA), pB = std::abs(weightB);
  for (int i = 0; i < store.PlaneCount(); ++i) {
    if (subtract) {
      MixPlane(store, other, i, [&](int64_t a, int64_t b) {
        int64_t t;
        if (scale.toEight) t = pB * (b * 255 / scale.range);
        else if (scale.toSixteen) t = b * 256 * pB;
        else t = b * pB;
        const int64_t v = a * 100 - t;
        return v < 0 ? int64_t(0) : v / 100;
      });
    } else {
      MixPlane(store, other, i, [&](int64_t a, int64_t b) {
        if (scale.toEight) b = b * 255 / scale.range;
        else if (scale.toSixteen) b = b * 65535 / 255;
        return (pA * a + pB * b) / 100;
      });
    }
  }
  for (int i = 0; i < store.PlaneCount(); ++i) store.Plane(i)->Matrix().MirrorMargins();

  if (splitOther) other.SetSingleChannel(false);
  return status::kOk;
}

}  // namespace veska
