#include "common/discovery.h"

#include "common/transport.h"

namespace zel {

long Discover(DiskList& list) { return Ports().family == SystemFamily::Nt ? DiscoverNt(list) : Discover98(list); }

namespace discovery {

std::wstring VolumeRoot(wchar_t letter) { return std::wstring(1, letter) + L":\\"; }
std::wstring VolumeDevice(wchar_t letter) { return std::wstring(L"\\\\.\\") + letter + L":"; }

bool VolumeOnPartition(const InterfaceEntry& volume, const DriveLayout& diskLayout, const PartitionInfo& partition,
                       uint32_t& volumeNumber) {
  StoragePort* storage = Ports().storage;
  std::vector<DiskExtent> extents;
  DriveLayout underneath;
  if (storage->VolumeExtents(volume.path, extents) != 0 || extents.empty()) return false;
  if (storage->Layout(volume.path, underneath) != 0) return false;
  if (underneath.signature != diskLayout.signature || extents[0].startingOffset != partition.startingOffset ||
      extents[0].extentLength != partition.partitionLength) {
    return false;
  }
  return storage->VolumeNumber(volume.path, volumeNumber) == 0;
}

long VolumeMegabytes(wchar_t letter, uint32_t& totalMb, uint32_t& freeMb) {
  FreeSpace space;
  if (long error = Ports().storage->DiskFreeSpace(VolumeRoot(letter), space); error != 0) return error;
  const uint64_t cluster = static_cast<uint64_t>(space.sectorsPerCluster) * space.bytesPerSector;
  if (cluster == 0) {
    totalMb = freeMb = 0;
  } else if (cluster <= 1048576) {
    // Clusters per megabyte, then whole megabytes, each step rounding down.
    const uint64_t perMb = 1048576 / cluster;
    totalMb = static_cast<uint32_t>(space.totalClusters / perMb);
    freeMb = static_cast<uint32_t>(space.freeClusters / perMb);
  } else {
    // Clusters above a megabyte: the same megabytes without a zero divisor.
    totalMb = static_cast<uint32_t>(space.totalClusters * cluster >> 20);
    freeMb = static_cast<uint32_t>(space.freeClusters * cluster >> 20);
  }
  return 0;
}

}  // namespace discovery
}  // namespace zel
