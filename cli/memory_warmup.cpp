#include "cli/memory_warmup.h"

#include <link.h>
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace zel::cli {
namespace {

#ifndef MADV_POPULATE_WRITE
constexpr int MADV_POPULATE_WRITE = 23;
#endif

// About what a short command (a copy run with nothing to copy, a format)
// takes of the heap at its peak; more only adds pages to map and free.
constexpr size_t kHeapReserve = 256 << 10;
constexpr size_t kGrowBlock = 120 << 10;  // below malloc's 128 KiB threshold for mapping apart
constexpr size_t kMostGrowBlocks = 16;

uintptr_t PageDown(uintptr_t a) { return a & ~static_cast<uintptr_t>(sysconf(_SC_PAGESIZE) - 1); }

void Populate(uintptr_t from, uintptr_t to, int advice) {
  from = PageDown(from);
  if (to > from) madvise(reinterpret_cast<void*>(from), to - from, advice);
}

// Each loaded object's data and zeroed data written, so that their pages
// are there before the first touch. Code and constants are left to their
// first touches: a touch maps the pages around it from the page cache in
// one go, and most of a program's code is never run in a short command, so
// mapping all of it at start took longer than the touches it saved.
int PopulateObject(struct dl_phdr_info* info, size_t, void*) {
  // The start of a data segment the loader made read-only after relocating.
  uintptr_t readOnlyEnd = 0;
  for (ElfW(Half) i = 0; i < info->dlpi_phnum; ++i) {
    const ElfW(Phdr)& p = info->dlpi_phdr[i];
    if (p.p_type == PT_GNU_RELRO) readOnlyEnd = info->dlpi_addr + p.p_vaddr + p.p_memsz;
  }
  const uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
  readOnlyEnd = (readOnlyEnd + page - 1) & ~(page - 1);
  for (ElfW(Half) i = 0; i < info->dlpi_phnum; ++i) {
    const ElfW(Phdr)& p = info->dlpi_phdr[i];
    if (p.p_type != PT_LOAD) continue;
    const uintptr_t from = info->dlpi_addr + p.p_vaddr, to = from + p.p_memsz;
    if ((p.p_flags & PF_W) != 0) Populate(std::max(from, readOnlyEnd), to, MADV_POPULATE_WRITE);
  }
  return 0;
}

}  // namespace

void WarmUpProcessMemory() {
  static bool done = false;
  if (done) return;
  done = true;
  // Kernels before 5.14 do not know these advices and refuse them; the
  // pages are then touched one at a time, as they would be anyway.
  dl_iterate_phdr(PopulateObject, nullptr);

  // Threads allocate from the same heap rather than each mapping a fresh
  // arena of its own; the few threads of these tools hardly contend.
  mallopt(M_ARENA_MAX, 1);

  // The heap grows (and shrinks back to) a quarter megabyte past what it needs.
  // Blocks just under the size malloc would map apart are taken until the
  // heap has grown once (the C library's start may have made it already,
  // with room for a block or so), and the reserve from the first block on is
  // mapped before they go back.
  mallopt(M_TOP_PAD, static_cast<int>(kHeapReserve));
  const uintptr_t end = reinterpret_cast<uintptr_t>(sbrk(0));
  void* blocks[kMostGrowBlocks];
  size_t taken = 0;
  while (taken < kMostGrowBlocks && (taken == 0 || reinterpret_cast<uintptr_t>(sbrk(0)) == end)) {
    blocks[taken] = std::malloc(kGrowBlock);
    if (blocks[taken] == nullptr) break;
    ++taken;
  }
  if (taken > 0) {
    const uintptr_t first = reinterpret_cast<uintptr_t>(*std::min_element(blocks, blocks + taken));
    // The blocks go back and the heap shrinks to the reserve past them.
    Populate(first, std::min(reinterpret_cast<uintptr_t>(sbrk(0)), first + kHeapReserve), MADV_POPULATE_WRITE);
  }
  for (size_t i = 0; i < taken; ++i) std::free(blocks[i]);
}

// The warm-up runs before any static constructor of the program (the C++
// streams and locale, the option parser's validators), so that their first
// touches find the pages mapped as well; the call of the program's set-up
// then has nothing left to do. Under the sanitizers, whose run-time claims
// the start for itself, the set-up's call does the work.
#ifndef __SANITIZE_ADDRESS__
namespace {
void WarmUpAtStart(int, char**, char**) { WarmUpProcessMemory(); }
}  // namespace
extern "C" {
__attribute__((section(".preinit_array"), used)) void (*const zel_cli_warm_up_at_start)(int, char**, char**) =
    WarmUpAtStart;
}
#endif

}  // namespace zel::cli
