// ASCII matrices (.asc): one line of decimal samples per image row, read into
// the channel store's primary plane (image/ascii_file.h). No resolution
// (72 dpi).
#include "image/ascii_file.h"
#include "image/format_support.h"
#include "imagelib/status.h"

namespace veska {
namespace {

int Facts(const std::string& path, const LoadOptions&, FileFacts& facts) {
  int columns = 0, rows = 0;
  if (int rc = AsciiInformation(path, columns, rows)) return rc;
  GreyFacts(columns, rows, facts);
  return status::kOk;
}

int Read(AImage& image, const std::string& path, const FileFacts&) {
  return NoResolution(image, AsciiRead(path, image));
}

}  // namespace

// An 8-bit image with a colour table counts as coming from an indexed file.
extern const FileFormatEntry kAsciiFormat = {kAscii, "ASCII", ".asc", Facts,
                                             Read,   AsciiWrite, true,   false};

}  // namespace veska
