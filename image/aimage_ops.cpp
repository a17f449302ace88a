// The image operations of AImage: rotation, flip, resize, mix, grayscale,
// negative and the expansion to 24 bits. The new buffer and store are built
// aside and swapped in only when everything has succeeded.

#include <cstdlib>
#include <functional>
#include <optional>

#include "engine/store_maintenance.h"
#include "image/aimage.h"
#include "image/primary_plane.h"
#include "imagelib/image_ops.h"
#include "imagelib/status.h"

namespace veska {
namespace {

// Operations work on the whole image: the processing rectangle is widened to
// it for their duration and put back afterwards, unless the buffer was
// replaced (the new one's rectangle is whole) or the operation changed the
// buffer in place and Keep was called.
class WholeImageRect {
 public:
  explicit WholeImageRect(ImageDesc& desc) : desc_(desc), pixels_(desc.pixels) {
    GetRect(desc, left_, top_, right_, bottom_);
    if (desc.Width() > 0 && desc.Height() > 0)
      SetRect(desc, 0, 0, uint32_t(desc.Width() - 1), uint32_t(desc.Height() - 1));
  }
  WholeImageRect(const WholeImageRect&) = delete;
  WholeImageRect& operator=(const WholeImageRect&) = delete;
  ~WholeImageRect() {
    if (restore_ && desc_.pixels == pixels_) SetRect(desc_, left_, top_, right_, bottom_);
  }
  void Keep() { restore_ = false; }

