#include "platform/WorkerPool.h"

#include <sched.h>

#include <algorithm>
#include <atomic>
#include <exception>
#include <system_error>

namespace vorn {

int ResolveJobs(int jobs) {
  if (jobs > 0) return jobs;
  // The cores this process may run on (taskset, a container's CPU set), not all the machine's.
  cpu_set_t allowed;
  CPU_ZERO(&allowed);
  if (::sched_getaffinity(0, sizeof allowed, &allowed) == 0)
    return std::max(1, CPU_COUNT(&allowed));
  return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

namespace {

bool& BusyWorker() {
  thread_local bool busy = false;
  return busy;
}

}  // namespace

bool MaySpreadWork() {
  return !BusyWorker() && ResolveJobs(0) > 1;
}

TBusyWorker::TBusyWorker() : Outer_(BusyWorker()) {
  BusyWorker() = true;
}

TBusyWorker::~TBusyWorker() {
  BusyWorker() = Outer_;
}

void RunForEachIndex(std::size_t count, int jobs, const std::function<void(std::size_t)>& work) {
  const std::size_t threads = std::min(count, static_cast<std::size_t>(ResolveJobs(jobs)));
  if (threads <= 1) {
    for (std::size_t i = 0; i < count; ++i) work(i);
    return;
  }
  std::atomic<std::size_t> next = 0;
  std::mutex failureMutex;
  std::exception_ptr failure;
  auto run = [&] {
    for (std::size_t i = next++; i < count; i = next++) {
      try {
        work(i);
      } catch (...) {
        const std::lock_guard lock(failureMutex);
        if (!failure) failure = std::current_exception();
        next = count;
      }
    }
  };
  {
    std::vector<std::jthread> helpers;
    try {
      for (std::size_t t = 1; t < threads; ++t) helpers.emplace_back(run);
    } catch (const std::system_error&) {
      // The system gives no more threads (a memory or process limit): fewer do the work.
    }
    run();
  }
  if (failure) std::rethrow_exception(failure);
}

TWorkerPool::TWorkerPool(int threads) {
  try {
    for (int t = 0; t < threads; ++t) {
      Threads_.emplace_back([this](std::stop_token stop) { Work(stop); });
    }
  } catch (const std::system_error&) {
    // The system gives no more threads (a memory or process limit): the pool works with the
    // ones it has, and a pool without any is the caller's to replace.
    if (Threads_.empty()) throw;
  }
}

TWorkerPool::~TWorkerPool() {
  // Every thread is told first, so that none starts a task while another is being joined.
  for (std::jthread& thread : Threads_) thread.request_stop();
  Threads_.clear();
}

void TWorkerPool::Run(std::function<void(std::stop_token)> task) {
  {
    const std::lock_guard lock(Mutex_);
    Tasks_.push_back(std::move(task));
  }
  Wake_.notify_one();
}

void TWorkerPool::Work(std::stop_token stop) {
  while (true) {
    std::function<void(std::stop_token)> task;
    {
      std::unique_lock lock(Mutex_);
      Wake_.wait(lock, stop, [this] { return !Tasks_.empty(); });
      if (stop.stop_requested()) return;
      task = std::move(Tasks_.front());
      Tasks_.pop_front();
    }
    task(stop);
  }
}

}  // namespace vorn
