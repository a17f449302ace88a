// libtiff on our own streams: TIFF handles that read and write through a
// FILE* (the safe writer's temporary file, or a file opened for reading), and
// a library that prints nothing.
#pragma once

#include <tiffio.h>

#include <cstdio>
#include <memory>

namespace veska {

struct TiffCloser {
  void operator()(TIFF* tif) const { TIFFClose(tif); }
};
using TiffPtr = std::unique_ptr<TIFF, TiffCloser>;

// Opens a TIFF handle over `file` with the libtiff mode string ("r" or "w");
// the stream stays the caller's and outlives the handle. Null on failure.
// Also turns libtiff's warning and error output off, once per process.
TiffPtr OpenTiffStream(FILE* file, const char* name, const char* mode);

}  // namespace veska
