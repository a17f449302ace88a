// The processing driver: runs the contrast kernel over a rectangle of an image
// for one channel or all of them and writes the 8-bit results into a
// destination image.
#pragma once

#include <cstdint>
#include <optional>

#include "engine/channel_plane.h"
#include "engine/channel_store.h"
#include "engine/progress.h"
#include "image/aimage.h"
#include "imagelib/image_desc.h"
#include "imagelib/image_rect.h"

namespace veska {

// Channel argument that selects every channel of the source's store.
constexpr int kAllChannels = -1;

// Where the kernel's square window lies in a matrix, and where the rectangle
// lies inside the window.
struct WindowPlacement {
  int side = 0;      // N, a multiple of 8
  int rowStart = 0;  // first matrix row and column of the window
  int colStart = 0;
  int row0 = 0;      // the rectangle's bottom image row, as a window row
  int col0 = 0;      // the rectangle's left column, as a window column
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

// Processes `rect` of `source` (the whole image when none; clamped to the
// image) for channel `channel` (kAllChannels for all) with s scanlines per
// octant, rebuilding `results` with one plane per processed channel and
// writing the image into `destination`, which keeps its buffer unless the
// whole run succeeds. `progress` shows the run and can cancel it when
// showProgress is set. Failures are reported; a cancel returns false silently.
bool ProcessChannels(ChannelStore& results, ImageDesc& destination, const AImage& source,
                     const std::optional<PixelRect>& rect, int channel, uint16_t s,
                     bool showProgress, ProgressSink* progress = nullptr);

// Processes into `destination`: its buffer and channel store are replaced only
// when the run succeeds (a cancel leaves it as it was). The destination is
// grey when it is 8-bit, else it takes the source's grey flag; with
// rebuildLuminance its planes are rebuilt from the new pixels.
bool ProcessImage(AImage& destination, const AImage& source, const std::optional<PixelRect>& rect,
                  int channel, uint16_t s, bool rebuildLuminance, bool showProgress,
                  ProgressSink* progress = nullptr);

}  // namespace veska
