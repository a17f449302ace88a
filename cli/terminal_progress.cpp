#include "cli/terminal_progress.h"

#include <unistd.h>

namespace veska::cli {

void TerminalProgress::Begin() {
  shownPercent_ = -1;
  shownText_.clear();
}

void TerminalProgress::Show(const ProgressRecord& record) { Draw(record); }

// Redraws only when the line would change, so that a run of thousands of
// steps writes a few hundred short lines at most.
void TerminalProgress::Draw(const ProgressRecord& record) {
  const int percent = ProgressPercent(record);
  const std::string text = ProgressText(record);
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
