#include "cli/terminal_progress.h"

#include <unistd.h>

namespace veska::cli {
namespace {

// Shown while the engine has set no text of its own.
constexpr char kDefaultText[] = "Processing...";

}  // namespace

void TerminalProgress::Create() {
  text_.clear();
  lower_ = 0;
  upper_ = 100;
  position_ = 0;
  shownPercent_ = -1;
  shownText_.clear();
}

void TerminalProgress::SetRange(int lower, int upper) {
  lower_ = lower;
  upper_ = upper;
  position_ = lower;
  Draw();
}

void TerminalProgress::SetText(const std::string& text) {
  text_ = text;
  Draw();
}

bool TerminalProgress::Step() {
  ++position_;
  Draw();
  return false;
}

void TerminalProgress::Destroy() { Erase(); }

int TerminalProgress::Percent(int position, int lower, int upper) {
  if (upper <= lower) return 0;
  long long percent = (long long)(position - lower) * 100 / (upper - lower);
  return percent == 100 ? 100 : int(percent % 100);
}

// Redraws only when the line would change, so that a run of thousands of
// steps writes a few hundred short lines at most.
void TerminalProgress::Draw() {
  int percent = Percent(position_, lower_, upper_);
  const std::string& text = text_.empty() ? std::string(kDefaultText) : text_;
  if (drawn_ && percent == shownPercent_ && text == shownText_) return;
  std::fprintf(out_, "\r%s %3d%%\033[K", text.c_str(), percent);
  std::fflush(out_);
  shownPercent_ = percent;
  shownText_ = text;
  drawn_ = true;
}

void TerminalProgress::Erase() {
  if (!drawn_) return;
  std::fputs("\r\033[K", out_);
  std::fflush(out_);
  drawn_ = false;
}

bool ProgressWanted(bool quiet) { return !quiet && isatty(STDERR_FILENO) == 1; }

}  // namespace veska::cli
