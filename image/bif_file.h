// BIF raw files: 8-bit grey levels, the top row first, each row exactly as
// many bytes as the image is wide, nothing else. The file stores no size; the
// user types width and height in on every load.
#pragma once

#include <string>

#include "imagelib/image_desc.h"

namespace veska {

// Fills `desc` (8 bits, allocated with the typed size) from the file, row by
// row from the top. A file that ends early leaves the missing pixels as they
// are (black in a fresh buffer) and still succeeds; extra bytes are ignored.
// Gives the buffer the grey ramp. kBitsPerPixel not 8 bits, kFileNotFound cannot open.
int BifRead(const std::string& path, ImageDesc& desc);

// Writes the processing rectangle of an 8-bit buffer, row by row from its top
// row. kBitsPerPixel not 8 bits, kCannotCreate, kDiskFull write failure (no file is left
// behind and an existing one stays as it was).
int BifWrite(const std::string& path, ImageDesc& desc);

}  // namespace veska
