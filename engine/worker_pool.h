// The process's worker threads for the contrast kernel.
//
// One pool per process, created on first need and kept until exit, so that a
// kernel run never pays for starting threads. The calling thread always takes
// part as participant 0: a job for n participants wakes n - 1 workers. Runs
// from several threads are serialised, so at most one job uses the pool at a
// time.
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

// Calls fn(context, i) for i = 0 .. count - 1, concurrently, i = 0 on the
// calling thread, and returns when every call has returned. count is capped
// at PrepareWorkers(count); the job must not start another parallel run.
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
