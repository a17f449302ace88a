// The processing driver: runs the contrast kernel over a rectangle of an
// image's channel store for one channel or all of them and writes the 8-bit
// results into a destination buffer. It works on a pixel descriptor and a
// channel store only; the image object's ProcessImage (image/image_process.h)
// is built on it.
#pragma once

#include <cstdint>
#include <optional>

#include "engine/channel_plane.h"
#include "engine/channel_store.h"
#include "engine/contrast_kernel.h"
#include "engine/progress.h"
#include "engine/scanline_counts.h"
#include "imagelib/image_desc.h"
#include "imagelib/image_rect.h"

namespace veska {

// Channel argument that selects every channel of the source's store.
constexpr int kAllChannels = -1;

// One processing run. The desktop, the command line and the batch run fill
// the same record; ProcessChannels checks it.
struct ProcessRequest {
  // The rectangle processed, in image pixels; none: the whole image. It is
  // clamped to the image, and nothing left of it is kRange.
  std::optional<PixelRect> rect = std::nullopt;
  // A plane index of a multi-channel store (kRange when the store has no such
  // plane), or kAllChannels. A single-channel store runs its one plane.
  int channel = kAllChannels;
  // s, scanlines per octant (the Full, Preview or Batch count).
  uint16_t scanlines = uint16_t(kDefaultFullScanlines);
  // Shows the run (stage kProcessing) and is where a cancel is seen; null:
  // nothing is shown and nothing can cancel.
  ProgressSink* progress = nullptr;
};

// Centres an N x N window (N = max(w, h) + 20 rounded down to a multiple of 8)
// on `rect` (inside the matrix's image area), pushed inside the matrix where
// the rectangle is near an edge.
WindowPlacement PlaceWindow(const LuminanceMatrix& matrix, const PixelRect& rect);

// The output range of a plane: 0..255 for full range, else the plane's own
// min..max (scaled down from 16 bits when max is above 255).
void OutputRange(const ChannelPlane& plane, int& outMin, int& outMax);

// Narrows the output range to the part the window's values can reach: the
// output stretches over the whole range only when the window spans at least
// the big cursor. With big <= small the range collapses to its middle.
void AdjustOutputRange(int& outMin, int& outMax, const ChannelPlane& plane, int rowStart,
                       int colStart, int N);

// Processes the request over `image` (nullptr: kBadBuffer) and its channel
// store `planes`, rebuilding `results` with one plane per processed channel
// and writing the image into `destination`, which keeps its buffer unless
// the whole run succeeds. Returns kOk, kCancelled (the user cancelled; show
// nothing) or the failure's code, which the caller reports.
int ProcessChannels(ChannelStore& results, ImageDesc& destination, const ImageDesc* image,
                    const ChannelStore& planes, const ProcessRequest& request);

}  // namespace veska
