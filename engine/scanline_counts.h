// The three scanline counts per octant: Full for the Process command, Preview
// for the interactive preview, Batch for batch runs. They start from their
// defaults at every start of the program and change only when a complete set
// of entries passes the checks of the Options dialog (Accept). The dialog and
// the command line share this model; it holds no user-interface code.
#pragma once

#include <cstdint>
#include <string>

namespace veska {

// The entry boxes, in the order they are read and checked.
enum class ScanlineBox { kBatch, kFull, kPreview };

// Every entry must lie in this range; it is checked before the minimum.
constexpr uint32_t kScanlineEntryLowest = 1;
constexpr uint32_t kScanlineEntryHighest = 40;

constexpr uint32_t kDefaultFullScanlines = 16;
constexpr uint32_t kDefaultPreviewScanlines = 8;
constexpr uint32_t kDefaultBatchScanlines = 16;
constexpr uint32_t kMinimumFullScanlines = 16;
constexpr uint32_t kMinimumPreviewScanlines = 8;
constexpr uint32_t kMinimumBatchScanlines = 16;
constexpr uint32_t kMaximumScanlines = 40;

// The texts of the three entry boxes, as typed.
struct ScanlineTexts {
  std::string batch;
  std::string full;
  std::string preview;
};

// The outcome of checking a set of entries: the first failing check only.
struct ScanlineVerdict {
  bool accepted = true;
  ScanlineBox box = ScanlineBox::kBatch;  // the box that failed
  // The failing box takes the focus with its text selected (not for the
  // below-minimum messages).
  bool selectBox = false;
  std::string message;
};

class ScanlineCounts {
 public:
  // The counts in force, as their users read them.
  uint16_t Full() const { return uint16_t(full_); }
  uint16_t Preview() const { return uint16_t(preview_); }
  uint16_t Batch() const { return uint16_t(batch_); }

  // The counts in force as unsigned decimal texts, to fill the boxes.
  ScanlineTexts Texts() const;

  // Reads and checks the boxes in the order Batch, Full, Preview: each must
  // be an unsigned decimal number in 1..40; then the minima in the same
  // order. When every check passes, the three values become the counts in
  // force; otherwise nothing changes.
  ScanlineVerdict Accept(const ScanlineTexts& texts);

  static uint32_t Minimum(ScanlineBox box);

 private:
  uint32_t batch_ = kDefaultBatchScanlines;
  uint32_t full_ = kDefaultFullScanlines;
  uint32_t preview_ = kDefaultPreviewScanlines;
};

}  // namespace veska
