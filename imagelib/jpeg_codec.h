// JPEG (JFIF) files through libjpeg.
//
// One-component files read into an 8-bit grey buffer, three- and
// four-component files (YCbCr, RGB, CMYK) into a 24-bit buffer. Writing takes
// an 8-bit grey image as one component and an 8-bit colour-table or 24-bit
// image as three.
#pragma once

#include <string>

#include "imagelib/codec_common.h"
#include "imagelib/image_desc.h"

namespace veska {

enum class JpegFrame { kBaseline, kExtended, kProgressive };

// JFIF density units.
constexpr int kJpegDensityNone = 0;
constexpr int kJpegDensityPerInch = 1;
constexpr int kJpegDensityPerCm = 2;

struct JpegInfo : ImageFileInfo {
  JpegFrame frame = JpegFrame::kBaseline;
  int densityUnit = kJpegDensityNone;  // 0 when the file has no JFIF segment
  int xDensity = 0;
  int yDensity = 0;
  // The EXIF orientation (1 to 8; 1 upright, also when the file has none):
  // how the stored pixels are to be turned and flipped to be shown upright.
  int orientation = 1;
};

struct JpegWriteOptions {
  int quality = 100;         // below 1 counts as 1, above 100 as 100
  bool progressive = false;  // baseline (sequential) unless set
  // JFIF density: a unit outside 0..2 or a density outside 1..65535 gives
  // 72 dots per inch.
  int densityUnit = kJpegDensityPerInch;
  int xDensity = 72;
  int yDensity = 72;
};

// Reads the frame header, the JFIF density and the EXIF orientation. -4 no
// file, -43 unreadable or more than 4 components.
int JpegInformation(const std::string& path, JpegInfo& info);

// Decodes into `desc` (8 bits for one component, else 24), the pixels as
// stored (the orientation is not applied). -43 for a truncated or corrupt
// file, including one whose damage libjpeg only warns of.
int JpegRead(const std::string& path, ImageDesc& desc);

// Writes the processing rectangle of an 8 or 24-bit descriptor.
// -73 for a rectangle wider or higher than the coder allows, -10 cannot
// create, -3 write failure (the target is then left as it was).
int JpegWrite(const std::string& path, ImageDesc& desc, const JpegWriteOptions& options = {});

// Applies the file's density: dots per inch as they are, dots per
// centimetre converted (118 per cm is 299.72 dpi), anything else 72 dpi.
// Returns the dpi kept.
double JpegApplyResolution(const JpegInfo& info, ImageDesc& desc);

}  // namespace veska
