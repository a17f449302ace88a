// The engine's progress display on a terminal: one line on stderr holding the
// text and percentage of the run's progress record (engine/progress.h builds
// both), redrawn in place and erased when the run ends.
#pragma once

#include <cstdio>
#include <string>

#include "engine/progress.h"

namespace veska::cli {

class TerminalProgress final : public ProgressSink {
 public:
  // Draws on `out`, which the caller keeps open.
  explicit TerminalProgress(std::FILE* out) : out_(out) {}

  void Begin() override;
  void Show(const ProgressRecord& record) override;
  void End() override { Erase(); }

 private:
  void Draw(const ProgressRecord& record);
  void Erase();

  std::FILE* out_;
  int shownPercent_ = -1;
  std::string shownText_;
  bool drawn_ = false;
};

// True when progress should be drawn: stderr is a terminal and the user did
// not ask for quiet.
bool ProgressWanted(bool quiet);

}  // namespace veska::cli
