// Pixel operations of the image library on ImageDesc buffers: quarter turns,
// mirror and flip, resize, negative, lookup tables, expansion to 24 bits,
// grayscale, colour reduction and mixing.
//
// Every operation works on the processing rectangles of its descriptors (two
// rectangles: their overlap, the smaller width and height), validates its
// descriptors first and returns a status code of imagelib/status.h. An
// operation that writes a separate destination leaves the source untouched,
// and on failure leaves the destination as it was.
#pragma once

#include <array>
#include <cstdint>

#include "imagelib/image_desc.h"

namespace veska {

// A turn of a whole image (the image object's Rotate, the channel store's
// planes). The values are the turn numbers the store and the menu commands
// use: a quarter turn clockwise, a half turn, a quarter turn counter-clockwise.
enum class Turn { kClockwise90 = 0, kHalf = 1, kCounterClockwise90 = 2 };
// A mirror image of a whole image: columns left to right, or rows upside down.
enum class Flip { kLeftRight = 0, kUpsideDown = 1 };

// Quarter-turn directions of RotateQuarter.
constexpr int kQuarterClockwise = 0;         // -90 degrees
constexpr int kQuarterCounterClockwise = 1;  // +90 degrees (any non-zero value)

// Resize methods: replication, or interpolation (bilinear when either axis
// keeps its size or grows, block averaging when both shrink). Any value other
// than kResizeInterpolate counts as replication.
constexpr int kResizeReplicate = 0;
constexpr int kResizeInterpolate = 1;

// Rotates the source rectangle by a quarter turn into the destination (1, 8 or
// 24 bits, equal depth, distinct buffers). The source rectangle is read column
// by column from its left column, each from the top down. Clockwise: the first
// column becomes the destination's top row written right to left, the next
// column the row below it. Counter-clockwise: the first column becomes the
// bottom row written left to right, the next column the row above it. The
// destination rectangle should be the source's with width and height
// exchanged; otherwise the overlap is rotated. The colour table is copied.
int RotateQuarter(int direction, ImageDesc& source, ImageDesc& destination);

// Rotates by an angle in degrees, counter-clockwise positive, brought into
// 0..360: 0 copies, 90 and 270 are the counter-clockwise and clockwise quarter
// turns, 180 mirrors into the destination and flips it upside down. Other
// angles are not supported by this library (-50).
int RotateByAngle(double degrees, ImageDesc& source, ImageDesc& destination);

// Left-right mirror and upside-down flip (1, 8 or 24 bits, equal depth). When
// both descriptors describe the same buffer with the same rectangle the
// operation runs in place; the same buffer with another rectangle is kRange.
// The colour table is copied.
int Mirror(ImageDesc& source, ImageDesc& destination);
int FlipVertical(ImageDesc& source, ImageDesc& destination);

// Resizes the source rectangle onto the destination rectangle (1, 8 or 24
// bits, equal depth, distinct buffers). Equal sizes copy. Replication (method
// 0, and always for 1 bit) takes for every destination pixel the source pixel
// at index x * source size / destination size on each axis. Interpolation
// works in fixed point with 15 fractional bits; an 8-bit image whose colour
// table is not a grey ramp is interpolated in 24 bits and reduced back to a
// 256-colour table.
int Resize(ImageDesc& source, ImageDesc& destination, int method);

// Every 8-bit value v (grey level or channel) becomes 255 - v; 1-bit pixels
// are inverted. An 8-bit image whose colour table is not a grey ramp has its
// colour table inverted instead of its indices, so the picture it shows is the
// negative too. Source and destination may be the same descriptor.
int Negative(ImageDesc& source, ImageDesc& destination);

// One 256-entry table per colour channel.
struct LookupTables {
  std::array<uint8_t, 256> red{};
  std::array<uint8_t, 256> green{};
  std::array<uint8_t, 256> blue{};
};

// Maps every channel through its table (8 or 24 bits, equal depth). A grey
// 8-bit image with three equal tables maps its pixels; any other 8-bit image
// keeps its indices and gets the tables applied to its colour table (so a grey
// image with unequal tables becomes a colour-table image showing the exact
// per-channel result). Source and destination may be the same descriptor.
int ApplyLookupTables(const LookupTables& tables, ImageDesc& source,
                      ImageDesc& destination);

// Replaces every pixel of an 8-bit colour-table source by the blue, green and
// red of its table entry in a 24-bit destination. kRange when the source has no
// colour table, kBitsPerPixel for other depths. Indices beyond the table give black.
int ExpandTo24(ImageDesc& source, ImageDesc& destination);

// Converts a 24-bit source to grey levels in an 8-bit destination through the
// integer lightness of the hue-lightness-saturation conversion (scale 252),
// then gives the destination the grey ramp.
int Grayscale(ImageDesc& source, ImageDesc& destination);

// Reduces a 24-bit source to an 8-bit destination with a colour table of at
// most 256 entries: exact when the source has no more than 256 colours,
// otherwise by median cut over 5-bit-per-channel colour cells.
int ReduceTo256Colours(ImageDesc& source, ImageDesc& destination);

// Channel masks of MixPixels: bit k set = channel k takes part (0 red, 1 green,
// 2 blue; an 8-bit image has channel 0 only); a clear bit counts as 0.
constexpr unsigned kAllChannelBits = 7;

// Mixes two images pixel by pixel, channel by channel, into the destination
// (8 or 24 bits, all the same depth; 8-bit images must be grey). Weights are
// whole percentages -100..100 (kRange otherwise). When either is negative the
// mix subtracts: (p * 100 - s * |secondary|) / 100, 0 when negative; otherwise
// it adds: (p * |primary| + s * |secondary|) / 100, at most 255. The
// destination may be the primary itself.
int MixPixels(ImageDesc& primary, ImageDesc& secondary, ImageDesc& destination,
              int primaryWeight, int secondaryWeight,
              unsigned primaryChannels = kAllChannelBits,
              unsigned secondaryChannels = kAllChannelBits);

}  // namespace veska
