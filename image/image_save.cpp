// Saving an image object in the format of the file name's extension, through
// the format's row. Every writer goes through the safe writer: a failed save
// leaves no partial file and an existing file as it was.
#include "image/aimage.h"
#include "image/image_file.h"
#include "imagelib/status.h"

namespace veska {

int Save(AImage& image, const std::string& path) {
  ClearFailureReason();
  int format = -1;
  if (int rc = FormatFromName(path, format)) return rc;
  if (!image.Loaded() || image.Buffer().header == nullptr) return status::kBadBuffer;
  return FileFormat(format).write(image, path);
}

}  // namespace veska
