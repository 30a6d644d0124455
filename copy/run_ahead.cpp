#include "copy/run_ahead.h"

#include <system_error>
#include <utility>

namespace zel {

RunAhead::RunAhead(size_t count, size_t window, unsigned helpers, Job job)
    : count_(count), window_(window < 1 ? 1 : window), job_(std::move(job)), done_(count, 0), results_(count, 0) {
  for (unsigned k = 0; k < helpers; ++k) {
    try {
      helpers_.emplace_back([this] { Help(); });
    } catch (const std::system_error&) {
      break;  // the taker runs the jobs itself
    }
  }
}

RunAhead::~RunAhead() { Stop(); }

void RunAhead::RunNext(std::unique_lock<std::mutex>& lock) {
  const size_t i = next_++;
  lock.unlock();
  const long result = job_(i);
  lock.lock();
  results_[i] = result;
  done_[i] = 1;
  changed_.notify_all();
}

void RunAhead::Help() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return stopping_ || next_ >= count_ || MayStart(); });
    if (!MayStart()) return;
    RunNext(lock);
  }
}

long RunAhead::Take(size_t i) {
  std::unique_lock<std::mutex> lock(mutex_);
  while (done_[i] == 0) {
    if (next_ <= i || MayStart()) {
      RunNext(lock);
    } else {
      changed_.wait(lock);
    }
  }
  taken_ = i + 1;
  changed_.notify_all();  // the window has moved on
  return results_[i];
}

void RunAhead::Stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  for (std::thread& t : helpers_) t.join();
  helpers_.clear();
}

}  // namespace zel
