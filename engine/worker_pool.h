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

}  // namespace veska
