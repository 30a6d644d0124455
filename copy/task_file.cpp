#include "copy/task_file.h"

#include <cstdio>
#include <cstring>

#include "common/bytes.h"
#include "common/text.h"

namespace zel {
namespace {

void PutPath(std::vector<uint8_t>& out, const std::wstring& path) {
  for (char16_t c : WideToUtf16(path)) {
    out.push_back(static_cast<uint8_t>(c & 0xFF));
    out.push_back(static_cast<uint8_t>(c >> 8));
  }
  out.push_back(0);
  out.push_back(0);
}

// Reads bytes in order and refuses to go past the end.
class Reader {
 public:
  explicit Reader(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}
  bool Has(size_t n) const { return n <= bytes_.size() - at_; }
  const uint8_t* Take(size_t n) {
    const uint8_t* p = bytes_.data() + at_;
    at_ += n;
    return p;
  }
  // A path of at most kTaskPathCapacity characters including its terminator.
  bool Path(std::wstring& out) {
    std::u16string units;
    for (size_t i = 0; i < kTaskPathCapacity; ++i) {
      if (!Has(2)) return false;
      char16_t c = GetLe16(Take(2));
      if (c == 0) {
        out = Utf16ToWide(units);
        return true;
      }
      units.push_back(c);
    }
    return false;
  }

 private:
  const std::vector<uint8_t>& bytes_;
  size_t at_ = 0;
};

}  // namespace

std::vector<uint8_t> EncodeTaskFile(const DiskList& disks, const std::vector<CopyTask>& tasks) {
  const uint32_t diskCount = disks.count < kMaxDisks ? disks.count : static_cast<uint32_t>(kMaxDisks);
  std::vector<uint8_t> out(task_file::kDisksOffset + diskCount * kDiskRecordSize + 4);
  std::memcpy(out.data() + task_file::kMagicOffset, task_file::kMagic, 4);
  PutLe32(out.data() + task_file::kDiskCountOffset, diskCount);
  for (uint32_t i = 0; i < diskCount; ++i) {
    EncodeDiskRecord(disks.disks[i], out.data() + task_file::kDisksOffset + i * kDiskRecordSize);
  }
  PutLe32(out.data() + task_file::kDisksOffset + diskCount * kDiskRecordSize,
          static_cast<uint32_t>(tasks.size()));
  for (const CopyTask& t : tasks) {
    PutPath(out, t.source);
    PutPath(out, t.destination);
    uint8_t tail[4];
    PutLe16(tail, t.flags);
    PutLe16(tail + 2, 0);
    out.insert(out.end(), tail, tail + 4);
  }
  return out;
}

bool ParseTaskFile(const std::vector<uint8_t>& bytes, TaskFileContents& out) {
  Reader in(bytes);
  if (!in.Has(8) || std::memcmp(in.Take(4), task_file::kMagic, 4) != 0) return false;
  const uint32_t diskCount = GetLe32(in.Take(4));
  if (diskCount > kMaxDisks || !in.Has(diskCount * kDiskRecordSize + 4)) return false;
  TaskFileContents parsed;
  for (uint32_t i = 0; i < diskCount; ++i) parsed.disks.push_back(DecodeDiskRecord(in.Take(kDiskRecordSize)));
  const int32_t taskCount = static_cast<int32_t>(GetLe32(in.Take(4)));
  if (taskCount < 0 || taskCount > static_cast<int32_t>(task_file::kMaxTasks)) return false;
  for (int32_t i = 0; i < taskCount; ++i) {
    CopyTask t;
    if (!in.Path(t.source) || !in.Path(t.destination) || !in.Has(4)) return false;
    t.flags = GetLe16(in.Take(4));
    parsed.tasks.push_back(std::move(t));
  }
  out = std::move(parsed);
  return true;
}

std::wstring TaskFileName(uint32_t diskIdentity) {
  wchar_t name[32];
  std::swprintf(name, 32, L"Disk%X.CT", static_cast<unsigned>(diskIdentity));
  return name;
}

}  // namespace zel
