// The engine's view of a progress display. Long engine runs (building
// luminance matrices, processing channels) report to a ProgressSink passed to
// them; the desktop application's progress window and the command line's
// terminal indicator implement it. The sink is the only place where a user's
// Cancel is seen.
#pragma once

#include <string>

namespace veska {

class ProgressSink {
 public:
  virtual ~ProgressSink() = default;

  // Creates the display hidden; nothing is shown until Show.
  virtual void Create() {}
  virtual void Show() {}
  // Progress range; upper must be greater than lower.
  virtual void SetRange(int /*lower*/, int /*upper*/) {}
  // An empty text restores the display's default caption.
  virtual void SetText(const std::string& /*text*/) {}
  // Advances by one step; true when the user asked to cancel (the request is
  // cleared by reading it).
  virtual bool Step() { return false; }
  // Looks for a cancel request without advancing.
  virtual bool Poll() { return false; }
  virtual void Destroy() {}
};

// A sink that shows nothing and never cancels.
class SilentProgress final : public ProgressSink {};

// The kernel's progress callback: called about 100 times per kernel run when
// progress is shown; returns true when the user has asked to cancel. The
// context is handed back unchanged.
struct ProgressCallback {
  bool (*fn)(void* context) = nullptr;
  void* context = nullptr;
  bool operator()() const { return fn != nullptr && fn(context); }
};

}  // namespace veska
