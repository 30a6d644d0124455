// Numbered jobs run by a few threads ahead of the one that takes their
// results in order. The taker works too: while the job it waits for runs on
// another thread, it runs the next one not yet started. At most `window`
// jobs past the last one taken are started, so that little is to be undone
// when the taker stops early.
#pragma once
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace zel {

class RunAhead {
 public:
  using Job = std::function<long(size_t)>;

  // Jobs 0 .. count-1, with up to `helpers` threads beside the taker's (fewer
  // where the system gives no more).
  RunAhead(size_t count, size_t window, unsigned helpers, Job job);
  ~RunAhead();
  RunAhead(const RunAhead&) = delete;
  RunAhead& operator=(const RunAhead&) = delete;

  // The result of job `i`, once it has run; jobs are taken in order, each once.
  long Take(size_t i);
  // No job starts any more; returns once the running ones have ended.
  void Stop();
  // After Stop: whether job `i` ran, and what it gave.
  bool Ran(size_t i) const { return done_[i] != 0; }
  long Result(size_t i) const { return results_[i]; }

 private:
  // Whether another job may start now; mutex_ is held.
  bool MayStart() const { return !stopping_ && next_ < count_ && next_ < taken_ + window_; }
  // Runs the next job with mutex_ held around, not during, its work.
  void RunNext(std::unique_lock<std::mutex>& lock);
  void Help();

  const size_t count_, window_;
  Job job_;
  std::mutex mutex_;
  std::condition_variable changed_;
  size_t next_ = 0;   // the first job not started
  size_t taken_ = 0;  // jobs taken
  bool stopping_ = false;
  std::vector<unsigned char> done_;
  std::vector<long> results_;
  std::vector<std::thread> helpers_;
};

}  // namespace zel
