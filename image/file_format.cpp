// The format table (one row per format, each defined in its own
// image/format_*.cpp), the choice of format by a file name's extension, and
// the checks that a file can be opened.
#include <sys/stat.h>

#include <cstdio>

#include "image/image_file.h"
#include "imagelib/status.h"

namespace veska {

extern const FileFormatEntry kJpegFormat, kTiffFormat, kPngFormat, kBmpFormat, kBifFormat,
    kPcxFormat, kAsciiFormat;

namespace {

// In the order of FormatIndex: a row's index is its id.
constexpr const FileFormatEntry* kFormats[kFormatCount] = {
    &kJpegFormat, &kTiffFormat, &kPngFormat, &kBmpFormat, &kBifFormat, &kPcxFormat, &kAsciiFormat,
};

// Characters of an extension that are lowered before the comparison; the
// table's extensions are all shorter.
constexpr size_t kComparedLength = 7;

// The extension of the path's last component, from its last dot on ("" when
// the name has no dot).
std::string ExtensionOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  const size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || dot < nameStart) return {};
  return path.substr(dot);
}

// A regular file that opens for reading. Anything else (a folder, a pipe that
// would block the open, a device that never ends) counts as not found.
bool OpensForReading(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  FILE* file = std::fopen(path.c_str(), "rbe");
  if (file == nullptr) return false;
  std::fclose(file);
  return true;
}

}  // namespace

const FileFormatEntry& FileFormat(int index) {
  return *kFormats[index >= 0 && index < kFormatCount ? index : 0];
}

int FormatFromName(const std::string& path, int& formatIndex) {
  std::string extension = ExtensionOf(path);
  for (size_t i = 0; i < extension.size() && i < kComparedLength; ++i)
    if (extension[i] >= 'A' && extension[i] <= 'Z') extension[i] = char(extension[i] - 'A' + 'a');
  for (int i = 0; i < kFormatCount; ++i) {
    bool match = extension == kFormats[i]->extension;
    for (const char* other : kFormats[i]->otherExtensions)
      match = match || (other != nullptr && extension == other);
    if (match) {
      formatIndex = i;
      return status::kOk;
    }
  }
  return status::kUnknownFormat;
}

int DetectFormat(const std::string& path, int& formatIndex) {
  if (!OpensForReading(path)) return status::kFileNotFound;
  return FormatFromName(path, formatIndex);
}

bool Probe(const std::string& path) { return OpensForReading(path); }

}  // namespace veska
