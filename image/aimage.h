// The application's image object: the working pixel buffer (8-bit grayscale or
// 24-bit RGB; a pasted image keeps its clipboard depth), the channel store the
// engine works on, and what is known about the file the image came from.
//
// Operations report their own failures through the error reporter and return
// false; the object owns its buffer and store and frees both.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "engine/channel_store.h"
#include "imagelib/image_desc.h"
#include "imagelib/image_rect.h"

namespace veska {

// Resolution assumed when a file or a buffer gives none.
constexpr double kDefaultDpi = 72.0;

class AImage {
 public:
  AImage();
  // Adopts the buffer `desc` describes (this object frees it from now on).
  explicit AImage(const ImageDesc& desc);
  AImage(const AImage&) = delete;
  AImage& operator=(const AImage&) = delete;
  virtual ~AImage();

  // Frees the buffer and empties the channel store; the object is empty.
  void Free();

  // Makes this object a copy of `source`, limited to `rect` when given:
  // pixels, format index, grey and indexed-source flags, resolution, and the
  // channel store with its matrices cut to the same rectangle. The source's
  // processing rectangle is left as it was.
  bool Copy(AImage& source, const std::optional<PixelRect>& rect = std::nullopt);
  // The same from a bare buffer: pixels only, the grey flag from its type.
  bool Copy(ImageDesc& source, const std::optional<PixelRect>& rect = std::nullopt);

  // Replaces the image with a packed DIB (a clipboard block of `size` bytes).
  // luminanceMode, when given, chooses one plane per colour (bit 0 set) or a
  // composite plane for a colour image before the planes are built.
  bool CreateFromPackedDib(uint8_t* block, size_t size,
                           std::optional<uint32_t> luminanceMode = std::nullopt);

  // Resolution in dots per inch (0 or less gives 72), also written to the
  // buffer's pixels-per-metre fields.
  void SetResolution(double dpi);
  // Resolution from dots per millimetre.
  void SetResolutionDpmm(double dotsPerMm);

  // The working buffer, or nullptr when no image is loaded.
  ImageDesc* Desc() { return loaded_ ? &desc_ : nullptr; }
  const ImageDesc* Desc() const { return loaded_ ? &desc_ : nullptr; }
  // The working buffer whether loaded or not, for the code that fills it.
  ImageDesc& Buffer() { return desc_; }
  ChannelStore& Channels() { return channels_; }
  const ChannelStore& Channels() const { return channels_; }

  int Width() const { return desc_.Width(); }
  int Height() const { return desc_.Height(); }
  double Dpi() const { return dpi_; }
  uint32_t IsGray() const { return isGray_; }
  void SetGray(uint32_t isGray) { isGray_ = isGray; }
  bool FromIndexed() const { return fromIndexed_; }
  void SetFromIndexed(bool fromIndexed) { fromIndexed_ = fromIndexed; }
  int FormatIndex() const { return formatIndex_; }
  void SetFormatIndex(int formatIndex) { formatIndex_ = formatIndex; }
  bool Loaded() const { return loaded_; }
  void SetLoaded(bool loaded) { loaded_ = loaded; }

 private:
  // Copies the pixels of `source`'s rectangle into a new working buffer.
  int CopyPixels(ImageDesc& source, const std::optional<PixelRect>& rect);
  // Exchanges every field with `other` (used to copy an image onto itself).
  void SwapWith(AImage& other);

  ImageDesc desc_;
  ChannelStore channels_;
  int32_t formatIndex_ = -1;
  bool loaded_ = false;
  uint32_t isGray_ = 1;
  bool fromIndexed_ = false;
  double dpi_ = kDefaultDpi;
};

}  // namespace veska
