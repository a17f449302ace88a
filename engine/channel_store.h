// The set of luminance planes an image's processing works on: one composite
// lightness plane, or one plane per colour component (0 red, 1 green, 2 blue),
// with the flags that say how the planes relate to the image.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "engine/channel_plane.h"
#include "engine/channel_result.h"
#include "engine/progress.h"
#include "imagelib/image_desc.h"
#include "imagelib/image_rect.h"

namespace veska {

class ProgressScope;

// How a colour image's channel store holds it: one composite luminance plane
// (its lightness) or one plane per colour component.
enum class Luminance { kSingle, kMulti };

class ChannelStore {
 public:
  ChannelStore() = default;
  ChannelStore(const ChannelStore&) = delete;
  ChannelStore& operator=(const ChannelStore&) = delete;
  ~ChannelStore() = default;

  // Deletes every plane (clearing the 16-bit flag), then creates n new ones.
  // Returns how many were created; anything other than n means no memory.
  int SetChannelCount(int n);
  int PlaneCount() const { return int(planes_.size()); }
  // The plane at `index`, or nullptr when there is none.
  ChannelPlane* Plane(int index);
  const ChannelPlane* Plane(int index) const;

  // Builds the planes from `image` (8 or 24 bits; other depths read 0) and
  // remembers the image. A store that is not derived (its planes are primary
  // data) only gets its statistics and margins refreshed unless `force`.
  // `progress` shows the build (stage kLuminance) and is where a cancel is
  // seen; nullptr shows nothing. kOk, kNoMemory (no memory or an image side
  // above 16384) or kCancelled (planes already built stay built).
  int BuildLuminance(const ImageDesc* image, bool force, ProgressSink* progress = nullptr);
  // Switch between one composite plane and one plane per colour: the planes
  // are deleted and rebuilt from the store's image.
  int SetSingleChannel(ProgressSink* progress = nullptr);
  int SetMultiChannel(ProgressSink* progress = nullptr);
  // The same by mode; kOk at once when the store is in that mode already.
  int SetLuminance(Luminance mode, ProgressSink* progress = nullptr);
  // Deletes every plane and forgets the image; the store is derived again.
  void ClearForNewImage();

  // Makes this store a copy of `other`: as many planes, each with its flat and
  // enabled flags, and the store's flags. With copyMatrices each plane also
  // gets other's image area, or the part of it inside `rect`, in a new matrix
  // with other's statistics and cursor sizes. kOk, kNoMemory, kRange a
  // rectangle outside the image area. On failure this store is unchanged.
  int CopyFrom(const ChannelStore& other, const std::optional<PixelRect>& rect,
               bool copyMatrices);
  // Carries cursor sizes, last-used sizes, statistics and flags plane by plane
  // from `other`, without matrix data. A plane that becomes flat makes this
  // store multi-channel.
  void CopySettingsFrom(const ChannelStore& other);

  // Writes processed channels into `destination`, replacing its buffer: a
  // rect-sized image, 8-bit when singleChannel, else of the source's depth.
  // results[i] belongs to plane i; an empty result is a disabled channel and
  // writes zeros. A composite result on a 24-bit image changes each source
  // pixel's lightness and keeps its hue and saturation. Each plane's enabled
  // flag records whether its result exists. The destination keeps its old
  // buffer on failure: an allocation code, or kRange when a result or the
  // rectangle does not fit.
  int WriteBack(const std::vector<ChannelResult>& results, ImageDesc& destination,
                const ImageDesc& source, const PixelRect& rect, bool singleChannel);

  // Exchanges planes and flags with `other`; each store keeps its image.
  void SwapPlanes(ChannelStore& other);

  // Per-plane settings by index; an index without a plane reads defaults and
  // ignores writes.
  uint16_t SmallCursor(int index) const;
  uint16_t BigCursor(int index) const;
  void SetCursors(int index, uint16_t small, uint16_t big);
  uint16_t LastSmall(int index) const;
  uint16_t LastBig(int index) const;
  bool Enabled(int index) const;
  void SetEnabled(int index, bool enabled);
  bool FullRange(int index) const;
  void SetFullRange(int index, bool fullRange);
  bool Flat(int index) const;
  int Side(int index) const;
  // Restores every plane's default cursor sizes for its value range.
  void DefaultCursors();

  const ImageDesc* Image() const { return image_; }
  void SetImage(const ImageDesc* image) { image_ = image; }
  bool MultiChannel() const { return multiChannel_; }
  void SetMultiChannelFlag(bool multi) { multiChannel_ = multi; }
  bool Derived() const { return derived_; }
  void SetDerived(bool derived) { derived_ = derived; }
  bool SixteenBit() const { return sixteenBit_; }
  void SetSixteenBit(bool sixteenBit) { sixteenBit_ = sixteenBit; }

 private:
  void DeletePlanes();
  int BuildPlane(int index, const ImageDesc& image, bool lightness, ProgressScope& progress);

  const ImageDesc* image_ = nullptr;  // not owned
  std::vector<std::unique_ptr<ChannelPlane>> planes_;
  bool multiChannel_ = false;
  bool derived_ = true;
  bool sixteenBit_ = false;
};

// Gives every plane of `store` the big cursor, then every plane the small
// cursor, each taken as an unsigned 16-bit value, whatever the luminance mode:
// the cursor pair of a batch line or of `veska process`.
void SetCursorPairOnEveryPlane(ChannelStore& store, int32_t big, int32_t small);

}  // namespace veska
