// Items handled by a few threads at once, where handling one item may bring
// more (reading a directory finds its subdirectories). The walks of a
// directory tree whose result does not depend on the order of the directories
// (counting files and bytes) share the reading of a tree this way.
#pragma once
#include <algorithm>
#include <condition_variable>
#include <mutex>
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
    }
    changed_.notify_one();
  }

  // Calls handle(item) for every item, the ones it pushes included, on up to
  // `threads` threads (the calling one among them), and returns once none is
  // left and no thread is still handling one.
  template <class Handle>
  void Run(unsigned threads, Handle handle) {
    std::vector<std::thread> helpers;
    for (unsigned i = 1; i < threads; ++i) helpers.emplace_back([this, &handle] { Work(handle); });
    Work(handle);
    for (std::thread& t : helpers) t.join();
  }

  // As many threads as the machine has processors, at most `most`.
  static unsigned Threads(unsigned most) { return std::clamp(std::thread::hardware_concurrency(), 1u, most); }

 private:
  template <class Handle>
  void Work(Handle& handle) {
    for (;;) {
      Item item;
      {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return !pending_.empty() || handling_ == 0; });
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
};

}  // namespace zel
