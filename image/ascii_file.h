// ASCII matrix files: text, one line per image row from the top, each line
// one decimal integer per pixel from the left. The values are the samples of
// the image's single channel plane (16 bits: a written value below zero is a
// sample above 32767).
//
// Written lines separate values by one tab and end with "\r\n", except the
// last, which has no line break. Read lines separate values by any run of
// blanks and tabs, end with "\n" or "\r\n", and may be of any length; the
// image ends at the end of the file or at the first empty line.
#pragma once

#include <string>

namespace veska {

class AImage;

// The information pass: the first line's number of values is the number of
// columns, the number of lines before the end is the number of rows.
// kErrorOpeningFile cannot open, kUnevenLines a line with another number of
// values than the first, or a value that is not a decimal integer. Reads
// without allocating.
int AsciiInformation(const std::string& path, int& columns, int& rows);

// Reads the samples into a new single plane of `image`'s channel store, whose
// 8-bit working buffer was allocated with the information pass's columns and
// rows. The plane becomes the image's primary data (the store is not
// derived) and the working buffer gets its 8-bit rendition. Each value keeps
// its low 16 bits. kErrorOpeningFile cannot open, kUnevenLines the file no
// longer has the shape the information pass found, kNoMemory.
int AsciiRead(const std::string& path, AImage& image);

// Writes plane 0 of `image`'s channel store. A derived store first rebuilds
// its planes from the working buffer, plane 0 from the pixels even when it is
// disabled for processing (a constant image keeps its values).
// kCannotCreate, kCouldNotWrite write failure (no file is left behind and an
// existing one stays as it was), kBadBuffer no image.
int AsciiWrite(AImage& image, const std::string& path);

}  // namespace veska
