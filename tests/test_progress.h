// A progress sink for tests: counts every call and asks to cancel at the k-th
// Step (or Poll). k = 0 never cancels.
#pragma once

#include <string>
#include <vector>

#include "engine/progress.h"

namespace veska::testutil {

class CountingProgress : public ProgressSink {
 public:
  explicit CountingProgress(int cancelAtStep = 0, int cancelAtPoll = 0)
      : cancelAtStep_(cancelAtStep), cancelAtPoll_(cancelAtPoll) {}

  void Create() override { ++creates; }
  void Show() override { ++shows; }
  void SetRange(int lower, int upper) override {
    rangeLower = lower;
    rangeUpper = upper;
  }
  void SetText(const std::string& text) override { texts.push_back(text); }
  bool Step() override { return ++steps == cancelAtStep_; }
  bool Poll() override { return ++polls == cancelAtPoll_; }
  void Destroy() override { ++destroys; }

  int creates = 0;
  int shows = 0;
  int steps = 0;
  int polls = 0;
  int destroys = 0;
  int rangeLower = 0;
  int rangeUpper = 0;
  std::vector<std::string> texts;

 private:
  int cancelAtStep_;
  int cancelAtPoll_;
};

}  // namespace veska::testutil
