#include "engine/store_maintenance.h"

#include <algorithm>
#include <cstdlib>
#include <optional>

#include "engine/plane_transforms.h"
#include "imagelib/resample.h"
#include "imagelib/status.h"

namespace veska {
namespace {

// The value of a plane's cell, 0 for a plane disabled other than for being
// constant (a flat plane keeps its values), a plane without a matrix, or a
// position outside its square.
int64_t CellOrZero(const ChannelPlane* plane, int row, int column) {
  if (plane == nullptr || !plane->HasValues()) return 0;
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
  const bool present = plane->HasValues();
  const int64_t limit = store.SixteenBit() ? 65535 : 255;
  uint16_t lo = m.min, hi = m.max;
  bool constant = true;
  int64_t seen = -1;  // the first mixed value
  for (int r = m.rowOffset; r < m.rowOffset + m.h; ++r)
    for (int c = m.colOffset; c < m.colOffset + m.w; ++c) {
      const int64_t a = present ? m.rows[r][c] : 0;
      int64_t v = combine(a, CellOrZero(second, r, c));
      if (v >= limit) v = limit;
      if (v < 1) v = 0;
      m.rows[r][c] = uint16_t(v);
      if (v < lo) lo = uint16_t(v);
      if (v > hi) hi = uint16_t(v);
      if (seen < 0) seen = v;
      constant = constant && v == seen;
    }
  plane->SetStatistics(hi, lo);
  // The flat flag follows the mixed values: a plane that was skipped only
  // because it was constant takes part again once it no longer is.
  if (constant) {
    plane->SetFlat(true);
  } else if (plane->Flat()) {
    plane->SetFlat(false);
    plane->SetEnabled(true);
    plane->SetFullRange(true);
  }
}

// The image area of a matrix as a sample grid, top image row first (matrix
// rows run bottom-up).
template <typename T, typename Rows>
RowTableGrid<T> AreaGrid(Rows rows, const LuminanceMatrix& m) {
  return RowTableGrid<T>{rows, m.rowOffset + m.h - 1, -1, m.colOffset, m.w, m.h};
}

// Carries what a plane is besides its matrix data: flags and the sizes the
// user chose and last processed with. Flat goes first because setting it
// clears enabled and full range.
void CopyPlaneSettings(const ChannelPlane& from, ChannelPlane& to) {
  to.SetLastUsed(from.LastSmall(), from.LastBig());
  to.SetFlat(from.Flat());
  to.SetEnabled(from.Enabled());
  to.SetFullRange(from.FullRange());
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
  if (splitOther) other.SetMultiChannel();

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

  if (splitOther) other.SetSingleChannel();
  return status::kOk;
}

int CloneStore(const ChannelStore& from, ChannelStore& to) {
  ChannelStore copy;
  if (int rc = copy.CopyFrom(from, std::nullopt, true)) return rc;
  for (int i = 0; i < from.PlaneCount(); ++i) CopyPlaneSettings(*from.Plane(i), *copy.Plane(i));
  copy.SetImage(from.Image());
  to.SwapPlanes(copy);
  to.SetImage(from.Image());
  return status::kOk;
}

int ResizeStore(const ChannelStore& from, int width, int height, int method, ChannelStore& to) {
  if (width < 1 || height < 1) return status::kRange;
  ChannelStore resized;
  const int count = from.PlaneCount();
  if (resized.SetChannelCount(count) != count) return status::kNoMemory;
  for (int i = 0; i < count; ++i) {
    const ChannelPlane& source = *from.Plane(i);
    ChannelPlane& plane = *resized.Plane(i);
    const LuminanceMatrix& m = source.Matrix();
    if (m.HasRows() && m.w > 0 && m.h > 0) {
      if (!plane.AllocateMatrix(width, height)) return status::kNoMemory;
      LuminanceMatrix& out = plane.Matrix();
      Resampler resampler;
      if (!resampler.Prepare(ChooseResampleMethod(method, m.w, m.h, width, height), m.w, m.h,
                             width, height))
        return status::kNoMemory;
      resampler.Run(AreaGrid<const uint16_t>(m.rows, m), AreaGrid<uint16_t>(out.rows, out));
      plane.SetCursors(source.SmallCursor(), source.BigCursor());
      out.RefreshStatistics();
      out.MirrorMargins();
    } else {
      plane.SetSize(width, height);
    }
    CopyPlaneSettings(source, plane);
    if (m.HasRows() && plane.Max() == plane.Min()) plane.SetFlat(true);
  }
  resized.SetMultiChannelFlag(from.MultiChannel());
  resized.SetDerived(from.Derived());
  resized.SetSixteenBit(from.SixteenBit());
  to.SwapPlanes(resized);
  return status::kOk;
}

void NegateStore(ChannelStore& store) {
  for (int i = 0; i < store.PlaneCount(); ++i) {
    LuminanceMatrix& m = store.Plane(i)->Matrix();
    if (!m.HasRows()) continue;
    const int top = store.SixteenBit() || m.max > 255 ? 65535 : 255;
    for (int r = m.rowOffset; r < m.rowOffset + m.h; ++r)
      for (int c = m.colOffset; c < m.colOffset + m.w; ++c)
        m.rows[r][c] = uint16_t(top - std::min<int>(m.rows[r][c], top));
    m.RefreshStatistics();
    m.MirrorMargins();
  }
}

}  // namespace veska
