#include "engine/channel_plane.h"

#include <algorithm>

namespace veska {

bool ChannelPlane::Reset() {
  matrix_.Free();
  SetCursors(1, kUnsetBigCursor);
  SetLastUsed(0, 0);
  enabled_ = true;
  flat_ = false;
  fullRange_ = true;
  return true;
}

bool ChannelPlane::AllocateMatrix(int width, int height, InitialContents cells) {
  return Reset() && matrix_.Allocate(width, height, cells);
}

bool ChannelPlane::ReallocateMatrix() {
  const int width = matrix_.w, height = matrix_.h;
  return Reset() && matrix_.Allocate(width, height);
}

void ChannelPlane::DefaultCursors() {
  const int covering = (int(matrix_.max) - int(matrix_.min) + 1) / 2 * 2 + 1;
  SetCursors(1, uint16_t(std::clamp(covering, 3, 65535)));
}

void ChannelPlane::SetFlat(bool flat) {
  flat_ = flat;
  if (flat) {
    enabled_ = false;
    fullRange_ = false;
  }
}

}  // namespace veska
