// Work spread over threads: every index runs once, the first failure comes back. (The pool
// itself is exercised by the batch's tests.)

#include <gtest/gtest.h>
#include <sched.h>

#include <atomic>
#include <stdexcept>
#include <vector>

#include "platform/WorkerPool.h"
#include "tests/support/TestSupport.h"

namespace vorn {
namespace {

TEST(WorkerPool, EveryIndexRunsOnceAndTheFirstFailureComesBack) {
  EXPECT_GE(ResolveJobs(0), 1);
  EXPECT_EQ(ResolveJobs(3), 3);
  for (const int jobs : {0, 1, 2, 4}) {
    SCOPED_TRACE("jobs " + std::to_string(jobs));
    std::vector<std::atomic<int>> runs(257);
    RunForEachIndex(runs.size(), jobs, [&](std::size_t i) { ++runs[i]; });
    for (std::size_t i = 0; i < runs.size(); ++i) EXPECT_EQ(runs[i].load(), 1) << i;

    std::atomic<int> after = 0;
    auto failAt7 = [&](std::size_t i) {
      if (i == 7) throw std::runtime_error("index 7");
      if (i > 7) ++after;
    };
    try {
      RunForEachIndex(runs.size(), jobs, failAt7);
      ADD_FAILURE() << "the failure was lost";
    } catch (const std::runtime_error& error) {
      EXPECT_STREQ(error.what(), "index 7");
    }
    if (jobs == 1) {
      EXPECT_EQ(after.load(), 0) << "one job went on after the failure";
    }
  }
}

// "Every core" means the cores the process may run on (taskset, a container's CPU set).
TEST(WorkerPool, EveryCoreIsEveryCoreThisThreadMayUse) {
  int jobs = 0;
  {
    const test::TOnOneCore oneCore;
    jobs = ResolveJobs(0);
  }
  cpu_set_t allowed;
  ASSERT_EQ(::sched_getaffinity(0, sizeof allowed, &allowed), 0);
  EXPECT_EQ(ResolveJobs(0), CPU_COUNT(&allowed));
  EXPECT_EQ(jobs, 1);
}

// A worker of a batch on several threads spreads nothing further; the guards nest.
TEST(WorkerPool, BusyWorkersDoNotSpreadTheirWork) {
  const bool free = ResolveJobs(0) > 1;
  EXPECT_EQ(MaySpreadWork(), free);
  {
    const TBusyWorker outer;
    EXPECT_FALSE(MaySpreadWork());
    {
      const TBusyWorker inner;
      EXPECT_FALSE(MaySpreadWork());
    }
    EXPECT_FALSE(MaySpreadWork());
    std::thread other([&] { EXPECT_EQ(MaySpreadWork(), free); });
    other.join();
  }
  EXPECT_EQ(MaySpreadWork(), free);
}

}  // namespace
}  // namespace vorn
