#include "cli/heap_settings.h"

#include <malloc.h>

#include <cstddef>

namespace zel::cli {
namespace {

// About what a short command (a copy run with nothing to copy, a format)
// takes of the heap at its peak.
constexpr size_t kHeapStep = 256 << 10;

}  // namespace

// The pages themselves are left to their first touches. Mapping the data and
// a first stretch of heap up front spared a few dozen page faults, but cost
// more than it spared: a copy pass with nothing to copy took about 3 % longer
// with it (6 % where the run sets no busy indication), and a full copy no
// less time without it.
void SetUpHeap() {
  static bool done = false;
  if (done) return;
  done = true;
  // Threads allocate from the same heap rather than each mapping a fresh
  // arena of its own; the few threads of these tools hardly contend.
  mallopt(M_ARENA_MAX, 1);
  // The heap grows by a step at a time, and keeps a step when it shrinks,
  // rather than moving its end for every few blocks.
  mallopt(M_TOP_PAD, static_cast<int>(kHeapStep));
}

// The set-up runs before any static constructor of the program (the C++
// streams and locale, the option parser's validators), so that their blocks
// come from the heap as set up; the call of the program's set-up then has
// nothing left to do. Under the sanitizers, whose run-time claims the start
// for itself, the set-up's call does the work.
#ifndef __SANITIZE_ADDRESS__
namespace {
void SetUpAtStart(int, char**, char**) { SetUpHeap(); }
}  // namespace
extern "C" {
__attribute__((section(".preinit_array"), used)) void (*const zel_cli_heap_at_start)(int, char**, char**) =
    SetUpAtStart;
}
#endif

}  // namespace zel::cli
