// Shared by the file-format tests of the image object: a prompter that
// answers the BIF dimension question, loaded images with test patterns, and
// hand-made TIFF files of grey samples.
#pragma once

#include <gtest/gtest.h>
#include <tiffio.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "codec_test_support.h"
#include "image/aimage.h"
#include "image/prompter.h"
#include "image_fixtures.h"

namespace veska::test {

// Answers the BIF prompt with fixed dimensions, or cancels, while installed.
class BifAnswer : public Prompter {
 public:
  BifAnswer(int width, int height, bool ok = true) : width_(width), height_(height), ok_(ok) {
    previous_ = Install(this);
  }
  ~BifAnswer() override { Install(previous_); }
  bool AskBifDimensions(const std::string&, int& width, int& height) override {
    ++asked;
    width = width_;
    height = height_;
    return ok_;
  }
  int asked = 0;

 private:
  int width_, height_;
  bool ok_;
  Prompter* previous_;
};

// A loaded image object of width x height at 8 (grey) or 24 bits whose pixel
// (x, y) is value(x, y), with its channel store built.
inline std::unique_ptr<AImage> MakeImage(int width, int height, int bits,
                                         const fixtures::PixelFn& value) {
  ImageDesc desc;
  EXPECT_EQ(Allocate(desc, width, height, bits), 0);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) SetPixelValue(desc, x, y, value(x, y));
  auto image = std::make_unique<AImage>(desc);
  image->SetGray(bits == 8 ? 1 : 0);
  EXPECT_EQ(image->Channels().BuildLuminance(image->Desc(), false, false), 0);
  return image;
}

// A one-strip-per-4-rows TIFF of `samples` samples per pixel at `bits` bits,
// written by libtiff; value(x, y) gives every sample of a pixel. `mode` "wb"
// writes big-endian, "wl" little-endian.
inline void WriteSampleTiff(const std::string& path, int width, int height, int bits,
                            int samples, uint16_t photometric, uint16_t compression,
                            const char* mode, uint32_t (*value)(int x, int y)) {
  TIFF* tif = TIFFOpen(path.c_str(), mode);
  ASSERT_NE(tif, nullptr);
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, bits);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, samples);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, photometric);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, compression);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 4);
  std::vector<uint8_t> row(size_t(width) * samples * bits / 8);
  for (int y = 0; y < height; ++y) {
    for (int i = 0; i < width * samples; ++i) {
      const uint32_t v = value(i / samples, y);
      if (bits == 16)
        std::memcpy(&row[2 * size_t(i)], &v, 2);  // native order; libtiff swaps as needed
      else
        row[size_t(i)] = uint8_t(v);
    }
    ASSERT_EQ(TIFFWriteScanline(tif, row.data(), uint32_t(y), 0), 1);
  }
  TIFFClose(tif);
}

// The sample of image row y (from the top), column x of plane 0.
inline uint16_t PlaneSample(const AImage& image, int x, int y) {
  const LuminanceMatrix& m = image.Channels().Plane(0)->Matrix();
  return m.rows[m.rowOffset + (m.h - 1 - y)][m.colOffset + x];
}

}  // namespace veska::test
