#include "platform/sim/volume_mount.h"

#include <algorithm>
#include <filesystem>
#include <optional>

#include "common/boot_records.h"
#include "common/bytes.h"
#include "platform/sim/view.h"

#ifndef _WIN32
#include "platform/posix/host_file.h"
#endif

namespace zel::sim {
namespace {

namespace fs = std::filesystem;
namespace bo = boot_offset;

constexpr uint8_t kAttrVolumeLabel = 0x08, kAttrLongName = 0x0F;
constexpr size_t kEntryBytes = 32;

struct FoundVolume {
  std::wstring label;
  std::wstring fileSystem;
  uint32_t serial = 0;
  uint64_t capacity = 0;  // bytes of the data clusters
};

// The volume whose boot sector starts at byte `at` of the image, when the
// sector is a FAT boot sector.
std::optional<FoundVolume> ReadFatVolume(const Machine& m, const SimEnclosure& e, uint64_t at) {
  uint8_t boot[kSectorSize];
  if (ReadImage(m, e, at, boot, kSectorSize) != 0) return std::nullopt;
  if (boot[bo::kSignature] != kSectorMark0 || boot[bo::kSignature + 1] != kSectorMark1) return std::nullopt;
  const uint32_t spc = boot[bo::kSectorsPerCluster];
  const uint32_t reserved = GetLe16(boot + bo::kReservedSectors);
  const uint32_t fats = boot[bo::kFatCount];
  if (GetLe16(boot + bo::kBytesPerSector) != kSectorSize || spc == 0 || reserved == 0 || fats == 0) {
    return std::nullopt;
  }
  const uint32_t fatSize16 = GetLe16(boot + bo::kFatSize16);
  const bool fat32 = fatSize16 == 0;
  const uint32_t fatSize = fat32 ? GetLe32(boot + bo::kFatSize32) : fatSize16;
  const uint32_t total = GetLe16(boot + bo::kTotal16) != 0 ? GetLe16(boot + bo::kTotal16) : GetLe32(boot + bo::kTotal32);
  const uint32_t rootSectors = (GetLe16(boot + bo::kRootEntries) * kEntryBytes + kSectorSize - 1) / kSectorSize;
  const uint64_t overhead = reserved + uint64_t{fats} * fatSize + rootSectors;
  if (fatSize == 0 || total <= overhead) return std::nullopt;

  FoundVolume v;
  v.fileSystem = fat32 ? L"FAT32" : L"FAT";
  v.serial = GetLe32(boot + (fat32 ? bo::kSerial32 : bo::kSerial16));
  v.capacity = (total - overhead) / spc * spc * uint64_t{kSectorSize};
  // The label is the root directory's volume-label entry, as the system reads it.
  const uint64_t rootSector = fat32 ? overhead + uint64_t{GetLe32(boot + bo::kRootCluster) - 2} * spc
                                    : reserved + uint64_t{fats} * fatSize;
  uint8_t root[kSectorSize];
  if (ReadImage(m, e, at + rootSector * kSectorSize, root, kSectorSize) != 0) return v;
  for (size_t i = 0; i < kSectorSize; i += kEntryBytes) {
    const uint8_t* entry = root + i;
    if (entry[0] == 0) break;
    if (entry[0] == 0xE5 || entry[11] == kAttrLongName || (entry[11] & kAttrVolumeLabel) == 0) continue;
    std::wstring label(entry, entry + 11);
    label.erase(label.find_last_not_of(L' ') + 1);
    v.label = label;
    break;
  }
  return v;
}

// Removes what a directory holds, keeping the directory itself.
void EmptyDirectory(const std::string& dir) {
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(dir, ec)) {
    std::error_code each;
    fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add, each);
    fs::remove_all(entry.path(), each);
  }
}

// A path with its links resolved; a part that does not exist yet is taken
// as written.
fs::path Resolved(const std::string& path, std::error_code& ec) {
#ifndef _WIN32
  if (std::string real; RealPath(path, real)) return real;
#endif
  return fs::weakly_canonical(path, ec);
}

bool InsideDirectory(const std::string& path, const std::string& dir) {
  std::error_code ec;
  const fs::path p = Resolved(path, ec);
  const fs::path d = Resolved(dir, ec);
  if (ec) return false;
  const auto [end, ignored] = std::mismatch(d.begin(), d.end(), p.begin(), p.end());
  return end == d.end() && p != d;
}

}  // namespace

bool MountFormattedVolumes(const std::string& machineDir, const std::string& enclosureId) {
  View view;
  std::string error;
  if (!view.Load(machineDir, error)) return false;
  Machine& m = view.machine;
  bool changed = false;
  for (const ViewVolume& v : view.volumes) {
    const ViewDisk& d = *v.disk;
    if (d.enclosure == nullptr || d.enclosure->id != enclosureId || !d.unit.present || d.unit.locked ||
        v.length <= 0) {
      continue;
    }
    const uint64_t at = d.unit.firstSector * kSectorSize + static_cast<uint64_t>(v.start);
    const std::optional<FoundVolume> found = ReadFatVolume(m, *d.enclosure, at);
    if (!found || found->serial == v.volume->serial) continue;
    SimVolume& record = m.volumes[static_cast<size_t>(v.volume - m.volumes.data())];
    record.label = found->label;
    record.fileSystem = found->fileSystem;
    record.serial = found->serial;
    record.capacity = found->capacity;
    const std::string host = m.PathOf(record.dir);
    if (!record.dir.empty() && InsideDirectory(host, m.dir)) EmptyDirectory(host);
    changed = true;
  }
  return !changed || SaveMachine(m, error);
}

}  // namespace zel::sim
