#include "engine/channel_store.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include "engine/progress_scope.h"
#include "engine/worker_pool.h"
#include "imagelib/hls.h"
#include "imagelib/pixel_access.h"
#include "imagelib/status.h"

namespace veska {
namespace {

// Plane `index`'s values for image row y: the composite lightness, the byte
// of an 8-bit image, or byte `index` of a 24-bit pixel value (red first);
// zeros for other depths and indices.
void PlaneRow(const ImageDesc& image, bool lightness, int index, int y, uint16_t* out) {
  const int width = image.Width();
  const uint8_t* row = image.Row(y);
  const int depth = image.BitsPerPixel();
  if (depth == 8) {
    for (int x = 0; x < width; ++x) out[x] = row[x];
  } else if (depth == 24 && lightness) {
    for (int x = 0; x < width; ++x) out[x] = LightnessLevel(pixel::Value24(row + 3 * x));
  } else if (depth == 24 && index < 3) {
    // A pixel value holds red in its lowest byte; the buffer stores it last.
    const uint8_t* p = row + (2 - index);
    for (int x = 0; x < width; ++x) out[x] = p[3 * x];
  } else {
    std::fill(out, out + width, uint16_t{0});
  }
}

// Destination rows per piece of work the threads claim in turn.
constexpr uint32_t kWriteBackRows = 32;

bool HasPixels(const ImageDesc* image) {
  return image != nullptr && image->header != nullptr && image->pixels != nullptr;
}

// Copies image rows top..top+height-1, columns left..left+width-1 of `from`'s
// image area into the whole image area of `to` (allocated to that size).
void CopyArea(const LuminanceMatrix& from, int left, int top, LuminanceMatrix& to) {
  for (int y = 0; y < to.h; ++y) {
    const uint16_t* src = from.rows[from.rowOffset + (from.h - 1 - (top + y))] + from.colOffset;
    uint16_t* dst = to.rows[to.rowOffset + (to.h - 1 - y)] + to.colOffset;
    std::copy(src + left, src + left + to.w, dst);
  }
}

}  // namespace

void ChannelStore::DeletePlanes() {
  planes_.clear();
  sixteenBit_ = false;
}

int ChannelStore::SetChannelCount(int n) {
  DeletePlanes();
  try {
    planes_.reserve(size_t(std::max(n, 0)));
  } catch (const std::bad_alloc&) {
    return 0;
  }
  for (int i = 0; i < n; ++i) {
    ChannelPlane* plane = new (std::nothrow) ChannelPlane;
    if (plane == nullptr) break;
    planes_.emplace_back(plane);
  }
  return PlaneCount();
}

ChannelPlane* ChannelStore::Plane(int index) {
  return index >= 0 && index < PlaneCount() ? planes_[size_t(index)].get() : nullptr;
}

const ChannelPlane* ChannelStore::Plane(int index) const {
  return index >= 0 && index < PlaneCount() ? planes_[size_t(index)].get() : nullptr;
}

int ChannelStore::BuildLuminance(const ImageDesc* image, bool force, ProgressSink* progress) {
  image_ = image;
  if (!force && !derived_) {
    // The planes are the primary data: keep them, refresh what depends on them.
    for (auto& plane : planes_) {
      plane->Matrix().RefreshStatistics();
      plane->Matrix().MirrorMargins();
    }
    return status::kOk;
  }
  if (!HasPixels(image)) return status::kOk;

  ProgressScope display(progress, ProgressStage::kLuminance);
  const int depth = image->BitsPerPixel();
  if (planes_.empty()) {
    const int wanted = multiChannel_ ? image->header->planes * depth / 8 : 1;
    if (SetChannelCount(wanted) != wanted) return status::kNoMemory;
  }
  const bool lightness = !multiChannel_ && depth == 24;
  const int count = PlaneCount();
  for (int i = 0; i < count; ++i) {
    ChannelPlane& plane = *planes_[size_t(i)];
    const uint16_t lastSmall = plane.LastSmall(), lastBig = plane.LastBig();
    if (!plane.Enabled()) {
      // A disabled plane is rebuilt as zeros of its own size.
      if (!plane.ReallocateMatrix()) return status::kNoMemory;
      plane.SetStatistics(0, 0);
      plane.DefaultCursors();
      display.SetChannel(i + 1, count, /*disabled=*/true);
    } else {
      display.SetChannel(i + 1, count);
      if (int rc = BuildPlane(i, *image, lightness, display)) return rc;
    }
    plane.SetLastUsed(lastSmall, lastBig);
    if (plane.Max() == plane.Min()) plane.SetFlat(true);
  }
  return status::kOk;
}

int ChannelStore::BuildPlane(int index, const ImageDesc& image, bool lightness,
                             ProgressScope& progress) {
  ChannelPlane& plane = *planes_[size_t(index)];
  const int width = image.Width(), height = image.Height();
  progress.SetRange(height);
  if (!plane.AllocateMatrix(width, height)) return status::kNoMemory;
  LuminanceMatrix& m = plane.Matrix();
  uint16_t lo = 65535, hi = 0;
  for (int y = 0; y < height; ++y) {
    uint16_t* row = m.rows[m.rowOffset + (height - 1 - y)] + m.colOffset;
    PlaneRow(image, lightness, index, y, row);
    for (int x = 0; x < width; ++x) {
      lo = std::min(lo, row[x]);
      hi = std::max(hi, row[x]);
    }
    if (progress.Step()) return status::kCancelled;
  }
  plane.SetStatistics(hi, lo);
  plane.DefaultCursors();
  m.MirrorMargins();
  return status::kOk;
}

int ChannelStore::SetSingleChannel(ProgressSink* progress) {
  multiChannel_ = false;
  DeletePlanes();
  return BuildLuminance(image_, false, progress);
}

int ChannelStore::SetLuminance(Luminance mode, ProgressSink* progress) {
  const bool multi = mode == Luminance::kMulti;
  if (multiChannel_ == multi) return status::kOk;
  return multi ? SetMultiChannel(progress) : SetSingleChannel(progress);
}

int ChannelStore::SetMultiChannel(ProgressSink* progress) {
  multiChannel_ = true;
  DeletePlanes();
  return BuildLuminance(image_, false, progress);
}

void ChannelStore::ClearForNewImage() {
  DeletePlanes();
  derived_ = true;
  image_ = nullptr;
}

int ChannelStore::CopyFrom(const ChannelStore& other, const std::optional<PixelRect>& rect,
                           bool copyMatrices) {
  ChannelStore copy;
  const int count = other.PlaneCount();
  if (copy.SetChannelCount(count) != count) return status::kNoMemory;
  for (int i = 0; i < count; ++i) {
    const ChannelPlane& from = *other.planes_[size_t(i)];
    ChannelPlane& to = *copy.planes_[size_t(i)];
    const LuminanceMatrix& m = from.Matrix();
    if (copyMatrices && m.HasRows()) {
      int left = 0, top = 0, right = m.w - 1, bottom = m.h - 1;
      if (rect) {
        left = std::max(left, rect->left);
        top = std::max(top, rect->top);
        right = std::min(right, rect->right);
        bottom = std::min(bottom, rect->bottom);
      }
      if (left > right || top > bottom) return status::kRange;
      if (!to.AllocateMatrix(right - left + 1, bottom - top + 1)) return status::kNoMemory;
      CopyArea(m, left, top, to.Matrix());
      to.SetStatistics(from.Max(), from.Min());
      to.SetCursors(from.SmallCursor(), from.BigCursor());
      to.Matrix().MirrorMargins();
    }
    to.SetFlat(from.Flat());
    to.SetEnabled(from.Enabled());
  }
  copy.multiChannel_ = other.multiChannel_;
  copy.derived_ = other.derived_;
  copy.sixteenBit_ = other.sixteenBit_;
  SwapPlanes(copy);
  return status::kOk;
}

void ChannelStore::CopySettingsFrom(const ChannelStore& other) {
  const int count = std::min(PlaneCount(), other.PlaneCount());
  for (int i = 0; i < count; ++i) {
    const ChannelPlane& from = *other.planes_[size_t(i)];
    ChannelPlane& to = *planes_[size_t(i)];
    to.SetCursors(from.SmallCursor(), from.BigCursor());
    to.SetLastUsed(from.LastSmall(), from.LastBig());
    to.SetStatistics(from.Max(), from.Min());
    to.SetFullRange(from.FullRange());
    to.SetEnabled(from.Enabled());
    to.SetFlat(from.Flat());
    if (from.Flat()) multiChannel_ = true;
  }
}

int ChannelStore::WriteBack(const std::vector<ChannelResult>& results, ImageDesc& destination,
                            const ImageDesc& source, const PixelRect& rect, bool singleChannel) {
  const int w = rect.Width(), h = rect.Height();
  for (const ChannelResult& r : results)
    if (!r.Empty() && (r.Width() < w || r.Height() < h)) return status::kRange;
  ImageBuffer buffer;
  const int depth = singleChannel ? 8 : source.BitsPerPixel();
  if (int rc = buffer.Allocate(w, h, depth)) return rc;
  const bool composite = depth == 24 && !multiChannel_;
  if (composite && (rect.left < 0 || rect.top < 0 || rect.right >= source.Width() ||
                    rect.bottom >= source.Height()))
    return status::kRange;
  ImageDesc& written = buffer.desc();

  for (int i = 0; i < PlaneCount(); ++i)
    planes_[size_t(i)]->SetEnabled(i < int(results.size()) && !results[size_t(i)].Empty());
  // Result row y is the rectangle's image row bottom - y; it goes to row
  // h - 1 - y of the destination so that the image keeps its orientation.
  // Rows are independent, so the threads share them.
  auto result = [&](size_t i, int y) -> const uint8_t* {
    return i < results.size() && !results[i].Empty() ? results[i].Row(y) : nullptr;
  };
  ForEachPiece(DefaultThreadCount(), uint32_t(h), kWriteBackRows, [&](uint32_t y0, uint32_t y1) {
    for (int y = int(y0); y < int(y1); ++y) {
      const int row = h - 1 - y;
      uint8_t* out = written.Row(row);
      if (depth == 8) {
        const uint8_t* v = result(0, y);
        if (v != nullptr) std::memcpy(out, v, size_t(w));
      } else if (depth != 24) {
        const uint8_t* v = result(0, y);
        for (int x = 0; v != nullptr && x < w; ++x) SetPixelValue(written, x, row, v[x]);
      } else if (multiChannel_) {
        // Byte 0 of a stored pixel is the value's highest byte: channel 2.
        const uint8_t* v[3] = {result(0, y), result(1, y), result(2, y)};
        for (int c = 0; c < 3; ++c)
          if (v[c] != nullptr)
            for (int x = 0; x < w; ++x) out[3 * x + 2 - c] = v[c][x];
      } else {
        const uint8_t* v = result(0, y);
        const uint8_t* in = source.Row(rect.top + row) + 3 * size_t(rect.left);
        for (int x = 0; x < w; ++x) {
          Hls hls = RgbToHls(pixel::Value24(in + 3 * x));
          hls.lightness = LightnessFromLevel(v != nullptr ? int(v[x]) : 0);
          pixel::Store24(out + 3 * x, HlsToRgb(hls));
        }
      }
    }
  });
  // An 8-bit result carries the grey ramp it was allocated with; the source's
  // colour table is left as it is.
  Free(destination);
  destination = buffer.Release();
  return status::kOk;
}

void ChannelStore::SwapPlanes(ChannelStore& other) {
  std::swap(planes_, other.planes_);
  std::swap(multiChannel_, other.multiChannel_);
  std::swap(derived_, other.derived_);
  std::swap(sixteenBit_, other.sixteenBit_);
}

uint16_t ChannelStore::SmallCursor(int index) const {
  const ChannelPlane* p = Plane(index);
  return p ? p->SmallCursor() : 1;
}
uint16_t ChannelStore::BigCursor(int index) const {
  const ChannelPlane* p = Plane(index);
  return p ? p->BigCursor() : kUnsetBigCursor;
}
void ChannelStore::SetCursors(int index, uint16_t small, uint16_t big) {
  if (ChannelPlane* p = Plane(index)) p->SetCursors(small, big);
}
uint16_t ChannelStore::LastSmall(int index) const {
  const ChannelPlane* p = Plane(index);
  return p ? p->LastSmall() : 0;
}
uint16_t ChannelStore::LastBig(int index) const {
  const ChannelPlane* p = Plane(index);
  return p ? p->LastBig() : 0;
}
bool ChannelStore::Enabled(int index) const {
  const ChannelPlane* p = Plane(index);
  return p ? p->Enabled() : false;
}
void ChannelStore::SetEnabled(int index, bool enabled) {
  if (ChannelPlane* p = Plane(index)) p->SetEnabled(enabled);
}
bool ChannelStore::FullRange(int index) const {
  const ChannelPlane* p = Plane(index);
  return p ? p->FullRange() : true;
}
void ChannelStore::SetFullRange(int index, bool fullRange) {
  if (ChannelPlane* p = Plane(index)) p->SetFullRange(fullRange);
}
bool ChannelStore::Flat(int index) const {
  const ChannelPlane* p = Plane(index);
  return p ? p->Flat() : false;
}
int ChannelStore::Side(int index) const {
  const ChannelPlane* p = Plane(index);
  return p ? p->Side() : 0;
}
void ChannelStore::DefaultCursors() {
  for (auto& plane : planes_) plane->DefaultCursors();
}

void SetCursorPairOnEveryPlane(ChannelStore& store, int32_t big, int32_t small) {
  const int planes = store.PlaneCount();
  for (int i = 0; i < planes; ++i) store.SetCursors(i, store.SmallCursor(i), uint16_t(big));
  for (int i = 0; i < planes; ++i) store.SetCursors(i, uint16_t(small), store.BigCursor(i));
}

}  // namespace veska
