// PCX files (.pcx): our own reader and writer (imagelib/pcx_codec.h). No
// resolution (72 dpi).
#include "image/format_support.h"
#include "imagelib/pcx_codec.h"
#include "imagelib/status.h"

namespace veska {
namespace {

int Facts(const std::string& path, const LoadOptions&, FileFacts& facts) {
  ImageFileInfo info;
  if (int rc = PcxInformation(path, info)) return rc;
  TakeBasic(info, facts);
  return status::kOk;
}

int Read(AImage& image, const std::string& path, const FileFacts&) {
  return NoResolution(image, PcxRead(path, image.Buffer()));
}

int Write(AImage& image, const std::string& path) { return PcxWrite(path, image.Buffer()); }

}  // namespace

// An 8-bit image with a colour table counts as coming from an indexed file.
extern const FileFormatEntry kPcxFormat = {kPcx, "PCX", ".pcx", Facts, Read, Write, true, false};

}  // namespace veska
