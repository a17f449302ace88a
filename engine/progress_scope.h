// One engine run's use of a progress sink: it keeps the run's ProgressRecord,
// begins the sink for the duration of the run and ends it on every path.
// Without a sink every call does nothing and nothing is ever cancelled.
#pragma once

#include "engine/progress.h"

namespace veska {

class ProgressScope {
 public:
  ProgressScope(ProgressSink* sink, ProgressStage stage) : sink_(sink) {
    record_.stage = stage;
    if (sink_ != nullptr) {
      sink_->Begin();
      sink_->Show(record_);
    }
  }
  ProgressScope(const ProgressScope&) = delete;
  ProgressScope& operator=(const ProgressScope&) = delete;
  ~ProgressScope() {
    if (sink_ != nullptr) sink_->End();
  }

  bool active() const { return sink_ != nullptr; }
  const ProgressRecord& record() const { return record_; }

  // A new range of `total` steps, starting at none made.
  void SetRange(int total) {
    record_.step = 0;
    record_.total = total;
    Show();
  }
  // Channel `channel` (from 1) of `channels` begins, or is skipped when disabled.
  void SetChannel(int channel, int channels, bool disabled = false) {
    record_.channel = channel;
    record_.channels = channels;
    record_.disabled = disabled;
    Show();
  }
  // One step made; true when the user asked to cancel.
  bool Step() {
    if (sink_ == nullptr) return false;
    ++record_.step;
    sink_->Show(record_);
    return sink_->CancelRequested();
  }
  // The kernel's callback for this scope (none without a sink).
  ProgressCallback Callback() {
    if (sink_ == nullptr) return {};
    return {[](void* self) { return static_cast<ProgressScope*>(self)->Step(); }, this};
  }

 private:
  void Show() {
    if (sink_ != nullptr) sink_->Show(record_);
  }

  ProgressSink* sink_;
  ProgressRecord record_;
};

}  // namespace veska
