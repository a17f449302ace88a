#include "engine/progress.h"

#include <cstdio>

namespace veska {
namespace {

std::string WithChannel(const char* format, const ProgressRecord& record) {
  char text[96];
  std::snprintf(text, sizeof text, format, record.channel, record.channels);
  return text;
}

}  // namespace

std::string ProgressText(const ProgressRecord& record) {
  if (record.channel == 0) return kDefaultProgressText;
  if (record.disabled) return WithChannel("Channel %d of %d disabled...", record);
  if (record.stage == ProgressStage::kLuminance) {
    if (record.channels == 1) return "Building luminance matrix...";
    return WithChannel("Building luminance matrix for channel %d of %d...", record);
  }
  return WithChannel("Processing channel %d of %d...", record);
}

int ProgressPercent(const ProgressRecord& record) {
  if (record.total <= 0) return 0;
  const long long percent = (long long)record.step * 100 / record.total;
  return percent == 100 ? 100 : int(percent % 100);
}

}  // namespace veska
