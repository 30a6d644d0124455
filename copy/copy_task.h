// One copy task: a source directory, a destination directory and its option
// bits (copy/task_flags.h).
#pragma once
#include <cstdint>
#include <string>

namespace zel {

// Paths are held with at most this many characters including the terminator
// (the buffers of Next and of the task file reader).
inline constexpr size_t kTaskPathCapacity = 260;

struct CopyTask {
  std::wstring source;
  std::wstring destination;
  uint16_t flags = 0;
  bool operator==(const CopyTask&) const = default;
};

}  // namespace zel
