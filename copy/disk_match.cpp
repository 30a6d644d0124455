#include "copy/disk_match.h"

#include <algorithm>

#include "copy/task_flags.h"

namespace zel {
namespace {

uint16_t VolumeCount(const DiskRecord& d) {
  return std::min<uint16_t>(d.volumeCount, static_cast<uint16_t>(kMaxVolumes));
}

wchar_t FirstChar(const std::wstring& path) { return path.empty() ? 0 : path[0]; }

void AddPair(std::vector<DriveRemap>& table, char16_t oldLetter, char16_t newLetter) {
  // Only the first pair of a letter is ever used; later ones would only fill
  // the table.
  for (const DriveRemap& p : table) {
    if (p.oldLetter == oldLetter) return;
  }
  if (table.size() < kMaxRemapPairs) table.push_back({oldLetter, newLetter});
}

const DriveRemap* FindPair(const std::vector<DriveRemap>& table, wchar_t letter) {
  for (const DriveRemap& p : table) {
    if (static_cast<wchar_t>(p.oldLetter) == letter) return &p;
  }
  return nullptr;
}

void Remap(const std::vector<DriveRemap>& table, std::wstring& path, uint16_t& flags) {
  const DriveRemap* p = path.empty() ? nullptr : FindPair(table, path[0]);
  if (p == nullptr) return;
  if (p->newLetter == kNoLetterMarker) {
    flags &= static_cast<uint16_t>(~kTaskActive);
  } else {
    path[0] = static_cast<wchar_t>(p->newLetter);
  }
}

}  // namespace

bool SameDisk(const DiskRecord& stored, const DiskRecord& current) {
  if (stored.identity != 0) return stored.identity == current.identity;
  return FieldText(stored.interfacePath) == FieldText(current.interfacePath);
}

std::vector<DriveRemap> MatchStoredDisks(const std::vector<DiskRecord>& stored, const DiskList& current,
                                         std::vector<CopyTask>& tasks,
                                         const std::function<void(size_t)>& lost) {
  std::vector<DriveRemap> table;
  const uint32_t currentCount = std::min<uint32_t>(current.count, static_cast<uint32_t>(kMaxDisks));
  for (const DiskRecord& s : stored) {
    bool matched = false;
    for (uint32_t c = 0; c < currentCount; ++c) {
      const DiskRecord& now = current.disks[c];
      if (!SameDisk(s, now)) continue;
      matched = true;
      for (uint16_t i = 0; i < VolumeCount(s); ++i) {
        const char16_t was = s.volumes[i].driveLetter;
        const char16_t is = now.volumes[i].driveLetter;
        if (was == 0 || was == is) continue;
        AddPair(table, was, is == 0 ? kNoLetterMarker : is);
      }
    }
    if (matched) continue;
    for (uint16_t i = 0; i < VolumeCount(s); ++i) {
      const char16_t letter = s.volumes[i].driveLetter;
      if (letter == 0) continue;  // a volume without a letter names no task
      for (size_t t = 0; t < tasks.size(); ++t) {
        if (FirstChar(tasks[t].source) != static_cast<wchar_t>(letter)) continue;
        lost(t);
        tasks[t].source.clear();
      }
    }
  }
  return table;
}

void ApplyRemap(const std::vector<DriveRemap>& table, std::vector<CopyTask>& tasks) {
  if (table.empty()) return;
  for (CopyTask& t : tasks) Remap(table, t.source, t.flags);
  for (CopyTask& t : tasks) Remap(table, t.destination, t.flags);
}

}  // namespace zel
