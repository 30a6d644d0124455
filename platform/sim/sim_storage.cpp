#include <algorithm>
#include <filesystem>

#include "platform/sim/sim_ports.h"

namespace zel::sim {
namespace {

constexpr uint32_t kMediaRemovable = 11;
constexpr uint32_t kBytesPerCluster = 4096;

// The disk a path names: a disk path, or a volume path for the disk under it.
const ViewDisk* DiskOf(const View& view, const std::wstring& path) {
  if (const ViewDisk* d = view.DiskByPath(path)) return d;
  if (const ViewVolume* v = view.VolumeByPath(path)) return v->disk;
  return nullptr;
}

long NumberOf(const View& view, const std::wstring& path, uint32_t& out) {
  const ViewVolume* v = view.VolumeByPath(path);
  if (v == nullptr) return view.DiskByPath(path) != nullptr ? kErrorInvalidFunction : kErrorFileNotFound;
  if (!v->mounted) return kErrorNotReady;
  out = v->volume->number;
  return 0;
}

struct Space {
  uint64_t total = 0;
  uint64_t free = 0;
};

long VolumeSpace(const View& view, const std::wstring& root, Space& out) {
  const ViewVolume* v = view.VolumeByPath(root);
  if (v == nullptr) return kErrorFileNotFound + 1;  // path not found
  if (v->disk->disk->media == Media::Cdrom && v->volume->dir.empty()) return kErrorNotReady;
  const Faults faults = LoadFaults(view.machine);
  if (ConsumeNotReady(view.machine, v->volume->letter, faults)) return kErrorNotReady;
  out.total = v->volume->capacity != 0 ? v->volume->capacity : static_cast<uint64_t>(v->length);
  const bool full = std::find(faults.full.begin(), faults.full.end(), v->volume->letter) != faults.full.end();
  if (full) out.free = 0;
  else out.free = v->volume->dir.empty() ? out.total : FreeBytes(out.total, view.HostDirectory(*v),
                                                                         UsedBytesFile(view.machine.dir, v->volume->letter));
  return 0;
}

// Raw sectors of an enclosure unit; the unit is looked up again for every
// request so that a lock or a re-partitioning shows at once.
class SimRawDevice : public RawDevice {
 public:
  SimRawDevice(std::string dir, std::string disk, int64_t start, int64_t length)
      : dir_(std::move(dir)), disk_(std::move(disk)), start_(start), length_(length) {}
  long Read(uint64_t offset, void* buf, uint32_t bytes) override {
    return Access(offset, bytes, [&](const View& v, const ViewDisk& d, uint64_t at) {
      return ReadImage(v.machine, *d.enclosure, at, static_cast<uint8_t*>(buf), bytes);
    });
  }
  long Write(uint64_t offset, const void* buf, uint32_t bytes) override {
    return Access(offset, bytes, [&](const View& v, const ViewDisk& d, uint64_t at) {
      return WriteImage(v.machine, *d.enclosure, at, static_cast<const uint8_t*>(buf), bytes);
    });
  }
  long Geometry(DiskGeometry& out) override {
    const auto view = CurrentView(dir_);
    if (!view) return kErrorNotReady;
    return SimStorage(dir_).Geometry(Path(*view), out);
  }
  long Lock() override {
    if (!volume_) return kErrorInvalidFunction;
    locked_ = true;
    return 0;
  }
  long Dismount() override {
    if (!volume_) return kErrorInvalidFunction;
    dismounted_ = true;
    return 0;
  }
  long Unlock() override {
    if (!volume_ || !locked_) return kErrorNotSupported;
    locked_ = false;
    return 0;
  }
  bool volume_ = false;

