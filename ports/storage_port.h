// Storage requests on disk and volume devices, and raw sector access.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zel {

inline constexpr uint32_t kMediaFixed = 12;  // FixedMedia of the geometry's media type

struct DiskGeometry {
  int64_t cylinders = 0;
  uint32_t mediaType = 0;
  uint32_t tracksPerCylinder = 0;
  uint32_t sectorsPerTrack = 0;
  uint32_t bytesPerSector = 0;
};

struct PartitionInfo {
  int64_t startingOffset = 0;  // bytes
  int64_t partitionLength = 0;  // bytes
  uint32_t hiddenSectors = 0;
  uint32_t partitionNumber = 0;
  uint8_t partitionType = 0;
  bool bootIndicator = false;
  bool recognizedPartition = false;
  bool rewritePartition = false;
};

struct DriveLayout {
  uint32_t signature = 0;
  std::vector<PartitionInfo> partitions;  // at most 65, in table order
};

struct DiskExtent {
  uint32_t diskNumber = 0;
  int64_t startingOffset = 0;
  int64_t extentLength = 0;
};

struct VolumeInfo {
  std::wstring label;
  std::wstring fileSystem;
  uint32_t serialNumber = 0;
};

struct FreeSpace {
  uint32_t sectorsPerCluster = 0;
  uint32_t bytesPerSector = 0;
  uint32_t freeClusters = 0;
  uint32_t totalClusters = 0;
};

// Drive types as GetDriveType numbers them.
enum : uint32_t { kDriveUnknown = 0, kDriveNoRootDir = 1, kDriveRemovable = 2, kDriveFixed = 3,
                  kDriveRemote = 4, kDriveCdrom = 5, kDriveRamdisk = 6 };

// A device opened for raw sector access; closed when the object goes away.
class RawDevice {
 public:
  virtual ~RawDevice() = default;
  // Whole sectors at a byte offset; 0 or a system error code.
  virtual long Read(uint64_t byteOffset, void* buf, uint32_t bytes) = 0;
  virtual long Write(uint64_t byteOffset, const void* buf, uint32_t bytes) = 0;
  virtual long Geometry(DiskGeometry& out) = 0;
  // FSCTL_LOCK_VOLUME, FSCTL_DISMOUNT_VOLUME, FSCTL_UNLOCK_VOLUME on a volume.
  virtual long Lock() = 0;
  virtual long Dismount() = 0;
  virtual long Unlock() = 0;
};

// Each request opens its path, asks, and closes it again. Results are 0 or a
// system error code (2 path not found, 21 not ready, 1 not supported, ...).
class StoragePort {
 public:
  virtual ~StoragePort() = default;
  virtual long Geometry(const std::wstring& path, DiskGeometry& out) = 0;
  virtual long Layout(const std::wstring& path, DriveLayout& out) = 0;
  virtual long VolumeExtents(const std::wstring& path, std::vector<DiskExtent>& out) = 0;
  virtual long VolumeNumber(const std::wstring& path, uint32_t& out) = 0;
  // VolumeNumber's answer for each of `paths`, in order: `errors[i]` is 0
  // or its error, `numbers[i]` the number. An adapter that can answer them
  // all from one look at the machine does so; this one asks path by path.
  virtual void VolumeNumbers(const std::vector<std::wstring>& paths, std::vector<long>& errors,
                             std::vector<uint32_t>& numbers) {
    errors.assign(paths.size(), 0);
    numbers.assign(paths.size(), 0);
    for (size_t i = 0; i < paths.size(); ++i) errors[i] = VolumeNumber(paths[i], numbers[i]);
  }
  // Root such as "E:\\".
  virtual long VolumeInformation(const std::wstring& root, VolumeInfo& out) = 0;
  virtual long DiskFreeSpace(const std::wstring& root, FreeSpace& out) = 0;
  virtual long DiskFreeSpaceEx(const std::wstring& root, uint64_t& totalBytes, uint64_t& freeBytes) = 0;
  virtual uint32_t DriveType(const std::wstring& root) = 0;
  // Opens "\\\\.\\E:" or a disk path for reading and writing with read and
  // write sharing; null with `error` set when it cannot be opened.
  virtual std::unique_ptr<RawDevice> OpenRaw(const std::wstring& path, long& error) = 0;
};

}  // namespace zel
