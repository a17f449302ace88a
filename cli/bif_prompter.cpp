#include "cli/bif_prompter.h"

#include <cstdio>

namespace veska::cli {

bool BifSizePrompter::AskBifDimensions(const std::string& path, int& width, int& height) {
  if (!size_) {
    std::fprintf(stderr, "veska: %s\n", BifSizeHint(path).c_str());
    std::fflush(stderr);
    return false;
  }
  width = size_->width;
  height = size_->height;
  return true;
}

std::string BifSizeHint(const std::string& path) {
  return "'" + path +
         "' is a BIF raw file, which does not store its size: pass it with --bif-size WxH "
         "(for example --bif-size 640x480)";
}

}  // namespace veska::cli
