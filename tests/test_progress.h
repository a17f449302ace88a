// A progress sink for tests: counts every call, and the Steps made from a
// thread other than the one that created it, and asks to cancel at the k-th
// Step. k = 0 never cancels.
#pragma once

#include <string>
#include <thread>
#include <vector>

#include "engine/progress.h"

namespace veska::testutil {

class CountingProgress : public ProgressSink {
 public:
  explicit CountingProgress(int cancelAtStep = 0) : cancelAtStep_(cancelAtStep) {}

  void Create() override { ++creates; }
  void SetText(const std::string& text) override { texts.push_back(text); }
  bool Step() override {
    if (std::this_thread::get_id() != owner_) ++foreignSteps;
    return ++steps == cancelAtStep_;
  }
  void Destroy() override { ++destroys; }

  int creates = 0;
  int steps = 0;
  int foreignSteps = 0;
  int destroys = 0;
  std::vector<std::string> texts;

 private:
  int cancelAtStep_;
  std::thread::id owner_ = std::this_thread::get_id();
};

}  // namespace veska::testutil
