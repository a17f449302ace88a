// The whole load path: the input is written under each extension of the
// format table and loaded as an image object; what loads is saved again in
// every format (BIF images excepted). Inputs whose file facts promise a large image are skipped
// after the facts are read, so that the fuzzer spends its time on parsing
// rather than on allocating large (legitimate) buffers.
#include <algorithm>

#include "fuzz_file.h"
#include "image/aimage.h"
#include "image/file_facts.h"
#include "image/image_file.h"

namespace {

constexpr int kLargestSide = 1024;

// The load options from the input's first two bytes: a BIF size around the
// 50-pixel minimum (any bytes load as BIF, so its images are kept small).
veska::LoadOptions InputOptions(const uint8_t* data, size_t size) {
  veska::LoadOptions options;
  if (size > 2) options.bifSize = veska::BifSize{45 + data[0] % 16, 45 + data[1] % 16};
  return options;
}

bool Small(const std::string& path, const veska::LoadOptions& options) {
  int format = -1;
  veska::FileFacts facts;
  if (veska::DetectFormat(path, format) != 0) return false;
  if (veska::ReadFileFacts(path, format, options, facts) != 0) return false;
  return std::max(facts.width, facts.height) <= kLargestSide;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const veska::LoadOptions options = InputOptions(data, size);
  for (int i = 0; i < veska::kFormatCount; ++i) {
    const std::string path =
        veska::fuzz::ScratchPath(std::string("in") + veska::FileFormat(i).extension);
    if (!veska::fuzz::WriteScratch(path, data, size) || !Small(path, options)) continue;
    veska::AImage image;
    if (veska::Load(image, path, options) != 0) {
      veska::fuzz::Require(!image.Loaded() && image.FormatIndex() == -1, "a failed load is empty");
      continue;
    }
    veska::fuzz::Require(image.Loaded() && image.FormatIndex() == i, "loaded image");
    const int depth = image.Desc()->BitsPerPixel();
    veska::fuzz::Require(depth == 8 || depth == 24, "working depth");
    if (i == veska::kBif) continue;  // raw bytes tell the writers nothing new
    for (int j = 0; j < veska::kFormatCount; ++j) {
      const std::string out =
          veska::fuzz::ScratchPath(std::string("out") + veska::FileFormat(j).extension);
      veska::Save(image, out);
    }
  }
  return 0;
}
