#include "engine/band_schedule.h"

#include <algorithm>
#include <new>

namespace veska {

namespace {

// Rows of a pass are cut into bands of about this many per sweep, within
// these limits: enough bands to let the groups pass one another, few enough
// that taking a band costs nothing measurable.
constexpr uint32_t kBandsPerSweep = 16;
constexpr uint32_t kMinBandRows = 4;
constexpr uint32_t kMaxBandRows = 32;

}  // namespace

bool BandSchedule::Plan(const uint32_t (&heights)[2], uint32_t slopes, bool report,
                        ProgressCallback callback) {
  for (int p = 0; p < 2; ++p) {
    bandRows_[p] = std::clamp(heights[p] / kBandsPerSweep, kMinBandRows, kMaxBandRows);
    bandCount_[p] = (heights[p] + bandRows_[p] - 1) / bandRows_[p];
    bandState_[p].reset(new (std::nothrow) Band[bandCount_[p]]);
    if (!bandState_[p]) return false;
  }
  slopes_ = slopes;
  workDone_.store(0);
  cancelled_.store(false);
  report_ = report;
  callback_ = callback;
  PlanCalls(heights);
  return true;
}

// Where the single-threaded kernel calls back: before a row, after adding
// 25 / height to an accumulator that restarts with each pass, whenever the
// accumulator reaches 1.
void BandSchedule::PlanCalls(const uint32_t (&heights)[2]) {
  calls_ = 0;
  nextCall_ = 0;
  uint32_t rows = 0;
  for (int p = 0; p < 2; ++p) {
    const double step = 25.0 / heights[p];
    double progress = 0.0f;
    for (int sweep = 0; sweep < 2; ++sweep)
      for (uint32_t t = 0; t < heights[p]; ++t, ++rows) {
        progress += step;
        if (progress >= 1.0) {
          progress -= 1.0;
          if (calls_ < kMaxCalls) dueRows_[calls_++] = rows;
        }
      }
  }
}

bool BandSchedule::Enter(int pass, uint32_t band, bool& first) {
  Band& b = bandState_[pass][band];
  for (;;) {
    if (cancelled()) return false;
    uint32_t expected = 0;
    if (b.held.compare_exchange_strong(expected, 1, std::memory_order_acquire)) break;
    b.held.wait(1, std::memory_order_relaxed);
  }
  first = b.visits++ == 0;
  return true;
}

void BandSchedule::Leave(int pass, uint32_t band, uint64_t work) {
  Band& b = bandState_[pass][band];
  b.held.store(0, std::memory_order_release);
  b.held.notify_all();
  workDone_.fetch_add(work, std::memory_order_relaxed);
  if (report_) workDone_.notify_all();
}

void BandSchedule::Cancel() {
  cancelled_.store(true);
  // Wake every group waiting for a band; it sees the flag and stops.
  for (int p = 0; p < 2; ++p)
    for (uint32_t b = 0; b < bandCount_[p]; ++b) bandState_[p][b].held.notify_all();
}

bool BandSchedule::Report(uint64_t pending) {
  if (!report_) return true;
  const uint64_t done = workDone_.load(std::memory_order_relaxed) + pending;
  while (nextCall_ < calls_ && done >= uint64_t{dueRows_[nextCall_]} * slopes_) {
    ++nextCall_;
    if (callback_()) {
      Cancel();
      return false;
    }
  }
  return true;
}

bool BandSchedule::ReportUntil(uint64_t until) {
  if (!report_) return true;
  if (cancelled()) return false;  // the rest of the work will never come
  auto due = [&] { return uint64_t{dueRows_[nextCall_]} * slopes_; };
  while (nextCall_ < calls_ && due() <= until) {
    const uint64_t seen = workDone_.load(std::memory_order_relaxed);
    if (!Report(0)) return false;
    if (nextCall_ < calls_ && due() <= until && seen < due())
      workDone_.wait(seen, std::memory_order_relaxed);
  }
  return true;
}

}  // namespace veska
