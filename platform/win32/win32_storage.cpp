#include <windows.h>
// After windows.h:
#include <winioctl.h>

#include <array>

#include "common/bytes.h"
#include "platform/win32/win32_device_ports.h"
#include "platform/win32/win32_handles.h"

namespace zel::win32 {
namespace {

// The control codes and the byte layouts of their answers.
constexpr DWORD kGetDriveGeometry = 0x70000, kGetDriveLayout = 0x7400C, kGetVolumeDiskExtents = 0x560000,
                kQueryVolumeNumber = 0x56001C;
static_assert(IOCTL_DISK_GET_DRIVE_GEOMETRY == kGetDriveGeometry);
static_assert(IOCTL_DISK_GET_DRIVE_LAYOUT == kGetDriveLayout);
static_assert(IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS == kGetVolumeDiskExtents);
static_assert(IOCTL_VOLUME_QUERY_VOLUME_NUMBER == kQueryVolumeNumber);

namespace geometry_offset {
constexpr size_t kCylinders = 0, kMediaType = 8, kTracksPerCylinder = 12, kSectorsPerTrack = 16,
                 kBytesPerSector = 20, kSize = 24;
}
namespace layout_offset {
constexpr size_t kPartitionCount = 0, kSignature = 4, kEntries = 8, kEntrySize = 32, kMaxEntries = 65;
constexpr size_t kStart = 0, kLength = 8, kHidden = 16, kNumber = 20, kType = 24, kBoot = 25, kRecognized = 26,
                 kRewrite = 27;
constexpr size_t kSize = kEntries + kMaxEntries * kEntrySize;  // 2088
constexpr DWORD kInputLength = 40;
}
namespace extents_offset {
constexpr size_t kCount = 0, kFirst = 8, kDiskNumber = 0, kStart = 8, kLength = 16, kSize = 32;
}
constexpr size_t kVolumeNumberSize = 20;
static_assert(sizeof(DISK_GEOMETRY) == geometry_offset::kSize);
static_assert(sizeof(PARTITION_INFORMATION) == layout_offset::kEntrySize);
static_assert(offsetof(DRIVE_LAYOUT_INFORMATION, PartitionEntry) == layout_offset::kEntries);
static_assert(sizeof(VOLUME_DISK_EXTENTS) == extents_offset::kSize);

// One storage request on a path opened for it alone.
template <size_t N>
long Request(const std::wstring& path, DWORD code, std::array<uint8_t, N>& answer, DWORD inLength = 0) {
  KernelHandle device(OpenDevice(path, true));
  if (!device) return static_cast<long>(GetLastError());
  answer.fill(0);
  return Control(device.get(), true, code, inLength > 0 ? answer.data() : nullptr, inLength, answer.data(),
                 static_cast<DWORD>(N));
}

void DecodeGeometry(const uint8_t* b, DiskGeometry& out) {
  using namespace geometry_offset;
  out.cylinders = static_cast<int64_t>(GetLe64(b + kCylinders));
  out.mediaType = GetLe32(b + kMediaType);
  out.tracksPerCylinder = GetLe32(b + kTracksPerCylinder);
  out.sectorsPerTrack = GetLe32(b + kSectorsPerTrack);
  out.bytesPerSector = GetLe32(b + kBytesPerSector);
}

class Win32RawDevice : public RawDevice {
 public:
  explicit Win32RawDevice(HANDLE h) : device_(h) {}
  long Read(uint64_t offset, void* buf, uint32_t bytes) override {
    if (!Seek(offset)) return static_cast<long>(GetLastError());
    DWORD done = 0;
    if (!ReadFile(device_.get(), buf, bytes, &done, nullptr)) return static_cast<long>(GetLastError());
    return done == bytes ? 0 : ERROR_HANDLE_EOF;
  }
  long Write(uint64_t offset, const void* buf, uint32_t bytes) override {
    if (!Seek(offset)) return static_cast<long>(GetLastError());
    DWORD done = 0;
    if (!WriteFile(device_.get(), buf, bytes, &done, nullptr)) return static_cast<long>(GetLastError());
    return done == bytes ? 0 : ERROR_HANDLE_DISK_FULL;
  }
  long Geometry(DiskGeometry& out) override {
    std::array<uint8_t, geometry_offset::kSize> answer{};
    if (long e = Control(device_.get(), false, kGetDriveGeometry, nullptr, 0, answer.data(),
                         static_cast<DWORD>(answer.size()));
        e != 0) {
      return e;
    }
    DecodeGeometry(answer.data(), out);
    return 0;
  }
  long Lock() override { return Fs(FSCTL_LOCK_VOLUME); }
  long Dismount() override { return Fs(FSCTL_DISMOUNT_VOLUME); }
  long Unlock() override { return Fs(FSCTL_UNLOCK_VOLUME); }

