// The coordination of the threads of one kernel run.
//
// A pass's slopes and sweeps are split into groups, each run by one thread.
// The rows of a pass are cut into bands; a group works on a band only while
// no other group does (their sums go to the same rows), and the first visit
// of a band can store its sums instead of adding them, so that the sum plane
// needs no zeroing. Groups may visit the bands in any order: the sums are
// added with wrap-around arithmetic, whose result does not depend on the
// order.
//
// Progress: the calling thread makes the progress calls, as many as the
// single-threaded kernel makes (25 per sweep of a pass, counted the same way)
// and each when the work done by all groups together reaches the point at
// which the single-threaded kernel would make it. It keeps making them after
// its own work while the other groups finish, so that a cancel is seen all
// along.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "engine/progress.h"

namespace veska {

class BandSchedule {
 public:
  // Bands for the two passes of `heights[p]` rows each, for `slopes` slopes;
  // progress calls go to `callback` when `report` is set. False when memory
  // is short. Work is counted in slope-rows: one slope's lines over one row.
  bool Plan(const uint32_t (&heights)[2], uint32_t slopes, bool report,
            ProgressCallback callback);

  uint32_t bandRows(int pass) const { return bandRows_[pass]; }
  uint32_t bands(int pass) const { return bandCount_[pass]; }

  // Waits until band `band` of pass `pass` is free and takes it; `first` is
  // set when no group has visited it before. False when the run is cancelled.
  bool Enter(int pass, uint32_t band, bool& first);
  // Gives the band back after `work` slope-rows were done in it.
  void Leave(int pass, uint32_t band, uint64_t work);

  bool cancelled() const { return cancelled_.load(std::memory_order_relaxed); }
  // Stops every group at its next row or band.
  void Cancel();

  // Calling thread only. Makes the progress calls that are due now that
  // `pending` slope-rows of its own are done beyond those given back with
  // Leave. False when the callback asked to cancel (the run is then
  // cancelled).
  bool Report(uint64_t pending);
  // Calling thread only, after its own work: makes the calls due up to
  // `until` slope-rows of work (a pass's end, or the run's) as the other
  // groups progress. False on cancel.
  bool ReportUntil(uint64_t until);

 private:
  struct Band {
    std::atomic<uint32_t> held{0};
    uint32_t visits = 0;  // guarded by held
  };
  // The single-threaded kernel makes at most 25 calls per sweep (plus one
  // for rounding) in 4 sweeps.
  static constexpr uint32_t kMaxCalls = 128;

  void PlanCalls(const uint32_t (&heights)[2]);

  std::unique_ptr<Band[]> bandState_[2];
  uint32_t bandRows_[2] = {0, 0};
  uint32_t bandCount_[2] = {0, 0};
  uint32_t slopes_ = 1;
  std::atomic<uint64_t> workDone_{0};  // by all groups, counted at Leave
  std::atomic<bool> cancelled_{false};
  bool report_ = false;
  ProgressCallback callback_;
  // Call i is due when dueRows_[i] rows of every slope are done.
  uint32_t dueRows_[kMaxCalls] = {};
  uint32_t calls_ = 0;
  uint32_t nextCall_ = 0;
};

}  // namespace veska
