// Windows and OS/2 bitmap files.
//
// Reading accepts the Windows header (and its longer versions) and the OS/2
// core header, 1, 4, 8, 16, 24 and 32 bits per pixel, bit-field masks for 16
// and 32 bits, and 4- and 8-bit run-length coding. Files of up to 8 bits read
// into an 8-bit buffer with the file's colour table; 16, 24 and 32-bit files
// into a 24-bit buffer. Writing produces a Windows header with the
// descriptor's depth (1, 8 or 24 bits), optionally run-length coded at 8 bits.
#pragma once

#include <cstdio>
#include <string>

#include "imagelib/codec_common.h"
#include "imagelib/image_desc.h"

namespace veska {

struct BmpInfo : ImageFileInfo {
  // The file's header; an OS/2 core header is widened to it (its height is
  // negative for a top-down file, as stored).
  BitmapInfoHeader header{};
};

// Reads the headers. kFileNotFound no file, kBadBmp unreadable header,
// kBitsPerPixel a bit count other than 1, 4, 8, 16, 24 or 32.
int BmpInformation(const std::string& path, BmpInfo& info);
int BmpInformation(FILE* file, BmpInfo& info);

// Reads the pixels into `desc`, allocated from the information (8 bits for
// files of up to 8 bits, else 24), with the file's pixels per metre in its
// header. kBadBmp for a truncated or corrupt file.
int BmpRead(const std::string& path, ImageDesc& desc);
int BmpRead(FILE* file, ImageDesc& desc);

// Writes the processing rectangle of a 1, 8 or 24-bit descriptor, with the
// pixels per metre of its header. `runLength` codes an 8-bit image with 8-bit
// run-length coding (other depths stay uncompressed). kCannotCreate,
// kDiskFull write failure (the target is then left as it was).
int BmpWrite(const std::string& path, ImageDesc& desc, bool runLength = false);

// Takes the resolution a read left in the header: 0 pixels per metre gives
// 72 dots per inch, otherwise the nearest whole dots per inch. Writes it back
// through SetResolution and returns it.
double BmpApplyResolution(ImageDesc& desc);

}  // namespace veska
