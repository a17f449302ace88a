// PCX files with run-length coding.
//
// Reading accepts one plane of 1 or 8 bits (into an 8-bit buffer with the
// file's colour table) and three 8-bit planes (into a 24-bit buffer).
// Writing takes a 1 or 8-bit descriptor and writes version 5, one plane;
// a colour table of more than 16 entries follows the image data as the byte
// 12 and 256 red-green-blue triples.
#pragma once

#include <cstdio>
#include <string>

#include "imagelib/codec_common.h"
#include "imagelib/image_desc.h"

namespace veska {

// Reads the header: bits per pixel per plane as bits per sample, the number
// of planes as samples per pixel. -4 no file, -16 unreadable header, -26 a
// plane layout the reader does not handle.
int PcxInformation(const std::string& path, ImageFileInfo& info);
int PcxInformation(FILE* file, ImageFileInfo& info);

// Reads the pixels into `desc` (allocated from the information). -16 for a
// truncated or corrupt file.
int PcxRead(const std::string& path, ImageDesc& desc);
int PcxRead(FILE* file, ImageDesc& desc);

// Writes the processing rectangle of a 1 or 8-bit descriptor. -26 for 24
// bits, -73 for a rectangle wider or higher than 65535, -10 cannot create,
// -3 write failure (the target is then left as it was).
int PcxWrite(const std::string& path, ImageDesc& desc);

}  // namespace veska
