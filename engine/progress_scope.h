// One engine run's use of a progress display: created and shown for the
// duration of the run when there is a display, destroyed on every path.
// Without a display every call does nothing and nothing is ever cancelled.
#pragma once

#include <cstdio>
#include <string>

#include "engine/progress.h"

namespace veska {

class ProgressScope {
 public:
  explicit ProgressScope(ProgressSink* sink) : sink_(sink) {
    if (sink_ != nullptr) {
      sink_->Create();
      sink_->Show();
    }
  }
  ProgressScope(const ProgressScope&) = delete;
  ProgressScope& operator=(const ProgressScope&) = delete;
  ~ProgressScope() {
    if (sink_ != nullptr) sink_->Destroy();
  }

  ProgressSink* sink() const { return sink_; }
  bool active() const { return sink_ != nullptr; }

  void SetRange(int lower, int upper) {
    if (sink_ != nullptr) sink_->SetRange(lower, upper);
  }
  void SetText(const std::string& text) {
    if (sink_ != nullptr) sink_->SetText(text);
  }
  // `format` holds two %d: the channel number (from 1) and the channel count.
  void SetChannelText(const char* format, int channel, int count) {
    if (sink_ == nullptr) return;
    char text[96];
    std::snprintf(text, sizeof text, format, channel, count);
    sink_->SetText(text);
  }
  // Advances the display; true when the user asked to cancel.
  bool Step() { return sink_ != nullptr && sink_->Step(); }

 private:
  ProgressSink* sink_;
};

}  // namespace veska
