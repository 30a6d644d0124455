// The task file: the tasks of one disk with a snapshot of the disk records of
// every disk known when it was saved, so that tasks can follow a disk that
// comes back under another drive letter. Little-endian, no gaps, no checksum:
//
//   0          "ZELP"
//   4          D, 32-bit unsigned: number of disk records (at most 32)
//   8          D disk records of 1960 bytes (common/disk_record.h)
//   8+1960*D   T, 32-bit signed: number of tasks (0 to 128)
//   then       T entries: source and destination as UTF-16LE with their
//              terminating zero, a 16-bit flags word, a 16-bit reserved word
//              (written as 0, ignored when read)
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "common/disk_record.h"
#include "copy/copy_task.h"

namespace zel {

namespace task_file {
inline constexpr uint8_t kMagic[4] = {'Z', 'E', 'L', 'P'};
inline constexpr size_t kMagicOffset = 0, kDiskCountOffset = 4, kDisksOffset = 8;
inline constexpr size_t kMaxTasks = 128;
// The largest well-formed file: every count and every path at its limit.
inline constexpr size_t kMaxFileSize =
    kDisksOffset + kMaxDisks * kDiskRecordSize + 4 + kMaxTasks * (2 * 2 * kTaskPathCapacity + 4);
}  // namespace task_file

struct TaskFileContents {
  std::vector<DiskRecord> disks;  // in the order they were saved
  std::vector<CopyTask> tasks;
};

// The file's bytes for the disks of `disks` and the tasks.
std::vector<uint8_t> EncodeTaskFile(const DiskList& disks, const std::vector<CopyTask>& tasks);

// Reads a whole file. False, with `out` untouched, when the bytes are not a
// task file: wrong magic, more than 32 disk records, a task count outside 0 to
// 128, a path without its terminator within 260 characters, or a file that
// ends before its counts say. Bytes after the last task are ignored.
bool ParseTaskFile(const std::vector<uint8_t>& bytes, TaskFileContents& out);

// "Disk%X.CT": the disk identity in upper-case hexadecimal without leading zeros.
std::wstring TaskFileName(uint32_t diskIdentity);

}  // namespace zel