 private:
  std::wstring Path(const View& view) const {
    for (const ViewDisk& d : view.disks) {
      if (d.disk->id == disk_) return d.interfacePath;
    }
    return L"";
  }
  template <typename F>
  long Access(uint64_t offset, uint32_t bytes, F io) {
    if (offset % kSectorSize != 0 || bytes % kSectorSize != 0) return kErrorInvalidParameter;
    if (offset + bytes > static_cast<uint64_t>(length_)) return 27;  // sector not found
    const auto view = CurrentView(dir_);
    if (!view) return kErrorNotReady;
    for (const ViewDisk& d : view->disks) {
      if (d.disk->id != disk_) continue;
      if (d.unit.locked) return kErrorNotReady;
      return io(*view, d, d.unit.firstSector * kSectorSize + static_cast<uint64_t>(start_) + offset);
    }
    return kErrorNotReady;  // the unit went away
  }
  std::string dir_;
  std::string disk_;
  int64_t start_;
  int64_t length_;
  bool locked_ = false;
  bool dismounted_ = false;
};

}  // namespace

long SimStorage::Geometry(const std::wstring& path, DiskGeometry& out) {
  const auto view = CurrentView(dir_);
  if (!view) return kErrorNotReady;
  const ViewDisk* d = DiskOf(*view, path);
  if (d == nullptr) return kErrorFileNotFound;
  if (d->unit.locked || d->bytes == 0) return kErrorNotReady;
  out = DiskGeometry{};
  out.bytesPerSector = kSectorSize;
  out.sectorsPerTrack = 63;
  out.tracksPerCylinder = 255;
  out.cylinders = std::max<int64_t>(1, static_cast<int64_t>(d->bytes / (kSectorSize * 63ull * 255ull)));
  out.mediaType = d->disk->media == Media::Fixed ? kMediaFixed : kMediaRemovable;
  return 0;
}

long SimStorage::Layout(const std::wstring& path, DriveLayout& out) {
  const auto view = CurrentView(dir_);
  if (!view) return kErrorNotReady;
  const ViewDisk* d = DiskOf(*view, path);
  if (d == nullptr) return kErrorFileNotFound;
  if (d->disk->media == Media::Cdrom) return kErrorInvalidFunction;
  if (d->unit.locked) return kErrorNotReady;
  out = d->layout;
  return 0;
}

long SimStorage::VolumeExtents(const std::wstring& path, std::vector<DiskExtent>& out) {
  const auto view = CurrentView(dir_);
  if (!view) return kErrorNotReady;
  const ViewVolume* v = view->VolumeByPath(path);
  if (v == nullptr) return view->DiskByPath(path) != nullptr ? kErrorInvalidFunction : kErrorFileNotFound;
  if (!v->mounted) return kErrorNotReady;
  out = {{v->disk->number, v->start, v->length}};
  return 0;
}

long SimStorage::VolumeNumber(const std::wstring& path, uint32_t& out) {
  const auto view = CurrentView(dir_);
  if (!view) return kErrorNotReady;
  return NumberOf(*view, path, out);
}

void SimStorage::VolumeNumbers(const std::vector<std::wstring>& paths, std::vector<long>& errors,
                               std::vector<uint32_t>& numbers) {
  const auto view = CurrentView(dir_);
  errors.assign(paths.size(), kErrorNotReady);
  numbers.assign(paths.size(), 0);
  if (!view) return;
  for (size_t i = 0; i < paths.size(); ++i) errors[i] = NumberOf(*view, paths[i], numbers[i]);
}

long SimStorage::VolumeInformation(const std::wstring& root, VolumeInfo& out) {
  const auto view = CurrentView(dir_);
  if (!view) return kErrorNotReady;
  const ViewVolume* v = view->VolumeByPath(root);
  if (v == nullptr) return kErrorFileNotFound + 1;
  if (v->disk->disk->media == Media::Cdrom && v->volume->dir.empty()) return kErrorNotReady;
  out.label = v->volume->label;
  out.fileSystem = v->volume->fileSystem;
  out.serialNumber = v->volume->serial;
  return 0;
}

long SimStorage::DiskFreeSpace(const std::wstring& root, FreeSpace& out) {
  const auto view = CurrentView(dir_);
  if (!view) return kErrorNotReady;
  Space space;
  if (long e = VolumeSpace(*view, root, space); e != 0) return e;
  out.bytesPerSector = kSectorSize;
  out.sectorsPerCluster = kBytesPerCluster / kSectorSize;
  out.totalClusters = static_cast<uint32_t>(std::min<uint64_t>(space.total / kBytesPerCluster, UINT32_MAX));
  out.freeClusters = static_cast<uint32_t>(std::min<uint64_t>(space.free / kBytesPerCluster, UINT32_MAX));
  return 0;
}

long SimStorage::DiskFreeSpaceEx(const std::wstring& root, uint64_t& totalBytes, uint64_t& freeBytes) {
  const auto view = CurrentView(dir_);
  if (!view) return kErrorNotReady;
  Space space;
  if (long e = VolumeSpace(*view, root, space); e != 0) return e;
  totalBytes = space.total;
  freeBytes = space.free;
  return 0;
}

uint32_t SimStorage::DriveType(const std::wstring& root) {
  const auto view = CurrentView(dir_);
  if (!view) return kDriveNoRootDir;
  const ViewVolume* v = view->VolumeByPath(root);
  if (v == nullptr) return kDriveNoRootDir;
  switch (v->disk->disk->media) {
    case Media::Cdrom: return kDriveCdrom;
    case Media::Removable: return kDriveRemovable;
    default: return kDriveFixed;
  }
}

std::unique_ptr<RawDevice> SimStorage::OpenRaw(const std::wstring& path, long& error) {
  const auto view = CurrentView(dir_);
  if (!view) {
    error = kErrorNotReady;
    return nullptr;
  }
  const ViewVolume* v = view->VolumeByPath(path);
  const ViewDisk* d = v != nullptr ? v->disk : view->DiskByPath(path);
  if (d == nullptr) {
    error = kErrorFileNotFound;
    return nullptr;
  }
  if (d->enclosure == nullptr) {
    error = kErrorAccessDenied;  // only the enclosures' disks have images behind them
    return nullptr;
  }
  if (d->unit.locked) {
    error = kErrorNotReady;
    return nullptr;
  }
  error = 0;
  auto raw = std::make_unique<SimRawDevice>(dir_, d->disk->id, v != nullptr ? v->start : 0,
                                            v != nullptr ? v->length : static_cast<int64_t>(d->bytes));
  raw->volume_ = v != nullptr;
  return raw;
}

}  // namespace zel::sim
