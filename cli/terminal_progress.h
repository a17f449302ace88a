// The engine's progress display on a terminal: one line on stderr holding the
// engine's current text and a percentage, redrawn in place and erased when the
// run ends.
#pragma once

#include <cstdio>
#include <string>

#include "engine/progress.h"

namespace veska::cli {

class TerminalProgress final : public ProgressSink {
 public:
  // Draws on `out`, which the caller keeps open.
  explicit TerminalProgress(std::FILE* out) : out_(out) {}

  void Create() override;
  void Show() override { Draw(); }
  void SetRange(int lower, int upper) override;
  void SetText(const std::string& text) override;
  bool Step() override;
  void Destroy() override;

  // The percentage a position shows: (position - lower) * 100 / (upper -
  // lower), shown modulo 100 except at exactly 100.
  static int Percent(int position, int lower, int upper);

 private:
  void Draw();
  void Erase();

  std::FILE* out_;
  std::string text_;
  int lower_ = 0;
  int upper_ = 100;
  int position_ = 0;
  int shownPercent_ = -1;
  std::string shownText_;
  bool drawn_ = false;
};

// True when progress should be drawn: stderr is a terminal and the user did
// not ask for quiet.
bool ProgressWanted(bool quiet);

}  // namespace veska::cli
