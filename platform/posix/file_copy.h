// One file copied on the host the way the system's file copy does it, with
// the contents written under a temporary name and renamed over the target
// only when whole.
#pragma once
#include <cstdint>
#include <string>

namespace zel {

// 0 or a system error code. `freeBytes`, when given, is the space left on the
// target's volume: a copy that needs more fails with 112 after filling it,
// and a successful one takes its size off (and gives a replaced file's back).
long CopyHostFile(const std::string& from, const std::string& to, bool failIfExists, uint64_t* freeBytes);

}  // namespace zel
