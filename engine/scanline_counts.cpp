#include "engine/scanline_counts.h"

#include <cstdint>
#include <string_view>

namespace veska {
namespace {

constexpr char kNotANumber[] = "Please enter a positive integer.";

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// An unsigned decimal number, optionally signed "+" and surrounded by white
// space. Values beyond 32 bits read as the largest 32-bit value, which the
// range check then refuses.
bool ParseUnsigned(std::string_view text, uint32_t* value) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return false;
  uint64_t number = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    number = number * 10 + uint64_t(c - '0');
    if (number > UINT32_MAX) number = uint64_t(UINT32_MAX) + 1;
  }
  *value = number > UINT32_MAX ? UINT32_MAX : uint32_t(number);
  return true;
}

ScanlineVerdict Refused(ScanlineBox box, bool selectBox, std::string message) {
  ScanlineVerdict verdict;
  verdict.accepted = false;
  verdict.box = box;
  verdict.selectBox = selectBox;
  verdict.message = std::move(message);
  return verdict;
}

const char* CountName(ScanlineBox box) {
  switch (box) {
    case ScanlineBox::kBatch: return "Batch";
    case ScanlineBox::kFull: return "Full";
    case ScanlineBox::kPreview: return "Preview";
  }
  return "";
}

}  // namespace

uint32_t ScanlineCounts::Minimum(ScanlineBox box) {
  switch (box) {
    case ScanlineBox::kBatch: return kMinimumBatchScanlines;
    case ScanlineBox::kFull: return kMinimumFullScanlines;
    case ScanlineBox::kPreview: return kMinimumPreviewScanlines;
  }
  return kMaximumScanlines;
}

ScanlineTexts ScanlineCounts::Texts() const {
  return {std::to_string(batch_), std::to_string(full_), std::to_string(preview_)};
}

ScanlineVerdict ScanlineCounts::Accept(const ScanlineTexts& texts) {
  const ScanlineBox order[] = {ScanlineBox::kBatch, ScanlineBox::kFull, ScanlineBox::kPreview};
  const std::string* boxTexts[] = {&texts.batch, &texts.full, &texts.preview};
  uint32_t values[3] = {};
  for (int i = 0; i < 3; ++i) {
    if (!ParseUnsigned(*boxTexts[i], &values[i])) return Refused(order[i], true, kNotANumber);
    if (values[i] < kScanlineEntryLowest || values[i] > kScanlineEntryHighest) {
      return Refused(order[i], true,
                     "Please enter an integer between " + std::to_string(kScanlineEntryLowest) +
                         " and " + std::to_string(kScanlineEntryHighest) + ".");
    }
  }
  for (int i = 0; i < 3; ++i) {
    if (values[i] < Minimum(order[i])) {
      return Refused(order[i], false,
                     std::string(CountName(order[i])) + " count is below allowed minimum of " +
                         std::to_string(Minimum(order[i])));
    }
  }
  batch_ = values[0];
  full_ = values[1];
  preview_ = values[2];
  return ScanlineVerdict();
}

}  // namespace veska
