// Jobs run ahead of the thread that takes their results: each runs once,
// results come in order, and no job starts further ahead than allowed.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "copy/run_ahead.h"

namespace zel {
namespace {

struct Record {
  std::mutex mutex;
  std::vector<int> runs;
  std::atomic<size_t> taken{0};
  std::atomic<int> running{0};
  int mostAtOnce = 0;
  long furthestAhead = 0;
};

RunAhead::Job Recorded(Record& r, size_t count) {
  r.runs.assign(count, 0);
  return [&r](size_t i) {
    const int now = ++r.running;
    {
      std::lock_guard<std::mutex> lock(r.mutex);
      r.runs[i] += 1;
      r.mostAtOnce = std::max(r.mostAtOnce, now);
      r.furthestAhead = std::max(r.furthestAhead, static_cast<long>(i) - static_cast<long>(r.taken.load()));
    }
    std::this_thread::sleep_for(std::chrono::microseconds(i % 3 == 0 ? 1500 : 200));
    --r.running;
    return static_cast<long>(i * 7);
  };
}

TEST(RunAhead, EveryJobRunsOnceAndResultsComeInOrder) {
  for (unsigned helpers : {0u, 1u, 3u}) {
    SCOPED_TRACE(helpers);
    Record r;
    constexpr size_t kJobs = 40, kWindow = 5;
    RunAhead ahead(kJobs, kWindow, helpers, Recorded(r, kJobs));
    for (size_t i = 0; i < kJobs; ++i) {
      EXPECT_EQ(ahead.Take(i), static_cast<long>(i * 7));
      r.taken = i + 1;
    }
    ahead.Stop();
    EXPECT_EQ(r.runs, std::vector<int>(kJobs, 1));
    EXPECT_LE(r.furthestAhead, static_cast<long>(kWindow));
    if (helpers == 0) {
      EXPECT_EQ(r.mostAtOnce, 1);
    } else {
      EXPECT_GE(r.mostAtOnce, 2);
    }
  }
}

// After a stop nothing starts any more; what ran is told, with its result.
TEST(RunAhead, AStopEndsTheRunsAndTellsWhatRan) {
  Record r;
  constexpr size_t kJobs = 100, kWindow = 8;
  RunAhead ahead(kJobs, kWindow, 2, Recorded(r, kJobs));
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(ahead.Take(i), static_cast<long>(i * 7));
    r.taken = i + 1;
  }
  ahead.Stop();
  const std::vector<int> runs = r.runs;
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(r.runs, runs);
  size_t ran = 0;
  for (size_t i = 0; i < kJobs; ++i) {
    EXPECT_EQ(ahead.Ran(i), runs[i] == 1) << i;
    if (ahead.Ran(i)) {
      ++ran;
      EXPECT_EQ(ahead.Result(i), static_cast<long>(i * 7));
    }
  }
  EXPECT_GE(ran, 3u);
  EXPECT_LE(ran, 3 + kWindow);
}

}  // namespace
}  // namespace zel
