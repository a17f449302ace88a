// The application's image object: the working pixel buffer (8-bit grayscale or
// 24-bit RGB; a pasted image keeps its clipboard depth), the channel store the
// engine works on, and what is known about the file the image came from.
//
// Operations report their own failures through the error reporter and return
// false; the object owns its buffer and store and frees both.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

#include "engine/channel_store.h"
#include "imagelib/image_desc.h"
#include "imagelib/image_ops.h"
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
  // processing rectangle is left as it was. Without `withMatrices` the store
  // takes the planes' mode and flags but no luminance: for a copy whose store
  // a processing run replaces at once.
  bool Copy(AImage& source, const std::optional<PixelRect>& rect = std::nullopt,
            bool withMatrices = true);
  // The same from a bare buffer: pixels only, the grey flag from its type.
  bool Copy(ImageDesc& source, const std::optional<PixelRect>& rect = std::nullopt);

  // Replaces the image with a packed DIB (a clipboard block of `size` bytes).
  // luminanceMode, when given, chooses one plane per colour (bit 0 set) or a
  // composite plane for a colour image before the planes are built.
  bool CreateFromPackedDib(uint8_t* block, size_t size,
                           std::optional<uint32_t> luminanceMode = std::nullopt);

  // Image operations on the whole image. Each builds its result aside and
  // then swaps it in: either it completes, the working buffer is replaced and
  // the channel store follows (turned or flipped with the pixels, resampled,
  // mixed or rebuilt), or it fails, reports the status and leaves buffer and
  // store exactly as they were. A store holding primary 16-bit data (a 16-bit
  // TIFF or ASCII file) keeps holding it, and the pixels are its rendition.

  // A quarter turn either way or a half turn (a value outside the enum: kRange).
  bool Rotate(Turn turn);
  // Mirrors left to right or turns upside down (outside the enum: kRange).
  bool Flip(veska::Flip flip);
  // New size in pixels (1 or more); method 1 interpolates, any other value
  // replicates pixels. Primary 16-bit planes are resampled the same way.
  bool Resize(int width, int height, int method);
  // Mixes `secondary` into this image with whole-percent weights -100..100:
  // subtracting when either weight is negative, adding otherwise. Both images
  // must be grey or both colour (kBitsPerPixel) and of one size (kMixSize).
  // Grey images mix their channel stores, so 16-bit samples keep their
  // precision, and show the rendition of the result; colour images mix their
  // pixels. The resolution becomes the secondary's. `secondary` may be this
  // image.
  bool Mix(AImage& secondary, int primaryWeight, int secondaryWeight);
  // A colour image (24 bits, or 8 bits with a colour table) becomes an 8-bit
  // grey image of its lightness; a grey image stays as it is.
  bool ConvertToGrayscale();
  // Every value v becomes 255 - v (primary 16-bit planes: 65535 - v).
  bool MakeNegative();
  // An 8-bit image becomes a 24-bit colour image through its colour table; a
  // 24-bit image stays as it is.
  bool ExpandTo24Bits();

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
  // Reports a failure through the error reporter; true when `code` is one.
  static bool Failed(int code);
  // Copies the pixels of `source`'s rectangle into a new working buffer.
  int CopyPixels(ImageDesc& source, const std::optional<PixelRect>& rect);
  // Exchanges every field with `other` (used to copy an image onto itself).
  void SwapWith(AImage& other);
  // Frees the working buffer and takes `fresh`'s in its place (leaving
  // `fresh` empty), with this image's resolution; the object counts as loaded.
  void AdoptBuffer(ImageBuffer& fresh);
  // Reports a failed operation, or takes its new buffer and the planes and
  // flags of its new store in.
  bool Replace(int code, ImageBuffer& fresh, ChannelStore& store);
  // The new buffer and store of an operation that changes values and maybe
  // the size: primary planes are changed by `planes` and the pixels become
  // their rendition; otherwise `pixels` fills a new buffer of width x height
  // from the working buffer and the store is rebuilt from it.
  int ChangeValues(int width, int height, const std::function<int(ChannelStore&)>& planes,
                   const std::function<int(ImageDesc&)>& pixels, ImageDesc& fresh,
                   ChannelStore& store);
  // The parts of Mix for grey and for colour images: the mixed buffer and
  // store, built aside.
  int MixGrey(AImage& secondary, int primaryWeight, int secondaryWeight, ImageDesc& mixed,
              ChannelStore& store);
  int MixColour(AImage& secondary, int primaryWeight, int secondaryWeight, ImageDesc& mixed,
                ChannelStore& store);

  ImageDesc desc_;
  ChannelStore channels_;
  int32_t formatIndex_ = -1;
  bool loaded_ = false;
  uint32_t isGray_ = 1;
  bool fromIndexed_ = false;
  double dpi_ = kDefaultDpi;
};

}  // namespace veska