 private:
  bool Seek(uint64_t offset) {
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(offset);
    return SetFilePointerEx(device_.get(), at, nullptr, FILE_BEGIN) != 0;
  }
  long Fs(DWORD code) { return Control(device_.get(), false, code, nullptr, 0, nullptr, 0); }
  KernelHandle device_;
};

}  // namespace

long Win32Storage::Geometry(const std::wstring& path, DiskGeometry& out) {
  std::array<uint8_t, geometry_offset::kSize> answer{};
  if (long e = Request(path, kGetDriveGeometry, answer, geometry_offset::kSize); e != 0) return e;
  DecodeGeometry(answer.data(), out);
  return 0;
}

long Win32Storage::Layout(const std::wstring& path, DriveLayout& out) {
  using namespace layout_offset;
  std::array<uint8_t, kSize> answer{};
  if (long e = Request(path, kGetDriveLayout, answer, kInputLength); e != 0) return e;
  out = DriveLayout{};
  out.signature = GetLe32(answer.data() + kSignature);
  const uint32_t count = std::min<uint32_t>(GetLe32(answer.data() + kPartitionCount), kMaxEntries);
  for (uint32_t i = 0; i < count; ++i) {
    const uint8_t* e = answer.data() + kEntries + i * kEntrySize;
    PartitionInfo p;
    p.startingOffset = static_cast<int64_t>(GetLe64(e + kStart));
    p.partitionLength = static_cast<int64_t>(GetLe64(e + kLength));
    p.hiddenSectors = GetLe32(e + kHidden);
    p.partitionNumber = GetLe32(e + kNumber);
    p.partitionType = e[kType];
    p.bootIndicator = e[kBoot] != 0;
    p.recognizedPartition = e[kRecognized] != 0;
    p.rewritePartition = e[kRewrite] != 0;
    out.partitions.push_back(p);
  }
  return 0;
}

long Win32Storage::VolumeExtents(const std::wstring& path, std::vector<DiskExtent>& out) {
  using namespace extents_offset;
  std::array<uint8_t, kSize> answer{};
  if (long e = Request(path, kGetVolumeDiskExtents, answer, kSize); e != 0) return e;
  out.clear();
  if (GetLe32(answer.data() + kCount) == 0) return 0;
  const uint8_t* e = answer.data() + kFirst;
  out.push_back({GetLe32(e + kDiskNumber), static_cast<int64_t>(GetLe64(e + kStart)),
                 static_cast<int64_t>(GetLe64(e + kLength))});
  return 0;
}

long Win32Storage::VolumeNumber(const std::wstring& path, uint32_t& out) {
  std::array<uint8_t, kVolumeNumberSize> answer{};
  if (long e = Request(path, kQueryVolumeNumber, answer, kVolumeNumberSize); e != 0) return e;
  out = GetLe32(answer.data());
  return 0;
}

long Win32Storage::VolumeInformation(const std::wstring& root, VolumeInfo& out) {
  wchar_t label[17] = {}, fileSystem[17] = {};
  DWORD serial = 0, maxComponent = 0, flags = 0;
  if (!GetVolumeInformationW(root.c_str(), label, 17, &serial, &maxComponent, &flags, fileSystem, 17)) {
    return static_cast<long>(GetLastError());
  }
  out.label = label;
  out.fileSystem = fileSystem;
  out.serialNumber = serial;
  return 0;
}

long Win32Storage::DiskFreeSpace(const std::wstring& root, FreeSpace& out) {
  DWORD spc = 0, bps = 0, freeClusters = 0, totalClusters = 0;
  if (!GetDiskFreeSpaceW(root.c_str(), &spc, &bps, &freeClusters, &totalClusters)) {
    return static_cast<long>(GetLastError());
  }
  out = {spc, bps, freeClusters, totalClusters};
  return 0;
}

long Win32Storage::DiskFreeSpaceEx(const std::wstring& root, uint64_t& totalBytes, uint64_t& freeBytes) {
  ULARGE_INTEGER available, total, free;
  if (!GetDiskFreeSpaceExW(root.c_str(), &available, &total, &free)) return static_cast<long>(GetLastError());
  totalBytes = total.QuadPart;
  freeBytes = free.QuadPart;
  return 0;
}

uint32_t Win32Storage::DriveType(const std::wstring& root) { return GetDriveTypeW(root.c_str()); }

std::unique_ptr<RawDevice> Win32Storage::OpenRaw(const std::wstring& path, long& error) {
  HANDLE h = OpenDevice(path, false);
  if (h == INVALID_HANDLE_VALUE) {
    error = static_cast<long>(GetLastError());
    return nullptr;
  }
  error = 0;
  return std::make_unique<Win32RawDevice>(h);
}

}  // namespace zel::win32
