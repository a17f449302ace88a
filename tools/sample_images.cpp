#include "tools/sample_images.h"

#include "engine/channel_store.h"
#include "image/aimage.h"
#include "image/primary_plane.h"
#include "imagelib/image_desc.h"
#include "imagelib/status.h"

namespace veska {

double Noise(int x, int y) {
  uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u;
  h = (h ^ (h >> 13)) * 1274126177u;
  h ^= h >> 16;
  return double(h & 0xffff) / 32767.5 - 1.0;
}

std::unique_ptr<AImage> MakeImage(int width, int height, int bits, const PixelFunction& pixel) {
  ImageDesc desc;
  if (Allocate(desc, width, height, bits) != status::kOk) return nullptr;
  for (int y = 0; y < height; ++y) {
    uint8_t* row = desc.Row(y);
    for (int x = 0; x < width; ++x) {
      uint32_t v = pixel(x, y);
      if (bits == 8) {
        row[x] = uint8_t(v);
      } else {  // stored blue, green, red
        row[3 * x] = uint8_t(v >> 16);
        row[3 * x + 1] = uint8_t(v >> 8);
        row[3 * x + 2] = uint8_t(v);
      }
    }
  }
  auto image = std::make_unique<AImage>(desc);
  image->SetGray(bits == 8);
  if (image->Channels().BuildLuminance(image->Desc(), false) != status::kOk) return nullptr;
  return image;
}

std::unique_ptr<AImage> MakeSampleImage(int width, int height, bool sixteenBit,
                                        const SampleFunction& sample) {
  std::unique_ptr<AImage> image = MakeImage(width, height, 8, [](int, int) { return 0u; });
  if (image == nullptr) return nullptr;
  ChannelStore& store = image->Channels();
  if (StartPrimaryPlane(store, image->Buffer(), width, height) != status::kOk) return nullptr;
  LuminanceMatrix& m = store.Plane(0)->Matrix();
  for (int y = 0; y < height; ++y) {
    uint16_t* row = ImageRow(m, y);
    for (int x = 0; x < width; ++x) row[x] = sample(x, y);
  }
  FinishPrimaryPlane(store);
  store.SetSixteenBit(sixteenBit);
  if (RenderWorkingBuffer(store, image->Buffer()) != status::kOk) return nullptr;
  return image;
}

}  // namespace veska
