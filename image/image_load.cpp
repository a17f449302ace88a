// Loading an image object: detect the format, check the file's facts against
// the limits, read the pixels through the format's row, bring them to one of
// the two working depths, and build the channel store.
#include "image/aimage.h"
#include "image/file_facts.h"
#include "image/image_file.h"
#include "imagelib/image_ops.h"
#include "imagelib/status.h"

namespace veska {
namespace {

// Replaces an 8-bit colour-table buffer by its 24-bit expansion, keeping the
// resolution the read put into the header.
int ExpandToColour(ImageDesc& desc) {
  ImageBuffer wide;
  if (int rc = wide.Allocate(desc.Width(), desc.Height(), 24, InitialContents::kOverwritten))
    return rc;
  if (int rc = ExpandTo24(desc, wide.desc())) return rc;
  wide.desc().header->xPelsPerMeter = desc.header->xPelsPerMeter;
  wide.desc().header->yPelsPerMeter = desc.header->yPelsPerMeter;
  Free(desc);
  desc = wide.Release();
  return status::kOk;
}

// Everything after the checks; the object has been freed and is freed again
// by the caller when this fails.
int LoadChecked(AImage& image, const std::string& path, int format, const FileFacts& facts) {
  ImageDesc& desc = image.Buffer();
  if (int rc = Allocate(desc, facts.width, facts.height, facts.bitsPerPixel)) return rc;
  const FileFormatEntry& row = FileFormat(format);
  if (int rc = row.read(image, path, facts)) return rc;

  bool fromIndexed = facts.fromIndexed;
  if (row.colourTableIsIndexed && desc.BitsPerPixel() == 8 && !IsGrayscale(desc))
    fromIndexed = true;
  image.SetFormatIndex(format);

  const bool oneSample = facts.samplesPerPixel == 1;
  if (oneSample && desc.BitsPerPixel() != 24 && !IsGrayscale(desc)) {
    if (int rc = ExpandToColour(desc)) return rc;
  }
  // A buffer expanded to 24 bits is a colour image, whatever the file held.
  if (row.greyFromBufferType)
    image.SetGray(desc.imageType & kImageTypeGray);
  else
    image.SetGray(oneSample && desc.BitsPerPixel() != 24 ? 1 : 0);
  image.SetFromIndexed(fromIndexed);

  ChannelStore& store = image.Channels();
  if (store.PlaneCount() == 0) {
    if (int rc = store.BuildLuminance(&desc, false)) return rc;
  }
  store.SetImage(&desc);
  image.SetLoaded(true);
  return status::kOk;
}

}  // namespace

int Load(AImage& image, const std::string& path, const LoadOptions& options, int* formatIndex) {
  ClearFailureReason();
  int format = -1;
  if (int rc = DetectFormat(path, format)) return rc;
  if (formatIndex != nullptr) *formatIndex = format;
  FileFacts facts;
  if (int rc = ReadFileFacts(path, format, options, facts)) return rc;
  if (int rc = CheckLoadLimits(facts)) return rc;
  image.Free();
  const int rc = LoadChecked(image, path, format, facts);
  if (rc != status::kOk) image.Free();
  return rc;
}

}  // namespace veska
