// Progress of the engine's long runs (building luminance matrices, processing
// channels) as plain data, and the one place that turns it into the texts a
// user sees. Nothing here knows of a window or a terminal: the desktop's
// progress window and the command line's terminal indicator both implement
// ProgressSink and both show ProgressText(record), so their texts cannot
// drift apart. No Qt, no I/O; safe to include from any layer.
#pragma once

#include <string>

namespace veska {

// What a run is doing.
enum class ProgressStage {
  kLuminance,   // building the channel store's luminance matrices from the pixels
  kProcessing,  // running the contrast kernel over the channels
};

// The state of a run, handed to the sink whenever any field changes.
struct ProgressRecord {
  ProgressStage stage = ProgressStage::kProcessing;
  // The channel being worked on, from 1, of `channels`; 0 while the run has
  // named no channel (a processing run of one channel never names it, and
  // then the display keeps its default caption).
  int channel = 0;
  int channels = 0;
  // The named channel is disabled and is skipped.
  bool disabled = false;
  // Steps made since the range was last set, of `total`. Building a matrix
  // steps once per image row (total = the image height); processing sets a
  // range of 100 once and the kernel steps about 100 times per channel, so
  // `step` goes on past `total` on the second channel of a run.
  int step = 0;
  int total = 100;
};

// The caption a display shows when the engine has named nothing.
constexpr char kDefaultProgressText[] = "Processing...";

// The text for `record`, exactly as the user sees it:
//   "Processing..."                                    (no channel named)
//   "Channel %d of %d disabled..."                     (a skipped channel)
//   "Building luminance matrix..."                     (luminance, one plane)
//   "Building luminance matrix for channel %d of %d..." (luminance, several)
//   "Processing channel %d of %d..."                   (processing)
std::string ProgressText(const ProgressRecord& record);

// The whole percent a display shows for `record`: step * 100 / total, taken
// modulo 100 except at exactly 100 (so a multi-channel run's bar starts over
// on every channel, as the engine's range of 100 wraps).
int ProgressPercent(const ProgressRecord& record);

// Where a run's progress goes. The engine calls Begin once when a run that
// shows progress starts, Show at every change of the record, CancelRequested
// after every step, and End once on every path out of the run. All calls come
// from the thread that started the run. A null sink means no progress is
// shown and nothing can be cancelled.
class ProgressSink {
 public:
  virtual ~ProgressSink() = default;

  virtual void Begin() {}
  virtual void Show(const ProgressRecord& /*record*/) {}
  // True when the user asked to cancel; the request is cleared by reading it.
  virtual bool CancelRequested() { return false; }
  virtual void End() {}
};

// The kernel's progress callback: called about 100 times per kernel run when
// progress is shown; returns true when the user has asked to cancel. The
// context is handed back unchanged.
struct ProgressCallback {
  bool (*fn)(void* context) = nullptr;
  void* context = nullptr;
  bool operator()() const { return fn != nullptr && fn(context); }
};

}  // namespace veska
