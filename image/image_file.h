// Loading an image object from a file and saving it back, with the format
// chosen by the file name's extension.
#pragma once

#include <optional>
#include <string>

namespace veska {

class AImage;
struct FileFacts;
struct LoadOptions;

// One row of the format table: everything the load and save paths know of a
// file format. Each format's row is defined in its own file (image/format_*.cpp)
// and listed once in the table (file_format.cpp); the row index is the format
// index an image keeps. A new format, or another extension for one, is a row.
struct FileFormatEntry {
  int id;
  const char* name;
  const char* extension;
  // What the file says before anything is allocated (file_facts.h), or the
  // failure of the format's information call.
  int (*facts)(const std::string& path, const LoadOptions& options, FileFacts& facts);
  // Reads the pixels into the image's working buffer, already allocated from
  // the facts, and takes the file's resolution (72 dpi when it gives none).
  int (*read)(AImage& image, const std::string& path, const FileFacts& facts);
  // Writes the image through the safe writer.
  int (*write)(AImage& image, const std::string& path);
  // An 8-bit colour-table image read from this format counts as coming from
  // an indexed file even when its facts do not say so.
  bool colourTableIsIndexed;
  // The grey flag follows the read buffer's image type rather than the
  // file's sample count.
  bool greyFromBufferType;
  // Further extensions of the format (".jpeg" beside ".jpg"), loaded and
  // saved alike under the same format index.
  const char* otherExtensions[2] = {};
};
constexpr int kFormatCount = 7;
enum FormatIndex { kJpeg = 0, kTiff, kPng, kBmp, kBif, kPcx, kAscii };
const FileFormatEntry& FileFormat(int index);

// The format whose extension the path's name ends with, compared without
// regard to case; no file is opened. kUnknownFormat when no row matches.
int FormatFromName(const std::string& path, int& formatIndex);

// The format whose extension the path's name ends with. The file must exist
// and open for reading (kFileNotFound otherwise, before the extension is looked
// at); no matching extension: kUnknownFormat.
int DetectFormat(const std::string& path, int& formatIndex);
// True when the file can be opened for reading.
bool Probe(const std::string& path);

// The width and height of a BIF raw file, each 0..65535 (the load limits
// judge them like any file's size).
struct BifSize {
  int width = 0;
  int height = 0;
};

// What a load needs to know that the file does not say. The caller gathers it
// before loading: the command line from --bif-size, the desktop and the batch
// run by asking the prompter (AskLoadOptions in image/prompter.h). Load
// itself asks no one.
struct LoadOptions {
  // The size of a BIF raw file. Loading a BIF file without it ends with
  // kCancelled, as a cancelled question does.
  std::optional<BifSize> bifSize;
};

// Loads `path` into `image`. Returns a status code; the caller reports it.
// `formatIndex`, when given, receives the detected format.
int Load(AImage& image, const std::string& path, const LoadOptions& options = {},
         int* formatIndex = nullptr);
inline int Load(AImage& image, const std::string& path, int* formatIndex) {
  return Load(image, path, LoadOptions{}, formatIndex);
}
// Saves `image` to `path` in the format of the path's extension, replacing
// an existing file only after the new one is completely written.
int Save(AImage& image, const std::string& path);

}  // namespace veska
