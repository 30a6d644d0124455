// Device discovery: every disk of the machine into the copy utility's global
// disk list, with its volumes and drive letters, the ones in a supported
// enclosure marked present. Two procedures, one per system family.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "common/disk_record.h"
#include "ports/device_tree_port.h"
#include "ports/storage_port.h"

namespace zel {

inline constexpr size_t kMaxInterfaces = 64;
inline constexpr uint32_t kFriendlyNameBytes = 80;

// The procedure of the system family (Ports().family); 0 or a system error code.
long Discover(DiskList& list);
long DiscoverNt(DiskList& list);
long Discover98(DiskList& list);

// Pieces shared with the security and power tools' device list.
namespace discovery {

std::wstring VolumeRoot(wchar_t letter);    // "E:\"
std::wstring VolumeDevice(wchar_t letter);  // "\\.\E:"

// For each recognised partition of `layout`, in order, the first-found
// volume (of `volumes`) that lies exactly on it: `onPartition(partition,
// volumeNumber, matched)` is called once per recognised partition.
template <typename F>
void MatchPartitionsToVolumes(const DriveLayout& layout, const std::vector<InterfaceEntry>& volumes, F onPartition);
bool VolumeOnPartition(const InterfaceEntry& volume, const DriveLayout& diskLayout, const PartitionInfo& partition,
                       uint32_t& volumeNumber);

// Letters C to Z with the volume number each one's volume reports.
template <typename F>
void ForEachLetterVolumeNumber(F onLetter);

// The mounted-device table's letter for a volume (or, on the Vista family, a
// disk) interface path, compared upper-cased from the fifth character; 0
// when the table has none.
wchar_t MountedDeviceLetter(const std::wstring& interfacePath);

// Total and free megabytes of a volume by cluster counts; 0 or the error.
long VolumeMegabytes(wchar_t letter, uint32_t& totalMb, uint32_t& freeMb);

}  // namespace discovery

// --- templates ---

template <typename F>
void discovery::MatchPartitionsToVolumes(const DriveLayout& layout, const std::vector<InterfaceEntry>& volumes,
                                         F onPartition) {
  for (const PartitionInfo& p : layout.partitions) {
    if (!p.recognizedPartition) continue;
    uint32_t number = 0;
    bool matched = false;
    for (const InterfaceEntry& v : volumes) {
      uint32_t n = 0;
      if (VolumeOnPartition(v, layout, p, n)) {
        number = n;
        matched = true;
        break;
      }
    }
    onPartition(p, number, matched);
  }
}

}  // namespace zel

#include "ports/platform.h"

namespace zel {

template <typename F>
void discovery::ForEachLetterVolumeNumber(F onLetter) {
  StoragePort* storage = Ports().storage;
  if (storage == nullptr) return;
  std::vector<std::wstring> devices;
  for (wchar_t letter = L'C'; letter <= L'Z'; ++letter) devices.push_back(VolumeDevice(letter));
  std::vector<long> errors;
  std::vector<uint32_t> numbers;
  storage->VolumeNumbers(devices, errors, numbers);
  for (size_t i = 0; i < devices.size() && i < errors.size() && i < numbers.size(); ++i) {
    if (errors[i] != 0) continue;
    if (!onLetter(static_cast<wchar_t>(L'C' + i), numbers[i])) return;
  }
}

}  // namespace zel
