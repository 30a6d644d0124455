// Tasks follow their disks: the disk records saved in a task file are matched
// against the disks attached now, and the drive letters of the tasks are
// moved to the letters those disks have now.
#pragma once
#include <cstddef>
#include <functional>
#include <vector>

#include "common/disk_record.h"
#include "copy/copy_task.h"

namespace zel {

// Stands for "this volume has no drive letter now" in a remap pair.
inline constexpr char16_t kNoLetterMarker = 0xFFFF;
inline constexpr size_t kMaxRemapPairs = 256;

struct DriveRemap {
  char16_t oldLetter = 0;
  char16_t newLetter = 0;  // a drive letter or kNoLetterMarker
  bool operator==(const DriveRemap&) const = default;
};

// A stored disk is the same disk as an attached one when its identity is not
// 0 and equal, or, for identity 0, when the interface paths are equal.
bool SameDisk(const DiskRecord& stored, const DiskRecord& current);

// Matches every stored disk, in file order, against the attached disks and
// returns the remap pairs, volume entry by volume entry. For a stored disk
// that matches none, every task whose source starts with one of its letters
// is reported through `lost(task index)` and its source is emptied.
std::vector<DriveRemap> MatchStoredDisks(const std::vector<DiskRecord>& stored, const DiskList& current,
                                         std::vector<CopyTask>& tasks,
                                         const std::function<void(size_t)>& lost);

// Moves the first letter of every source, then of every destination, by the
// first pair for that letter; a pair to kNoLetterMarker keeps the path and
// makes the task inactive.
void ApplyRemap(const std::vector<DriveRemap>& table, std::vector<CopyTask>& tasks);

}  // namespace zel