 private:
  ImageDesc& desc_;
  const uint8_t* pixels_;
  uint32_t left_, top_, right_, bottom_;
  bool restore_ = true;
};

// A store whose planes are the image's data (filled from a file) rather than
// values derived from the pixels.
bool HoldsPrimaryData(const ChannelStore& store) {
  return !store.Derived() && store.PlaneCount() > 0;
}

// The 8-bit grey rendition of plane 0 in a new buffer of the plane's size.
int RenderPlane0(const ChannelStore& store, ImageDesc& out) {
  const ChannelPlane* plane = store.Plane(0);
  if (plane == nullptr) return status::kRange;
  if (int rc = Allocate(out, plane->Width(), plane->Height(), 8)) return rc;
  return RenderWorkingBuffer(store, out);
}

// A derived store of the same kind as `current` (planes, flags and last-used
// sizes kept) rebuilt from `image`, in `next`. A plane disabled only because
// it was constant is built from the pixels again (and flagged flat again if
// it still is); a plane the user disabled stays disabled.
int RebuildLike(const ChannelStore& current, const ImageDesc& image, ChannelStore& next) {
  if (int rc = next.CopyFrom(current, std::nullopt, false)) return rc;
  for (int i = 0; i < next.PlaneCount(); ++i) {
    ChannelPlane& plane = *next.Plane(i);
    plane.SetSize(image.Width(), image.Height());
    plane.SetLastUsed(current.LastSmall(i), current.LastBig(i));
    if (plane.Flat()) plane.SetEnabled(true);
  }
  next.SetDerived(true);
  return next.BuildLuminance(&image, false);
}

// A new derived store built from `image`, one composite plane or one plane per
// colour as `multiChannel` says.
int BuildFresh(const ImageDesc& image, bool multiChannel, ChannelStore& next) {
  next.SetMultiChannelFlag(multiChannel);
  return next.BuildLuminance(&image, true);
}

// True when every plane of `store` has a plane in `other` whose image area
// lies at the same matrix positions, so the two can be mixed cell by cell.
bool SameLayout(const ChannelStore& store, const ChannelStore& other) {
  if (other.PlaneCount() < store.PlaneCount()) return false;
  for (int i = 0; i < store.PlaneCount(); ++i) {
    const LuminanceMatrix& a = store.Plane(i)->Matrix();
    const LuminanceMatrix& b = other.Plane(i)->Matrix();
    if (a.HasRows() != b.HasRows() || a.side != b.side || a.w != b.w || a.h != b.h ||
        a.rowOffset != b.rowOffset || a.colOffset != b.colOffset)
      return false;
  }
  return true;
}

// The channels of an image's pixels that take part in a colour mix: bit k for
// plane k of a multi-channel store, all or none for a composite plane.
unsigned MixChannels(const ChannelStore& store) {
  if (!store.MultiChannel()) {
    const ChannelPlane* plane = store.Plane(0);
    return plane != nullptr && !plane->HasValues() ? 0u : kAllChannelBits;
  }
  unsigned mask = 0;
  for (int k = 0; k < 3; ++k) {
    const ChannelPlane* plane = store.Plane(k);
    if (plane == nullptr || plane->HasValues()) mask |= 1u << k;
  }
  return mask;
}

}  // namespace

void AImage::AdoptBuffer(ImageBuffer& fresh) {
  veska::Free(desc_);
  desc_ = fresh.Release();
  loaded_ = true;
  SetResolution(dpi_);
  channels_.SetImage(&desc_);
}

bool AImage::Replace(int code, ImageBuffer& fresh, ChannelStore& store) {
  if (Failed(code)) return false;
  AdoptBuffer(fresh);
  channels_.SwapPlanes(store);
  channels_.SetImage(&desc_);
  return true;
}

int AImage::ChangeValues(int width, int height, const std::function<int(ChannelStore&)>& planes,
                         const std::function<int(ImageDesc&)>& pixels, ImageDesc& fresh,
                         ChannelStore& store) {
  const bool primary = HoldsPrimaryData(channels_);
  if (primary) {
    if (int rc = planes(store)) return rc;
    if (desc_.BitsPerPixel() == 8) return RenderPlane0(store, fresh);
  }
  if (int rc = Allocate(fresh, width, height, desc_.BitsPerPixel())) return rc;
  if (int rc = pixels(fresh)) return rc;
  return primary ? status::kOk : RebuildLike(channels_, fresh, store);
}

bool AImage::Rotate(Turn turn) {
  const int mode = int(turn);
  if (!loaded_ || mode < 0 || mode > 2) return !Failed(status::kRange);
  WholeImageRect whole(desc_);
  const bool quarter = mode != 1;
  ImageBuffer turned;
  int rc = turned.Allocate(quarter ? Height() : Width(), quarter ? Width() : Height(),
                    desc_.BitsPerPixel());
  if (rc == status::kOk) {
    if (quarter)
      rc = RotateQuarter(mode == 0 ? kQuarterClockwise : kQuarterCounterClockwise, desc_,
                         turned.desc());
    else
      rc = RotateByAngle(180.0, desc_, turned.desc());
  }
  if (Failed(rc)) return false;
  // The store's turn numbers are the Turn values: 0 turns clockwise as the
  // pixels did, given that matrix rows run bottom-up.
  AdoptBuffer(turned);
  RotateStore(channels_, mode);
  return true;
}

bool AImage::Flip(veska::Flip flip) {
  const int mode = int(flip);
  if (!loaded_ || mode < 0 || mode > 1) return !Failed(status::kRange);
  WholeImageRect whole(desc_);
  const int rc = mode == 0 ? Mirror(desc_, desc_) : FlipVertical(desc_, desc_);
  if (Failed(rc)) return false;
  whole.Keep();
  FlipStore(channels_, mode == 0);
  return true;
}

bool AImage::Resize(int width, int height, int method) {
  if (!loaded_ || width < 1 || height < 1) return !Failed(status::kRange);
  WholeImageRect whole(desc_);
  ImageBuffer resized;
  ChannelStore store;
  const int rc = ChangeValues(
      width, height,
      [&](ChannelStore& next) { return ResizeStore(channels_, width, height, method, next); },
      [&](ImageDesc& out) { return veska::Resize(desc_, out, method); }, resized.desc(), store);
  return Replace(rc, resized, store);
}

bool AImage::Mix(AImage& secondary, int primaryWeight, int secondaryWeight) {
  if (!loaded_ || !secondary.loaded_ || std::abs(primaryWeight) > 100 ||
      std::abs(secondaryWeight) > 100)
    return !Failed(status::kRange);
  // Grey values and colour values do not mix, nor do images of two depths.
  if (isGray_ != secondary.isGray_ || desc_.BitsPerPixel() != secondary.desc_.BitsPerPixel())
    return !Failed(status::kBitsPerPixel);
  if (Width() != secondary.Width() || Height() != secondary.Height())
    return !Failed(status::kMixSize);
  WholeImageRect whole(desc_);
  WholeImageRect otherWhole(secondary.desc_);
  ImageBuffer mixed;
  ChannelStore store;
  const bool grey = isGray_ == 1 && desc_.BitsPerPixel() == 8;
  const int rc = grey ? MixGrey(secondary, primaryWeight, secondaryWeight, mixed.desc(), store)
                      : MixColour(secondary, primaryWeight, secondaryWeight, mixed.desc(), store);
  if (rc == status::kOk) dpi_ = secondary.dpi_;
  return Replace(rc, mixed, store);
}

int AImage::MixGrey(AImage& secondary, int primaryWeight, int secondaryWeight,
                    ImageDesc& mixed, ChannelStore& store) {
  // Planes derived from pixels are mixed as built afresh from them; primary
  // planes through a copy.
  int rc = HoldsPrimaryData(channels_) ? CloneStore(channels_, store)
                                       : RebuildLike(channels_, desc_, store);
  if (rc != status::kOk) return rc;
  // The store mix pairs cells by matrix position: a secondary store laid out
  // otherwise (turned with an odd width-height difference) is mixed through
  // a copy in the standard layout.
  ChannelStore* other = &secondary.channels_;
  ChannelStore aligned;
  if (!HoldsPrimaryData(*other) || !SameLayout(store, *other)) {
    rc = HoldsPrimaryData(*other) ? CloneStore(*other, aligned)
                                  : RebuildLike(*other, secondary.desc_, aligned);
    if (rc != status::kOk) return rc;
    aligned.SetImage(&secondary.desc_);
    other = &aligned;
  }
  if ((rc = MixStores(store, *other, primaryWeight, secondaryWeight))) return rc;
  return RenderPlane0(store, mixed);
}

int AImage::MixColour(AImage& secondary, int primaryWeight, int secondaryWeight,
                      ImageDesc& mixed, ChannelStore& store) {
  int rc = Allocate(mixed, Width(), Height(), desc_.BitsPerPixel());
  if (rc == status::kOk)
    rc = MixPixels(desc_, secondary.desc_, mixed, primaryWeight, secondaryWeight,
                   MixChannels(channels_), MixChannels(secondary.channels_));
  if (rc != status::kOk) return rc;
  // One plane per colour when either image had them.
  return BuildFresh(mixed, channels_.MultiChannel() || secondary.channels_.MultiChannel(),
                    store);
}

bool AImage::ConvertToGrayscale() {
  if (!loaded_) return !Failed(status::kRange);
  if (desc_.BitsPerPixel() == 8 && IsGrayscale(desc_)) {
    isGray_ = 1;
    return true;
  }
  WholeImageRect whole(desc_);
  ImageBuffer wide, grey;
  ChannelStore store;
  ImageDesc* source = &desc_;
  int rc = status::kOk;
  if (desc_.BitsPerPixel() == 8) {
    // Colour-table indices carry no lightness: go through the colours.
    rc = wide.Allocate(Width(), Height(), 24);
    if (rc == status::kOk) rc = veska::ExpandTo24(desc_, wide.desc());
    source = &wide.desc();
  }
  if (rc == status::kOk) rc = grey.Allocate(Width(), Height(), 8);
  if (rc == status::kOk) rc = veska::Grayscale(*source, grey.desc());
  if (rc == status::kOk) rc = BuildFresh(grey.desc(), false, store);
  if (!Replace(rc, grey, store)) return false;
  isGray_ = 1;
  return true;
}

bool AImage::MakeNegative() {
  if (!loaded_) return !Failed(status::kRange);
  WholeImageRect whole(desc_);
  ImageBuffer negative;
  ChannelStore store;
  const int rc = ChangeValues(
      Width(), Height(),
      [&](ChannelStore& next) {
        const int cloned = CloneStore(channels_, next);
        if (cloned == status::kOk) NegateStore(next);
        return cloned;
      },
      [&](ImageDesc& out) { return veska::Negative(desc_, out); }, negative.desc(), store);
  return Replace(rc, negative, store);
}

bool AImage::ExpandTo24Bits() {
  if (!loaded_) return !Failed(status::kRange);
  if (desc_.BitsPerPixel() == 24) return true;
  WholeImageRect whole(desc_);
  ImageBuffer wide;
  ChannelStore store;
  int rc = wide.Allocate(Width(), Height(), 24);
  if (rc == status::kOk) rc = veska::ExpandTo24(desc_, wide.desc());
  // The planes now derive from the colour pixels.
  if (rc == status::kOk) rc = BuildFresh(wide.desc(), channels_.MultiChannel(), store);
  if (!Replace(rc, wide, store)) return false;
  isGray_ = 0;
  return true;
}

}  // namespace veska
