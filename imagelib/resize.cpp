// Resize of a processing rectangle by replication or fixed-point
// interpolation; the arithmetic itself lives in resample.h.

#include "imagelib/image_ops.h"
#include "imagelib/pixel_access.h"
#include "imagelib/resample.h"
#include "imagelib/status.h"

namespace veska {
namespace {

// Channel `channel` of a descriptor's processing rectangle as a sample grid.
template <typename T>
StridedGrid<T> ChannelGrid(ImageDesc& desc, int channel) {
  const int bytes = desc.BitsPerPixel() / 8;
  uint8_t* top = desc.Row(int(desc.top)) + size_t(desc.left) * bytes + channel;
  return StridedGrid<T>{top, -ptrdiff_t(desc.stride), bytes, pixel::RectWidth(desc),
                        pixel::RectHeight(desc)};
}

void ReplicateBits(const Resampler& resampler, ImageDesc& source, ImageDesc& destination) {
  const AxisMap& xs = resampler.Columns();
  const AxisMap& ys = resampler.Rows();
  const int w = pixel::RectWidth(destination);
  const int h = pixel::RectHeight(destination);
  for (int y = 0; y < h; ++y) {
    const uint8_t* src = source.Row(int(source.top) + ys.first[y]);
    uint8_t* dst = destination.Row(int(destination.top) + y);
    for (int x = 0; x < w; ++x)
      pixel::CopyPixel(src, int(source.left) + xs.first[x], dst, int(destination.left) + x, 1);
  }
}

// An 8-bit colour-table image cannot be interpolated through its indices: it
// is expanded to 24 bits, interpolated there and reduced to 256 colours. The
// destination is written only by the last step.
int ResizeThroughRgb(ImageDesc& source, ImageDesc& destination) {
  ImageBuffer wide;
  ImageBuffer resized;
  int rc = wide.Allocate(pixel::RectWidth(source), pixel::RectHeight(source), 24);
  if (rc == status::kOk) rc = ExpandTo24(source, wide.desc());
  if (rc == status::kOk)
    rc = resized.Allocate(pixel::RectWidth(destination), pixel::RectHeight(destination), 24);
  if (rc == status::kOk) rc = Resize(wide.desc(), resized.desc(), kResizeInterpolate);
  if (rc == status::kOk) rc = ReduceTo256Colours(resized.desc(), destination);
  return rc;
}

}  // namespace

int Resize(ImageDesc& source, ImageDesc& destination, int method) {
  int rc = pixel::ValidatePair1_8_24(source, destination);
  if (rc != status::kOk) return rc;
  if (pixel::SameBuffer(source, destination)) return status::kRange;
  const int sw = pixel::RectWidth(source), sh = pixel::RectHeight(source);
  const int dw = pixel::RectWidth(destination), dh = pixel::RectHeight(destination);
  if (sw == dw && sh == dh) return Copy(source, destination);

  const int bits = source.BitsPerPixel();
  const ResampleMethod chosen =
      bits == 1 ? ResampleMethod::kReplicate : ChooseResampleMethod(method, sw, sh, dw, dh);
  if (chosen != ResampleMethod::kReplicate && bits == 8 && !IsGrayscale(source))
    return ResizeThroughRgb(source, destination);

  Resampler resampler;
  if (!resampler.Prepare(chosen, sw, sh, dw, dh)) return status::kNoMemory;
  if (bits == 1) {
    ReplicateBits(resampler, source, destination);
  } else {
    for (int channel = 0; channel < bits / 8; ++channel)
      resampler.Run(ChannelGrid<const uint8_t>(source, channel),
                    ChannelGrid<uint8_t>(destination, channel));
  }
  CopyColourTable(source, destination);
  return status::kOk;
}

}  // namespace veska
