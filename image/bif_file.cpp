#include "image/bif_file.h"

#include "imagelib/codec_common.h"
#include "imagelib/safe_file.h"
#include "imagelib/status.h"

namespace veska {

int BifRead(const std::string& path, ImageDesc& desc) {
  if (int rc = CheckReadTarget(desc, 8)) return rc;
  FilePtr file;
  if (int rc = OpenForRead(path, file)) return rc;
  // Whole rows straight into the buffer; the stream does the staging.
  const ReadTarget target(desc, desc.Width(), desc.Height());
  const size_t width = size_t(target.width());
  for (int y = 0; y < target.height(); ++y) {
    if (std::fread(target.Row(y), 1, width, file.get()) < width) break;
  }
  SetGrayPalette(desc);
  return status::kOk;
}

int BifWrite(const std::string& path, ImageDesc& desc) {
  if (int rc = Validate8_24(desc)) return rc;
  if (desc.BitsPerPixel() != 8) return status::kBitsPerPixel;
  SafeFile out;
  if (int rc = out.Open(path)) return rc;
  const size_t width = size_t(RectWidth(desc));
  for (int y = 0; y < RectHeight(desc); ++y) {
    if (int rc = out.Write(desc.Row(int(desc.top) + y) + desc.left, width)) return rc;
  }
  return out.Commit();
}

}  // namespace veska
