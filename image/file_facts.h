// What a file says about its image before anything is allocated, and the
// application's limits on it. Load asks for the facts and checks the limits
// first, so that a file that is too large or too small costs no memory.
#pragma once

#include <string>

#include "image/image_file.h"
#include "imagelib/codec_common.h"

namespace veska {

// The size, samples and depth of the information record, except that
// bitsPerPixel is the depth the limits judge: that of the working buffer the
// file reads into (a TIFF of 9 to 16-bit grey samples counts as 8), for a BMP
// its header's bit count.
struct FileFacts : ImageFileInfo {
  // TIFF: photometric interpretation (0 white is zero, 3 palette); else -1.
  int photometric = -1;
  // JPEG: the JFIF density unit (1 per inch, 2 per centimetre) and the
  // horizontal density.
  int densityUnit = 0;
  int xDensity = 0;
  // JPEG: the EXIF orientation (1 upright); width and height are those of
  // the upright image.
  int orientation = 1;
  // A palette TIFF, or a BMP of fewer than 16 bits that lists its colours.
  bool fromIndexed = false;
  // The file has an alpha sample beside its grey or colour ones; the samples
  // per pixel count only the latter, and the read flattens it onto white.
  bool alpha = false;
};

// Asks the format's reader for the facts: the codec's information call, the
// BIF size of the load options (kCancelled when they hold none) or the ASCII
// information pass. Any failure of the call is returned as it is.
int ReadFileFacts(const std::string& path, int formatIndex, const LoadOptions& options,
                  FileFacts& facts);

// The load limits, tested in this order: width or height below 50
// (kBelowMinimumSize), depth other than 8 or 24 (kBitsPerPixel), samples per
// pixel other than 1 or 3 (kSamplesPerPixel), bits per sample outside 4..16
// (4 to 16 for 24 bits per pixel too, so that 32-bit samples are refused
// as such: kBitsPerSample), zero size (kZeroSize),
// width or height above 16384 (kMaxSize).
int CheckLoadLimits(const FileFacts& facts);

}  // namespace veska
