#include "engine/process.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "engine/contrast_kernel.h"
#include "engine/progress_scope.h"
#include "imagelib/status.h"

namespace veska {
namespace {

// The first cell of an n-cell window on a side of `side` cells that centres
// the span lo..hi with `half` cells before it, moved inside at the edges.
int WindowStart(int lo, int hi, int half, int n, int side) {
  int start = lo < half ? 0 : (side - hi < half ? side - n : lo - half);
  // When n minus the span is odd, the far side gets one cell more than half,
  // and a span just beyond `half` from the far edge would end the window past
  // it.
  if (start + n > side) start = side - n;
  return start;
}

// The rectangle after defaults and clamping; false when nothing is left.
bool ClampRect(const ImageDesc& image, const std::optional<PixelRect>& rect, PixelRect& out) {
  out = rect.value_or(PixelRect{0, 0, image.Width() - 1, image.Height() - 1});
  out.left = std::max(out.left, 0);
  out.top = std::max(out.top, 0);
  out.right = std::min(out.right, image.Width() - 1);
  out.bottom = std::min(out.bottom, image.Height() - 1);
  return out.left <= out.right && out.top <= out.bottom;
}

// Runs the kernel for one channel into `result`. kOk, or the kernel's code.
int ProcessPlane(const ChannelPlane& plane, const PixelRect& rect, uint16_t s,
                 ProgressScope& display, ChannelResult& result) {
  KernelRequest request;
  request.window = PlaceWindow(plane.Matrix(), rect);
  request.rows = rect.Height();
  request.cols = rect.Width();
  request.scanlines = s;
  request.progress = display.Callback();
  const WindowPlacement& win = request.window;
  OutputRange(plane, request.outMin, request.outMax);
  AdjustOutputRange(request.outMin, request.outMax, plane, win.rowStart, win.colStart, win.side);
  return RunKernel(plane.Matrix(), result, request);
}

}  // namespace

WindowPlacement PlaceWindow(const LuminanceMatrix& matrix, const PixelRect& rect) {
  const int w = rect.Width(), h = rect.Height(), side = matrix.side;
  const int colL = rect.left + matrix.colOffset, colR = rect.right + matrix.colOffset;
  // Matrix rows run bottom-up: the rectangle's bottom row has the smaller index.
  const int last = matrix.rowOffset + matrix.h - 1;
  const int rowB = std::max(last - rect.bottom, kMatrixMargin);
  const int rowT = std::max(last - rect.top, kMatrixMargin);
  WindowPlacement win;
  win.side = (std::max(w, h) + 2 * kMatrixMargin) / 8 * 8;
  win.colStart = WindowStart(colL, colR, (win.side - w) / 2, win.side, side);
  win.rowStart = WindowStart(rowB, rowT, (win.side - h) / 2, win.side, side);
  win.row0 = rowB - win.rowStart;
  win.col0 = colL - win.colStart;
  return win;
}

void OutputRange(const ChannelPlane& plane, int& outMin, int& outMax) {
  outMin = 0;
  outMax = 255;
  if (plane.FullRange()) return;
  if (plane.Max() <= 255) {
    outMin = plane.Min();
    outMax = plane.Max();
  } else {
    outMin = plane.Min() * 255 / 65535;
    outMax = plane.Max() * 255 / 65535;
  }
}

void AdjustOutputRange(int& outMin, int& outMax, const ChannelPlane& plane, int rowStart,
                       int colStart, int N) {
  const LuminanceMatrix& m = plane.Matrix();
  const int max = m.max, min = m.min, big = m.bigSize, small = m.smallSize;
  int span = big;
  if (max - min + 1 < big) span = big - 1;
  if (span > max - min) span = max - min;

  int wMax = 0, wMin = 0;
  if (m.HasRows() && plane.Enabled()) {
    uint16_t lo = 65535, hi = 0;
    for (int r = rowStart; r < rowStart + N; ++r) {
      const uint16_t* row = m.rows[r] + colStart;
      for (int c = 0; c < N; ++c) {
        lo = std::min(lo, row[c]);
        hi = std::max(hi, row[c]);
      }
    }
    wMin = lo;
    wMax = hi;
  }
  if (big <= small) {
    outMin = outMax = (outMin + outMax) / 2;
    return;
  }
  // A constant plane has no span to scale by; its range stays as it is.
  if (span <= 0) return;
  const double k = double(outMax - outMin + 1) / span;
  const int newMin = int(std::trunc(outMax + 0.999999 - (max - wMin) * k));
  const int newMax = int(std::trunc((wMax - min) * k + outMin));
  outMin = std::max(newMin, outMin);
  outMax = std::min(newMax, outMax);
}

int ProcessChannels(ChannelStore& results, ImageDesc& destination, const ImageDesc* image,
                    const ChannelStore& planes, const ProcessRequest& request) {
  if (image == nullptr) return status::kBadBuffer;
  PixelRect area;
  if (!ClampRect(*image, request.rect, area)) return status::kRange;
  const int w = area.Width(), h = area.Height();

  ProgressScope display(request.progress, ProgressStage::kProcessing);
  display.SetRange(100);

  const int channel = request.channel;
  const bool oneOfMany = channel != kAllChannels && planes.MultiChannel();
  if (oneOfMany && planes.Plane(channel) == nullptr) return status::kRange;
  const int first = oneOfMany ? channel : 0;
  const int n = oneOfMany ? 1 : planes.PlaneCount();
  if (results.SetChannelCount(n) != n) return status::kNoMemory;
  results.SetMultiChannelFlag(oneOfMany ? false : planes.MultiChannel());
  for (int i = 0; i < n; ++i) results.Plane(i)->SetSize(w, h);

  std::vector<ChannelResult> outputs;
  try {
    outputs.resize(size_t(n));
  } catch (const std::bad_alloc&) {
    return status::kNoMemory;
  }
  for (int i = 0; i < n; ++i) {
    const int c = first + i;
    const ChannelPlane& plane = *planes.Plane(c);
    if (!plane.Enabled()) {
      if (n > 1) display.SetChannel(c + 1, n, /*disabled=*/true);
      continue;
    }
    if (plane.Width() <= area.right || plane.Height() <= area.bottom)
      return status::kRange;  // the plane does not cover the rectangle
    if (n > 1) display.SetChannel(c + 1, n);
    ChannelResult& out = outputs[size_t(i)];
    const int rc = ProcessPlane(plane, area, request.scanlines, display, out);
    if (rc != status::kOk) return rc;
    results.SetSixteenBit(false);
    results.SetDerived(true);
    ChannelPlane& done = *results.Plane(i);
    done.SetCursors(plane.SmallCursor(), plane.BigCursor());
    done.SetLastUsed(plane.SmallCursor(), plane.BigCursor());
    done.SetStatistics(255, 0);
  }
  if (n > 0)
    return results.WriteBack(outputs, destination, *image, area, channel != kAllChannels);
  return status::kOk;
}

}  // namespace veska
