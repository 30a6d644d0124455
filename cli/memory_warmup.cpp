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

#ifndef MADV_POPULATE_READ
constexpr int MADV_POPULATE_READ = 22;
#endif
#ifndef MADV_POPULATE_WRITE
constexpr int MADV_POPULATE_WRITE = 23;
#endif

constexpr size_t kHeapReserve = 1 << 20;
constexpr size_t kGrowBlock = 120 << 10;  // below malloc's 128 KiB threshold for mapping apart

uintptr_t PageDown(uintptr_t a) { return a & ~static_cast<uintptr_t>(sysconf(_SC_PAGESIZE) - 1); }

void Populate(uintptr_t from, uintptr_t to, int advice) {
  from = PageDown(from);
  if (to > from) madvise(reinterpret_cast<void*>(from), to - from, advice);
}

// Each loaded object's segments: code and constants read, data and zeroed
// data written, so that their pages are there before the first touch.
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
    if ((p.p_flags & PF_W) == 0) {
      Populate(from, to, MADV_POPULATE_READ);
    } else {
      Populate(from, std::min(to, std::max(from, readOnlyEnd)), MADV_POPULATE_READ);
      Populate(std::max(from, readOnlyEnd), to, MADV_POPULATE_WRITE);
    }
  }
  return 0;
}

}  // namespace

void WarmUpProcessMemory() {
  // Kernels before 5.14 do not know these advices and refuse them; the
  // pages are then touched one at a time, as they would be anyway.
  dl_iterate_phdr(PopulateObject, nullptr);

  // Threads allocate from the same heap rather than each mapping a fresh
  // arena of its own; the few threads of these tools hardly contend.
  mallopt(M_ARENA_MAX, 1);

  // The heap grows (and shrinks back to) a megabyte past what it needs. A
  // block just under the size malloc would map apart makes it grow now, and
  // the whole stretch is mapped before the block goes back.
  mallopt(M_TOP_PAD, static_cast<int>(kHeapReserve));
  void* block = std::malloc(kGrowBlock);
  if (block == nullptr) return;
  Populate(reinterpret_cast<uintptr_t>(block), reinterpret_cast<uintptr_t>(sbrk(0)), MADV_POPULATE_WRITE);
  std::free(block);
}

}  // namespace zel::cli
