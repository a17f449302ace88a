#include "image/aimage.h"

#include <cmath>
#include <utility>

#include "imagelib/status.h"

namespace veska {

bool AImage::Failed(int code) {
  if (code == status::kOk) return false;
  ErrorReporter::Get().Report(code);
  return true;
}

AImage::AImage() = default;

AImage::AImage(const ImageDesc& desc) : desc_(desc), loaded_(true) {
  isGray_ = desc.imageType & kImageTypeGray;
  channels_.SetImage(&desc_);
}

AImage::~AImage() { Free(); }

void AImage::Free() {
  veska::Free(desc_);
  channels_.ClearForNewImage();
  loaded_ = false;
  formatIndex_ = -1;
}

int AImage::CopyPixels(ImageDesc& source, const std::optional<PixelRect>& rect) {
  uint32_t left, top, right, bottom;
  GetRect(source, left, top, right, bottom);
  if (rect)
    SetRect(source, uint32_t(rect->left), uint32_t(rect->top), uint32_t(rect->right),
            uint32_t(rect->bottom));
  else
    SetRect(source, 0, 0, uint32_t(source.Width() - 1), uint32_t(source.Height() - 1));
  // Validation puts the rectangle in order and checks that it lies inside.
  int rc = Validate1_8_24(source);
  if (rc == status::kOk) {
    rc = Allocate(desc_, int(source.right - source.left + 1), int(source.bottom - source.top + 1),
                  source.BitsPerPixel());
    if (rc == status::kOk) rc = veska::Copy(source, desc_);
    if (rc != status::kOk) veska::Free(desc_);
  }
  SetRect(source, left, top, right, bottom);
  return rc;
}

bool AImage::Copy(AImage& source, const std::optional<PixelRect>& rect, bool withMatrices) {
  if (&source == this) {
    AImage copy;
    if (!copy.Copy(source, rect, withMatrices)) return false;
    SwapWith(copy);
    return true;
  }
  Free();
  if (Failed(CopyPixels(source.desc_, rect))) return false;
  formatIndex_ = source.formatIndex_;
  isGray_ = source.isGray_;
  fromIndexed_ = source.fromIndexed_;
  SetResolution(source.dpi_);
  loaded_ = true;
  if (Failed(channels_.CopyFrom(source.channels_, rect, withMatrices))) {
    Free();
    return false;
  }
  channels_.SetImage(&desc_);
  return true;
}

bool AImage::Copy(ImageDesc& source, const std::optional<PixelRect>& rect) {
  if (&source == &desc_) {
    AImage copy;
    if (!copy.Copy(source, rect)) return false;
    SwapWith(copy);
    return true;
  }
  Free();
  if (Failed(CopyPixels(source, rect))) return false;
  isGray_ = source.imageType & kImageTypeGray;
  loaded_ = true;
  channels_.SetImage(&desc_);
  return true;
}

bool AImage::CreateFromPackedDib(uint8_t* block, size_t size,
                                 std::optional<uint32_t> luminanceMode) {
  Free();
  ImageDesc attached;
  int rc = AttachPackedDib(block, size, attached);
  if (rc == status::kOk)
    rc = Allocate(desc_, attached.Width(), attached.Height(), attached.BitsPerPixel());
  if (rc == status::kOk) rc = veska::Copy(attached, desc_);
  if (Failed(rc)) {
    Free();
    return false;
  }
  loaded_ = true;
  desc_.header->xPelsPerMeter = attached.header->xPelsPerMeter;
  desc_.header->yPelsPerMeter = attached.header->yPelsPerMeter;
  SetResolution(std::trunc(attached.header->xPelsPerMeter * 0.001 / 0.03937 + 0.5));

  if (desc_.imageType & kImageTypeGray) {
    isGray_ = 1;
  } else {
    isGray_ = 0;
    // The planes are deleted here and built below from the new buffer.
    if (luminanceMode && (*luminanceMode & 1u))
      channels_.SetMultiChannel();
    else if (luminanceMode)
      channels_.SetSingleChannel();
  }
  return !Failed(channels_.BuildLuminance(&desc_, false));
}

void AImage::SetResolution(double dpi) { dpi_ = veska::SetResolution(desc_, dpi); }

void AImage::SetResolutionDpmm(double dotsPerMm) {
  dpi_ = veska::SetResolutionDpmm(desc_, dotsPerMm);
}

void AImage::SwapWith(AImage& other) {
  std::swap(desc_, other.desc_);
  channels_.SwapPlanes(other.channels_);
  std::swap(formatIndex_, other.formatIndex_);
  std::swap(loaded_, other.loaded_);
  std::swap(isGray_, other.isGray_);
  std::swap(fromIndexed_, other.fromIndexed_);
  std::swap(dpi_, other.dpi_);
  channels_.SetImage(loaded_ ? &desc_ : nullptr);
  other.channels_.SetImage(other.loaded_ ? &other.desc_ : nullptr);
}

}  // namespace veska
