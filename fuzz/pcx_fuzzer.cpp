#include "fuzz_input.h"
#include "imagelib/pcx_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  veska::RunReader<veska::ImageFileInfo>(
      data, size,
      [](FILE* f, veska::ImageFileInfo& info) { return veska::PcxInformation(f, info); },
      [](FILE* f, veska::ImageDesc& desc) { return veska::PcxRead(f, desc); });
  return 0;
}
