// The process's worker threads for the contrast kernel.
//
// One pool per process, created on first need and kept until exit, so that a
// kernel run never pays for starting threads. The calling thread always takes
// part as participant 0; a job for n participants offers n - 1 seats to the
// workers, which join while the job is open. The caller closes the job when
// its own call returns and then waits only for the workers that joined: a
// worker the system is slow to schedule never holds a job up. Jobs therefore
// hand out their work in pieces that every participant claims in turn, and
// must not rely on any other participant taking part. Runs from several
// threads are serialised, so at most one job uses the pool at a time.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <type_traits>

namespace veska {

// The most participants a parallel run can have.
constexpr unsigned kMaxKernelThreads = 256;

// The number of threads the kernel uses unless told otherwise: VESKA_THREADS
// when it holds a positive number, else the processor's hardware threads.
// Read once per process.
unsigned DefaultThreadCount();

// The number of participants (including the caller) a job can have, at most
// `wanted`: the pool grows its workers to wanted - 1 if it can; when the
// system refuses a thread, the jobs run with fewer participants.
unsigned PrepareWorkers(unsigned wanted);

// Calls fn(context, 0) on the calling thread and fn(context, i) on each
// worker that joins in time, with distinct i in 1 .. count - 1; returns when
// every call has returned. count is capped at PrepareWorkers(count); the job
// must not start another parallel run.
void RunParallelRaw(unsigned count, void (*fn)(void* context, unsigned index), void* context);

// RunParallelRaw for any callable taking the participant index.
template <typename Job>
void RunParallel(unsigned count, Job&& job) {
  using J = std::remove_reference_t<Job>;
  RunParallelRaw(
      count, [](void* context, unsigned index) { (*static_cast<J*>(context))(index); },
      const_cast<void*>(static_cast<const void*>(&job)));
}

// Claims pieces of `step` items of [0, count) from `next` and calls
// fn(begin, end) for each, until none are left. Every participant of a job
// calls it with the same `next`, so the pieces go to whoever is free.
template <typename Fn>
void ClaimPieces(std::atomic<uint32_t>& next, uint32_t count, uint32_t step, Fn&& fn) {
  for (;;) {
    const uint32_t piece = next.fetch_add(1, std::memory_order_relaxed);
    const uint64_t begin = uint64_t{piece} * step;
    if (begin >= count) return;
    const uint64_t end = std::min<uint64_t>(count, begin + step);
    fn(static_cast<uint32_t>(begin), static_cast<uint32_t>(end));
  }
}

// Runs fn(begin, end) over [0, count) cut into pieces of `step`, which up to
// `threads` participants claim in turn; returns when all are done.
template <typename Fn>
void ForEachPiece(unsigned threads, uint32_t count, uint32_t step, Fn&& fn) {
  std::atomic<uint32_t> next{0};
  const uint32_t pieces = step == 0 ? 0 : (count + step - 1) / step;
  const unsigned used = PrepareWorkers(std::min<uint32_t>(threads, std::max(pieces, 1u)));
  RunParallel(used, [&](unsigned) { ClaimPieces(next, count, step, fn); });
}

}  // namespace veska
