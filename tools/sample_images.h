// Images drawn in memory, in the state a load leaves them, for the example
// generator and the tests: 8-bit grey or 24-bit colour pixels with their
// luminance built, or 16-bit samples held in the single plane the way the
// 16-bit TIFF and ASCII readers keep them.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace veska {

class AImage;

// Pixel (x, y), y counted from the top: a grey level, or R | G << 8 | B << 16.
using PixelFunction = std::function<uint32_t(int x, int y)>;
// Sample (x, y) of a 16-bit plane.
using SampleFunction = std::function<uint16_t(int x, int y)>;

inline uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) { return r | g << 8 | b << 16; }

// A width x height image of `bits` (8 or 24) per pixel; nullptr when memory
// fails.
std::unique_ptr<AImage> MakeImage(int width, int height, int bits, const PixelFunction& pixel);
// A grey image whose data are the samples in its plane (the store not
// derived; 16-bit when `sixteenBit`), its working buffer the samples
// stretched to 8 bits.
std::unique_ptr<AImage> MakeSampleImage(int width, int height, bool sixteenBit,
                                        const SampleFunction& sample);

// A fixed pseudo-random texture in -1..1, the same on every machine.
double Noise(int x, int y);

}  // namespace veska
