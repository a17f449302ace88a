// Changes applied to every plane of a channel store together with the same
// change to the image's pixels, so that a store holding primary 16-bit data
// follows its image through rotations, flips and mixes.
#pragma once

#include "engine/channel_store.h"

namespace veska {

// Quarter or half turn of every plane (see RotateMatrix: 0 clockwise, 1 half
// turn, 2 counter-clockwise).
void RotateStore(ChannelStore& store, int turn);
// Mirrors every plane's columns (true) or rows (false).
void FlipStore(ChannelStore& store, bool columns);

// Mixes `other` (the secondary image's store) into `store` plane by plane with
// whole-percent weights: added (weightA x a + weightB x b) / 100 when both
// weights are at least 0, otherwise subtracted (100 x a - |weightB| x b) / 100,
// clipped to the store's range (0..255, or 0..65535 for a 16-bit store) and
// with values of the other depth rescaled first. When `other` has fewer planes
// it is split into colour planes for the mix and made single-channel again
// afterwards. A plane the user disabled counts as 0; a plane disabled only
// because it is constant (flat) takes part with its values, and a plane's
// flat flag afterwards says whether its mixed values are constant. Margins
// are refilled at the end. Returns 0.
int MixStores(ChannelStore& store, ChannelStore& other, int weightA, int weightB);

// Makes `to` a full copy of `from`: every plane's image area in a new matrix
// laid out as a fresh allocation of that size would be, with its statistics,
// cursor sizes, last-used sizes and flags, and the store's flags. kOk or kNoMemory;
// `to` is unchanged on failure.
int CloneStore(const ChannelStore& from, ChannelStore& to);

// Makes `to` a copy of `from` resampled to width x height: every plane's image
// area resized with the same method and fixed-point arithmetic as the pixels
// of Resize (method 1 interpolates, anything else replicates), so 16-bit
// samples stay 16-bit at the new size. Cursor sizes, last-used sizes and
// flags are kept; statistics are refreshed and margins mirrored. kOk, kRange for a
// size below 1, kNoMemory for no memory or a side above 16384; `to` is unchanged on
// failure.
int ResizeStore(const ChannelStore& from, int width, int height, int method, ChannelStore& to);

// Inverts every plane's image area on its own scale: v becomes 65535 - v in
// a 16-bit store or a plane holding values above 255, else 255 - v (the 8-bit
// negative). Statistics are refreshed and margins mirrored.
void NegateStore(ChannelStore& store);

}  // namespace veska
