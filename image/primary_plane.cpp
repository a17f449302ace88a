#include "image/primary_plane.h"

#include "engine/plane_transforms.h"
#include "imagelib/status.h"

namespace veska {

int StartPrimaryPlane(ChannelStore& store, const ImageDesc& image, int width, int height) {
  store.SetImage(&image);
  if (store.SetChannelCount(1) != 1) return status::kNoMemory;
  if (!store.Plane(0)->AllocateMatrix(width, height)) {
    store.SetChannelCount(0);
    return status::kNoMemory;
  }
  return status::kOk;
}

void FinishPrimaryPlane(ChannelStore& store) {
  store.SetDerived(false);
  LuminanceMatrix& m = store.Plane(0)->Matrix();
  m.RefreshStatistics();
  m.MirrorMargins();
}

int RenderWorkingBuffer(const ChannelStore& store, ImageDesc& desc) {
  const ChannelPlane* plane = store.Plane(0);
  if (plane == nullptr || desc.pixels == nullptr || desc.BitsPerPixel() != 8 ||
      desc.Width() != plane->Width() || desc.Height() != plane->Height())
    return status::kRange;
  return Render8(plane->Matrix(), true, desc);
}

}  // namespace veska
