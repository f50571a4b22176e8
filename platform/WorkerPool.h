#pragma once
// Work spread over a few threads, each pool owned by the one piece of work that made it (a
// batch, a folder's detection), never shared: there is no pool for the whole program.

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <stop_token>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace vorn {

// The number of threads for a job count: 0 stands for the number of cores; at least 1.
int ResolveJobs(int jobs);

// Runs work(i) for every i below count on up to `jobs` threads (on the calling thread alone
// when jobs is 1) and returns when every call has returned. After a call raised, the indices
// not yet started are left out and the first exception is passed on.
void RunForEachIndex(std::size_t count, int jobs, const std::function<void(std::size_t)>& work);

// Whether work on this thread may spread over threads of its own (the lines of one large
// file on a second core): when the process may run on more than one core, and this thread
// is not one of several that already keep the cores busy (TBusyWorker).
bool MaySpreadWork();

// While it lives, MaySpreadWork is false on the thread that made it: for each worker of a
// batch that runs on several threads.
class TBusyWorker {
 public:
  TBusyWorker();
  ~TBusyWorker();
  TBusyWorker(const TBusyWorker&) = delete;
  TBusyWorker& operator=(const TBusyWorker&) = delete;

 private:
  bool Outer_;
};

// A thread that runs body(stop token), or none (not joinable) when the system gives no
// thread: for work the calling thread can also do alone. Destroying it stops and joins it.
template <class Body>
std::jthread HelperThreadIfAny(Body&& body) {
  try {
    return std::jthread(std::forward<Body>(body));
  } catch (const std::system_error&) {
    return {};
  }
}

// Threads that run the tasks handed to them, oldest first. Each task gets the stop token of
// its thread; destroying the pool stops every thread at once, drops the tasks not started
// and waits for the running ones, so a task that waits for something should wait with that
// token and give up when it is set.
class TWorkerPool {
 public:
  // Starts up to `threads` threads: fewer when the system refuses more, std::system_error
  // when it refuses every one.
  explicit TWorkerPool(int threads);
  ~TWorkerPool();
  TWorkerPool(const TWorkerPool&) = delete;
  TWorkerPool& operator=(const TWorkerPool&) = delete;

  void Run(std::function<void(std::stop_token)> task);
  int ThreadCount() const { return static_cast<int>(Threads_.size()); }

 private:
  void Work(std::stop_token stop);

  std::mutex Mutex_;
  std::condition_variable_any Wake_;
  std::deque<std::function<void(std::stop_token)>> Tasks_;
  std::vector<std::jthread> Threads_;  // last, so that they end before the queue goes
};

}  // namespace vorn
