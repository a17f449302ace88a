#include "image/format_support.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "engine/plane_transforms.h"
#include "image/primary_plane.h"
#include "imagelib/status.h"

namespace veska {
namespace {

// Values at or above this, in the file's own unit, are taken as no
// resolution (they could not be kept as pixels per metre).
constexpr double kLargestResolution = 1e6;

}  // namespace

void TakeBasic(const ImageFileInfo& info, FileFacts& facts) {
  static_cast<ImageFileInfo&>(facts) = info;
}

void GreyFacts(int width, int height, FileFacts& facts) {
  facts.width = width;
  facts.height = height;
  facts.bitsPerSample = 8;
  facts.samplesPerPixel = 1;
  facts.bitsPerPixel = 8;
}

void ApplyResolution(AImage& image, ResolutionUnit unit, double value) {
  if (!std::isfinite(value) || value >= kLargestResolution) unit = ResolutionUnit::kNone;
  switch (unit) {
    case ResolutionUnit::kPerInch: image.SetResolution(value); break;
    case ResolutionUnit::kPerMillimetre: image.SetResolutionDpmm(value); break;
    case ResolutionUnit::kNone: image.SetResolution(kDefaultDpi); break;
  }
}

int NoResolution(AImage& image, int rc) {
  if (rc == 0) ApplyResolution(image, ResolutionUnit::kNone, 0);
  return rc;
}

int AdoptSixteenBitSamples(AImage& image, const uint16_t* samples, int width, int height) {
  ChannelStore& store = image.Channels();
  if (int rc = StartPrimaryPlane(store, image.Buffer(), width, height)) return rc;
  LuminanceMatrix& m = store.Plane(0)->Matrix();
  for (int y = 0; y < height; ++y)
    std::copy_n(samples + size_t(y) * size_t(width), width, ImageRow(m, y));
  FinishPrimaryPlane(store);
  store.SetSixteenBit(true);
  return RenderWorkingBuffer(store, image.Buffer());
}

int SixteenBitSamples(const AImage& image, ImageBuffer& samples) {
  const ChannelPlane* plane = image.Channels().Plane(0);
  if (plane == nullptr || !plane->Matrix().HasRows()) return status::kBadBuffer;
  if (int rc = samples.Allocate(plane->Width(), plane->Height(), 16)) return rc;
  // The plane is the image's data: its samples are written even when the
  // plane is not enabled for processing.
  return Copy16(plane->Matrix(), true, samples.desc());
}

int WholeDpi(double dpi) {
  const double whole = std::trunc(dpi);
  return whole > 0 && whole < 65536 ? int(whole) : 0;
}

int32_t PixelsPerMetre(double dpi) {
  const double perMetre = std::trunc(dpi * 0.03937 * 1000 + 0.5);
  return perMetre > 0 && perMetre <= INT32_MAX ? int32_t(perMetre) : 0;
}

}  // namespace veska
