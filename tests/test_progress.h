// A progress sink for tests: counts the ends of runs and the steps (one cancel
// question per step), the steps asked from a thread other than the one that
// created it, keeps each new text in order, and asks to cancel at the k-th
// step. k = 0 never cancels.
#pragma once

#include <string>
#include <thread>
#include <vector>

#include "engine/progress.h"

namespace veska::testutil {

class CountingProgress : public ProgressSink {
 public:
  explicit CountingProgress(int cancelAtStep = 0) : cancelAtStep_(cancelAtStep) {}

  void Begin() override {}
  void Show(const ProgressRecord& record) override {
    const std::string text = ProgressText(record);
    if (record.channel != 0 && (texts.empty() || texts.back() != text)) texts.push_back(text);
  }
  bool CancelRequested() override {
    if (std::this_thread::get_id() != owner_) ++foreignSteps;
    return ++steps == cancelAtStep_;
  }
  void End() override { ++destroys; }

  int steps = 0;
  int foreignSteps = 0;
  int destroys = 0;
  std::vector<std::string> texts;

 private:
  int cancelAtStep_;
  std::thread::id owner_ = std::this_thread::get_id();
};

}  // namespace veska::testutil
