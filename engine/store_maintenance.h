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
// afterwards. Margins are refilled at the end. Returns 0.
int MixStores(ChannelStore& store, ChannelStore& other, int weightA, int weightB);

}  // namespace veska
