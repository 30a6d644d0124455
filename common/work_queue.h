// Items handled by a few threads at once, where handling one item may bring
// more (reading a directory finds its subdirectories). The walks of a
// directory tree whose result does not depend on the order of the directories
// (counting files and bytes) share the reading of a tree this way.
#pragma once
#ifdef __linux__
#include <sched.h>
#endif

#include <algorithm>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace zel {

template <class Item>
class WorkQueue {
 public:
  // Adds an item; safe from a thread that handles another one.
  void Push(Item item) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      pending_.push_back(std::move(item));
      // A helper starts only once a second item waits with no thread free to
      // take it, so a walk that never fans out never pays for one.
      if (startHelper_ && helpers_ < mostHelpers_ && pending_.size() >= 2 && pending_.size() > waiting_) {
        ++helpers_;
        startHelper_();
      }
    }
    changed_.notify_one();
  }

  // Calls handle(item) for every item, the ones it pushes included, on up to
  // `threads` threads (the calling one among them, the others started as the
  // work fans out), and returns once none is left and no thread is still
  // handling one.
  template <class Handle>
  void Run(unsigned threads, Handle handle) {
    std::vector<std::thread> helpers;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      helpers_ = 0;
      mostHelpers_ = threads > 1 ? threads - 1 : 0;
      startHelper_ = [this, &handle, &helpers] {
        try {
          helpers.emplace_back([this, &handle] { Work(handle); });
        } catch (const std::system_error&) {
          mostHelpers_ = --helpers_;  // no more threads to be had: go on with those there are
        }
      };
    }
    Work(handle);
    // Nothing is pending and no item is being handled, so nothing pushes
    // (and starts a helper) any more.
    {
      std::lock_guard<std::mutex> lock(mutex_);
      startHelper_ = nullptr;
    }
    for (std::thread& t : helpers) t.join();
  }

  // As many threads as this process may run on processors, at most `most`.
  static unsigned Threads(unsigned most) {
    static const unsigned processors = Processors();
    return std::clamp(processors, 1u, most);
  }

 private:
  // On Linux the processors the process is allowed, in one call (the
  // library's count reads a file of the system's for the processors online).
  static unsigned Processors() {
#ifdef __linux__
    cpu_set_t set;
    if (sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 0) return static_cast<unsigned>(CPU_COUNT(&set));
#endif
    return std::thread::hardware_concurrency();
  }

  template <class Handle>
  void Work(Handle& handle) {
    for (;;) {
      Item item;
      {
        std::unique_lock<std::mutex> lock(mutex_);
        ++waiting_;
        changed_.wait(lock, [this] { return !pending_.empty() || handling_ == 0; });
        --waiting_;
        if (pending_.empty()) return;
        item = std::move(pending_.back());
        pending_.pop_back();
        ++handling_;
      }
      handle(item);
      {
        std::lock_guard<std::mutex> lock(mutex_);
        --handling_;
      }
      changed_.notify_all();
    }
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Item> pending_;
  unsigned handling_ = 0;
  size_t waiting_ = 0;  // threads waiting for an item
  unsigned helpers_ = 0, mostHelpers_ = 0;
  std::function<void()> startHelper_;  // set while Run runs
};

}  // namespace zel
