// The state a copy run's worker and the thread that shows the run share. The
// worker writes the counters and clears `workerRunning` when it ends; the
// other side only sets `stop`.
#pragma once
#include <atomic>
#include <cstdint>

#include "copy/counted_tree.h"

namespace zel {

struct RunState {
  std::atomic<uint64_t> taskBytesProcessed{0};  // sizes of the current task's files looked at
  std::atomic<uint64_t> taskBytesTotal{0};      // sizes of the files the current task will look at
  std::atomic<uint64_t> bytesCopied{0};         // whole run
  std::atomic<uint32_t> filesCopied{0};         // whole run
  std::atomic<uint32_t> filesNotCopied{0};      // whole run: copies that failed (a full disk aside)
  std::atomic<bool> stop{false};                // cancelled, or the target disk is full
  std::atomic<bool> workerRunning{false};
  CountedTree counted;                          // the worker's own: the last counting pass's walk
};

}  // namespace zel
