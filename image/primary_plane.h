// A channel store whose single plane is an image's primary data: the loaders
// of 16-bit TIFF and ASCII files fill it with samples directly, and the
// working buffer shows an 8-bit rendition of it.
#pragma once

#include <cstdint>

#include "engine/channel_store.h"
#include "imagelib/image_desc.h"

namespace veska {

// Replaces the store's planes by one zeroed plane of width x height for the
// image `image` (enabled, not flat, full range). kNoMemory.
int StartPrimaryPlane(ChannelStore& store, const ImageDesc& image, int width, int height);

// The samples of image row `y` (counted from the top) of a plane's matrix.
inline uint16_t* ImageRow(LuminanceMatrix& m, int y) {
  return m.rows[m.rowOffset + (m.h - 1 - y)] + m.colOffset;
}
inline const uint16_t* ImageRow(const LuminanceMatrix& m, int y) {
  return m.rows[m.rowOffset + (m.h - 1 - y)] + m.colOffset;
}

// After the plane is filled: the store is no longer derived (the plane is the
// data, not a copy of the pixels); statistics and margins are refreshed.
void FinishPrimaryPlane(ChannelStore& store);

// Fills the 8-bit working buffer from plane 0: samples above 255 anywhere in
// the plane stretch its min..max to 0..255, otherwise they are copied. The
// plane's samples are shown whether or not it is enabled for processing.
// kRange when the buffer is not an 8-bit buffer of the plane's size.
int RenderWorkingBuffer(const ChannelStore& store, ImageDesc& desc);

}  // namespace veska
