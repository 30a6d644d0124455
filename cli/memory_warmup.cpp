#include "cli/memory_warmup.h"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>

// Bounds of the executable's text and of its writable data (initialised,
// then zeroed), from the linker.
extern "C" char __executable_start;
extern "C" char etext;
extern "C" char __data_start;
extern "C" char end;

namespace zel::cli {
namespace {

#ifndef MADV_POPULATE_READ
constexpr int MADV_POPULATE_READ = 22;
#endif
#ifndef MADV_POPULATE_WRITE
constexpr int MADV_POPULATE_WRITE = 23;
#endif

constexpr size_t kHeapReserve = 1 << 20;
constexpr size_t kGrowBlock = 120 << 10;  // below malloc's 128 KiB threshold for mapping apart

uintptr_t PageDown(uintptr_t a) { return a & ~static_cast<uintptr_t>(sysconf(_SC_PAGESIZE) - 1); }

}  // namespace

void WarmUpProcessMemory() {
  // Kernels before 5.14 do not know these advices and refuse them; the
  // pages are then touched one at a time, as they would be anyway.
  const uintptr_t text = PageDown(reinterpret_cast<uintptr_t>(&__executable_start));
  madvise(reinterpret_cast<void*>(text), reinterpret_cast<uintptr_t>(&etext) - text, MADV_POPULATE_READ);
  const uintptr_t data = PageDown(reinterpret_cast<uintptr_t>(&__data_start));
  madvise(reinterpret_cast<void*>(data), reinterpret_cast<uintptr_t>(&end) - data, MADV_POPULATE_WRITE);

  // Threads allocate from the same heap rather than each mapping a fresh
  // arena of its own; the few threads of these tools hardly contend.
  mallopt(M_ARENA_MAX, 1);

  // The heap grows (and shrinks back to) a megabyte past what it needs. A
  // block just under the size malloc would map apart makes it grow now, and
  // the whole stretch is mapped before the block goes back.
  mallopt(M_TOP_PAD, static_cast<int>(kHeapReserve));
  void* block = std::malloc(kGrowBlock);
  if (block == nullptr) return;
  const uintptr_t from = PageDown(reinterpret_cast<uintptr_t>(block));
  const uintptr_t top = reinterpret_cast<uintptr_t>(sbrk(0));
  if (top > from) madvise(reinterpret_cast<void*>(from), top - from, MADV_POPULATE_WRITE);
  std::free(block);
}

}  // namespace zel::cli
