#include "fuzz_input.h"
#include "imagelib/bmp_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  veska::RunReader<veska::BmpInfo>(
      data, size, [](FILE* f, veska::BmpInfo& info) { return veska::BmpInformation(f, info); },
      [](FILE* f, veska::ImageDesc& desc) { return veska::BmpRead(f, desc); });
  return 0;
}
