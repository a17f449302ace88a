// PNG files through libpng.
//
// Grey files of any depth read into an 8-bit grey buffer, palette files of
// any depth into an 8-bit buffer with their colour table, truecolour files
// into a 24-bit buffer. 16-bit samples are scaled to 8 bits (rounded), and an
// alpha channel is flattened onto white. PngRead16 gives the full samples of
// a 16-bit grey file. Writing takes a 1-bit image as a two-level grey file,
// an 8-bit grey image as 8-bit grey, a 16-bit image as 16-bit grey, and an
// 8-bit colour-table or 24-bit image as truecolour.
#pragma once

#include <cstdint>
#include <string>

#include "imagelib/codec_common.h"
#include "imagelib/image_desc.h"

namespace veska {

// pHYs units.
constexpr int kPngUnitNone = 0;   // the values give only the aspect ratio
constexpr int kPngUnitMetre = 1;  // pixels per metre
// The physical size a written file carries unless told otherwise (300 dpi).
constexpr uint32_t kPngDefaultPixelsPerMetre = 11812;

struct PngInfo : ImageFileInfo {
  int colourType = 0;  // 0 grey, 2 truecolour, 3 palette, 4 grey+alpha, 6 truecolour+alpha
  bool hasAlpha = false;
  bool interlaced = false;
};

struct PngPhysical {
  uint32_t x = 0;  // pixels per unit; 0 when the file has no pHYs chunk
  uint32_t y = 0;
  int unit = kPngUnitNone;
};

struct PngWriteOptions {
  // Values above 2^31 - 1 or a unit other than 0 or 1 give the default.
  PngPhysical physical{kPngDefaultPixelsPerMetre, kPngDefaultPixelsPerMetre, kPngUnitMetre};
  bool interlace = false;  // Adam7 when set
};

// Reads the header. -4 no file, -7 not a readable PNG.
int PngInformation(const std::string& path, PngInfo& info);
// The file's physical pixel dimensions (zeros when it has none).
int PngGetPhysical(const std::string& path, PngPhysical& physical);

// Decodes into `desc` (8 bits for grey and palette files, else 24). -7 for a
// truncated or corrupt file.
int PngRead(const std::string& path, ImageDesc& desc);

// Decodes a 16-bit grey file of exactly width x height pixels into
// `samples`, the top row first. -26 for any other kind of file, -1 for
// another size, -7 for a truncated or corrupt file.
int PngRead16(const std::string& path, uint16_t* samples, int width, int height);

// Writes the processing rectangle of a 1, 8, 16 or 24-bit descriptor. -10 cannot
// create, -3 write failure (the target is then left as it was).
int PngWrite(const std::string& path, ImageDesc& desc, const PngWriteOptions& options = {});

// Applies the physical size: pixels per metre convert to dots per inch
// (11812 gives 300.02); no chunk, a zero value or a unit other than the metre
// give 72 dpi. Returns the dpi kept.
double PngApplyResolution(const PngPhysical& physical, ImageDesc& desc);

}  // namespace veska
