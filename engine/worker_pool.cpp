#include "engine/worker_pool.h"

#include <algorithm>
#include <condition_variable>
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
      const unsigned index = static_cast<unsigned>(threads_.size()) + 1;
      try {
        threads_.emplace_back([this, index, seen = Generation()] { Work(index, seen); });
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
    {
      std::lock_guard<std::mutex> lock(mutex_);
      fn_ = fn;
      context_ = context;
      participants_ = count;
      pending_ = count - 1;
      ++generation_;
    }
    wake_.notify_all();
    fn(context, 0);
    std::unique_lock<std::mutex> lock(mutex_);
    done_.wait(lock, [this] { return pending_ == 0; });
  }

 private:
  WorkerPool() = default;
  ~WorkerPool() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    wake_.notify_all();
    for (std::thread& t : threads_) t.join();
  }

  uint64_t Generation() {
    std::lock_guard<std::mutex> lock(mutex_);
    return generation_;
  }

  void Work(unsigned index, uint64_t seen) {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      wake_.wait(lock, [&] { return stop_ || generation_ != seen; });
      if (stop_) return;
      seen = generation_;
      if (index >= participants_) continue;
      void (*fn)(void*, unsigned) = fn_;
      void* context = context_;
      lock.unlock();
      fn(context, index);
      lock.lock();
      if (--pending_ == 0) done_.notify_one();
    }
  }

  std::mutex runMutex_;  // one job at a time; also guards threads_
  std::mutex mutex_;     // guards the job fields below
  std::condition_variable wake_;
  std::condition_variable done_;
  std::vector<std::thread> threads_;
  void (*fn_)(void*, unsigned) = nullptr;
  void* context_ = nullptr;
  unsigned participants_ = 0;
  unsigned pending_ = 0;
  uint64_t generation_ = 0;
  bool stop_ = false;
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
