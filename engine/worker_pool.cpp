#include "engine/worker_pool.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace veska {

namespace {

// A typing error in VESKA_THREADS must not start thousands of threads.
constexpr unsigned kMaxParticipants = kMaxKernelThreads;

// A kernel run starts several jobs in quick succession; a worker that has
// just finished one keeps looking for the next this long before it sleeps,
// which spares the wake-up of a sleeping thread.
constexpr auto kSpinTime = std::chrono::microseconds(50);

inline void Relax() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_ia32_pause();
#endif
}

// Waits until `value` differs from `old`: a short spin, then a sleep.
template <typename T>
T AwaitChange(const std::atomic<T>& value, T old) {
  const auto until = std::chrono::steady_clock::now() + kSpinTime;
  for (unsigned i = 1;; ++i) {
    const T now = value.load(std::memory_order_acquire);
    if (now != old) return now;
    Relax();
    if (i % 64 == 0 && std::chrono::steady_clock::now() > until) break;
  }
  for (;;) {
    value.wait(old, std::memory_order_acquire);
    const T now = value.load(std::memory_order_acquire);
    if (now != old) return now;
  }
}

class WorkerPool {
 public:
  static WorkerPool& Instance() {
    static WorkerPool pool;
    return pool;
  }

  unsigned Prepare(unsigned wanted) {
    wanted = std::clamp(wanted, 1u, kMaxParticipants);
    std::lock_guard<std::mutex> run(runMutex_);
    while (threads_.size() + 1 < wanted) {
      const uint32_t seen = generation_.load();
      try {
        threads_.emplace_back([this, seen] { Work(seen); });
      } catch (const std::system_error&) {
        break;  // run with the workers there are
      }
    }
    return std::min<unsigned>(wanted, static_cast<unsigned>(threads_.size()) + 1);
  }

  void Run(unsigned count, void (*fn)(void*, unsigned), void* context) {
    if (count <= 1) {
      fn(context, 0);
      return;
    }
    std::lock_guard<std::mutex> run(runMutex_);
    count = std::min<unsigned>(count, static_cast<unsigned>(threads_.size()) + 1);
    fn_ = fn;
    context_ = context;
    seats_ = count - 1;
    finished_.store(0, std::memory_order_relaxed);
    const uint32_t generation = generation_.load(std::memory_order_relaxed) + 1;
    join_.store(uint64_t{generation} << 32, std::memory_order_relaxed);
    generation_.store(generation, std::memory_order_release);
    generation_.notify_all();
    fn(context, 0);
    // Close the job: a worker that has not joined by now stays out, so that
    // a worker the system has not scheduled yet holds nothing up.
    const uint32_t joined =
        static_cast<uint32_t>(join_.fetch_or(kClosed, std::memory_order_acq_rel) & kJoinedMask);
    for (uint32_t done = finished_.load(std::memory_order_acquire); done != joined;)
      done = AwaitChange(finished_, done);
  }

 private:
  static constexpr uint64_t kClosed = uint64_t{1} << 31;
  static constexpr uint64_t kJoinedMask = kClosed - 1;

  WorkerPool() = default;
  ~WorkerPool() {
    stop_.store(true);
    generation_.fetch_add(1, std::memory_order_release);
    generation_.notify_all();
    for (std::thread& t : threads_) t.join();
  }

  // Takes a seat in job `generation` if it is still open and has one:
  // the participant index (1 ..), or 0.
  unsigned Join(uint32_t generation) {
    uint64_t state = join_.load(std::memory_order_acquire);
    for (;;) {
      if ((state >> 32) != generation || (state & kClosed) != 0 ||
          (state & kJoinedMask) >= seats_)
        return 0;
      if (join_.compare_exchange_weak(state, state + 1, std::memory_order_acq_rel))
        return static_cast<unsigned>(state & kJoinedMask) + 1;
    }
  }

  void Work(uint32_t seen) {
    for (;;) {
      seen = AwaitChange(generation_, seen);
      if (stop_.load()) return;
      const unsigned index = Join(seen);
      if (index == 0) continue;
      fn_(context_, index);
      finished_.fetch_add(1, std::memory_order_acq_rel);
      finished_.notify_one();
    }
  }

  std::mutex runMutex_;  // one job at a time; also guards threads_
  std::vector<std::thread> threads_;
  // The job, written before generation_ moves on and read only by workers
  // that joined it.
  void (*fn_)(void*, unsigned) = nullptr;
  void* context_ = nullptr;
  uint32_t seats_ = 0;  // workers the job can take
  std::atomic<uint32_t> generation_{0};
  // The job's generation (high half), whether it is closed, and the workers
  // that joined it (low bits).
  std::atomic<uint64_t> join_{0};
  std::atomic<uint32_t> finished_{0};  // joined workers done with the job
  std::atomic<bool> stop_{false};
};

unsigned ReadThreadCount() {
  if (const char* text = std::getenv("VESKA_THREADS")) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end != text && *end == '\0' && value > 0)
      return static_cast<unsigned>(std::min<long>(value, kMaxParticipants));
  }
  const unsigned hardware = std::thread::hardware_concurrency();
  return std::clamp(hardware, 1u, kMaxParticipants);
}

}  // namespace

unsigned DefaultThreadCount() {
  static const unsigned count = ReadThreadCount();
  return count;
}

unsigned PrepareWorkers(unsigned wanted) { return WorkerPool::Instance().Prepare(wanted); }

void RunParallelRaw(unsigned count, void (*fn)(void* context, unsigned index), void* context) {
  WorkerPool::Instance().Run(count, fn, context);
}

}  // namespace veska
