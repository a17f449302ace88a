#include "image/file_facts.h"

#include "engine/luminance_matrix.h"
#include "image/image_file.h"
#include "imagelib/status.h"

namespace veska {

int ReadFileFacts(const std::string& path, int formatIndex, const LoadOptions& options,
                  FileFacts& facts) {
  facts = FileFacts{};
  if (formatIndex < 0 || formatIndex >= kFormatCount) return status::kUnknownFormat;
  return FileFormat(formatIndex).facts(path, options, facts);
}

int CheckLoadLimits(const FileFacts& f) {
  if (f.width < kMinimumImageSide || f.height < kMinimumImageSide)
    return status::kBelowMinimumSize;
  if (f.bitsPerPixel != 8 && f.bitsPerPixel != 24) return status::kBitsPerPixel;
  if (f.samplesPerPixel != 1 && f.samplesPerPixel != 3) return status::kSamplesPerPixel;
  if (f.bitsPerSample < 4 || f.bitsPerSample > 16) return status::kBitsPerSample;
  if (f.width == 0 || f.height == 0) return status::kZeroSize;
  // The largest image whose channel planes the engine can hold.
  if (f.width > kMaxMatrixImageSide || f.height > kMaxMatrixImageSide) return status::kMaxSize;
  return status::kOk;
}

}  // namespace veska
