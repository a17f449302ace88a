// BIF raw files (.bif): grey bytes row by row with no header, so the size is
// a load option the caller asks for before loading. No resolution (72 dpi).
#include "image/bif_file.h"
#include "image/format_support.h"
#include "imagelib/status.h"

namespace veska {
namespace {

int Facts(const std::string&, const LoadOptions& options, FileFacts& facts) {
  if (!options.bifSize) return status::kCancelled;
  GreyFacts(options.bifSize->width, options.bifSize->height, facts);
  return status::kOk;
}

int Read(AImage& image, const std::string& path, const FileFacts&) {
  return NoResolution(image, BifRead(path, image.Buffer()));
}

int Write(AImage& image, const std::string& path) { return BifWrite(path, image.Buffer()); }

}  // namespace

// An 8-bit image with a colour table counts as coming from an indexed file.
extern const FileFormatEntry kBifFormat = {kBif, "BIF", ".bif", Facts, Read, Write, true, false};

}  // namespace veska
