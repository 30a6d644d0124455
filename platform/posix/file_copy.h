// One file copied on the host the way the system's file copy does it, with
// the contents written under a temporary name and renamed over the target
// only when whole (or, with `atOnce`, a new file written under its own name
// in a directory nobody sees yet).
#pragma once
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>

namespace zel {

// The space left on a volume, shared by the copies to it that run at once:
// each takes what its file needs before it starts and gives back what a
// failed copy, or a replaced file, leaves free.
struct VolumeSpace {
  std::mutex& mutex;
  uint64_t& bytes;

  // Up to `want` bytes, as many as are left.
  uint64_t Take(uint64_t want) {
    std::lock_guard<std::mutex> lock(mutex);
    const uint64_t got = want < bytes ? want : bytes;
    bytes -= got;
    return got;
  }
  void Give(uint64_t n) {
    std::lock_guard<std::mutex> lock(mutex);
    bytes += n;
  }
};

// 0 or a system error code. `space`, when given, is the space left on the
// target's volume: a copy that needs more fails with 112 after filling it,
// and a successful one takes its size off (and gives a replaced file's back).
long CopyHostFile(const std::string& from, const std::string& to, bool failIfExists, VolumeSpace* space,
                  bool atOnce = false);

// The kernel's copy of up to `bytes` from one open file to another, each at
// its own offset (copy_file_range): the bytes copied, 0 at the end of `in`,
// or -1 with errno.
using KernelCopy = ssize_t (*)(int in, int out, size_t bytes);
ssize_t KernelCopyRange(int in, int out, size_t bytes);

// Copies the `size` bytes `in` had when it was opened, but no more than
// `room`: a file that does not fit fills the room and then fails as a full
// disk does (ENOSPC). The kernel copies where it can; where it refuses
// (another file system, an old kernel, a kind of file it cannot copy) or stops
// short of `size`, reads and writes go on from where it was. 0 or an errno.
int CopyFileContents(int in, int out, uint64_t size, uint64_t room, KernelCopy kernelCopy = KernelCopyRange);

}  // namespace zel
