// What the file-format rows (image/format_*.cpp) share: the facts every
// reader fills the same way, the file's resolution taken into the image, and
// the resolution fields the writers put in their headers.
#pragma once

#include <cstdint>

#include "image/aimage.h"
#include "image/file_facts.h"
#include "imagelib/codec_common.h"

namespace veska {

// The size, samples and depth of a codec's information record.
void TakeBasic(const ImageFileInfo& info, FileFacts& facts);
// A one-sample 8-bit image of the given size (BIF and ASCII files).
void GreyFacts(int width, int height, FileFacts& facts);

// How a file states its resolution.
enum class ResolutionUnit { kNone, kPerInch, kPerMillimetre };
// The image's resolution from the file's; values that are not finite, or at
// or above a million in the file's own unit, count as none (72 dpi).
void ApplyResolution(AImage& image, ResolutionUnit unit, double value);

// For the formats that state no resolution: 72 dpi once the pixels are read
// (rc is kOk); the read's status either way.
int NoResolution(AImage& image, int rc);

// Grey samples of 9 to 16 bits (width x height, the top row first) become the
// channel store's one plane: the image's primary data, marked 16-bit. The
// working buffer, already allocated at 8 bits, shows their 8-bit rendition.
int AdoptSixteenBitSamples(AImage& image, const uint16_t* samples, int width, int height);
// The samples of a 16-bit store's plane as a 16-bit grey buffer, for the
// writers that keep them (TIFF, PNG).
int SixteenBitSamples(const AImage& image, ImageBuffer& samples);

// Whole dots per inch as the JPEG and TIFF headers carry them (0: the
// writer's default).
int WholeDpi(double dpi);
// Pixels per metre, rounded, as the PNG and BMP headers carry them.
int32_t PixelsPerMetre(double dpi);

}  // namespace veska
