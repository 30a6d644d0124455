#include "common/disk_record.h"

#include <cstring>

#include "common/bytes.h"

namespace zel {
namespace {

template <size_t N>
void PutText(uint8_t* p, const std::array<char16_t, N>& field) {
  for (size_t i = 0; i < N; ++i) PutLe16(p + 2 * i, field[i]);
}
template <size_t N>
void GetText(const uint8_t* p, std::array<char16_t, N>& field) {
  for (size_t i = 0; i < N; ++i) field[i] = GetLe16(p + 2 * i);
}

void EncodeVolume(const VolumeEntry& v, uint8_t* p) {
  using namespace volume_offset;
  PutLe16(p + kDriveLetter, v.driveLetter);
  PutText(p + kLabel, v.label);
  PutText(p + kFileSystem, v.fileSystem);
  p[kBootFlag] = v.bootFlag;
  p[kVolumeNumber] = v.volumeNumber;
  PutLe32(p + kTotalMb, v.totalMb);
  PutLe32(p + kFreeMb, v.freeMb);
}

VolumeEntry DecodeVolume(const uint8_t* p) {
  using namespace volume_offset;
  VolumeEntry v;
  v.driveLetter = GetLe16(p + kDriveLetter);
  GetText(p + kLabel, v.label);
  GetText(p + kFileSystem, v.fileSystem);
  v.bootFlag = p[kBootFlag];
  v.volumeNumber = p[kVolumeNumber];
  v.totalMb = GetLe32(p + kTotalMb);
  v.freeMb = GetLe32(p + kFreeMb);
  return v;
}

}  // namespace

static_assert(disk_offset::kVolumes + kMaxVolumes * kVolumeEntrySize == disk_offset::kFriendlyName);
static_assert(disk_offset::kFriendlyName + 160 == disk_offset::kAspiHostAdapter);
static_assert(disk_offset::kInterfacePath + 520 == disk_offset::kVolumeInterfaceIndex);
static_assert(disk_offset::kVolumeInterfaceIndex + 2 == kDiskRecordSize);

void EncodeDiskRecord(const DiskRecord& r, uint8_t* p) {
  using namespace disk_offset;
  std::memset(p, 0, kDiskRecordSize);
  PutLe32(p + kIdentity, r.identity);
  PutLe32(p + kDeviceNode, r.deviceNode);
  PutLe32(p + kTreeItem, r.treeItem);
  p[kPresent] = r.present;
  p[13] = r.reserved13;
  PutText(p + kBusKind, r.busKind);
  PutLe64(p + kDiskSize, r.diskSize);
  PutLe16(p + kVolumeCount, r.volumeCount);
  PutLe16(p + 58, r.reserved58);
  for (size_t i = 0; i < kMaxVolumes; ++i) EncodeVolume(r.volumes[i], p + kVolumes + i * kVolumeEntrySize);
  PutText(p + kFriendlyName, r.friendlyName);
  p[kAspiHostAdapter] = r.aspiHostAdapter;
  p[kFixedMedia] = r.fixedMedia;
  PutText(p + kInterfacePath, r.interfacePath);
  p[kVolumeInterfaceIndex] = r.volumeInterfaceIndex;
  p[1959] = r.reserved1959;
}

DiskRecord DecodeDiskRecord(const uint8_t* p) {
  using namespace disk_offset;
  DiskRecord r;
  r.identity = GetLe32(p + kIdentity);
  r.deviceNode = GetLe32(p + kDeviceNode);
  r.treeItem = GetLe32(p + kTreeItem);
  r.present = p[kPresent];
  r.reserved13 = p[13];
  GetText(p + kBusKind, r.busKind);
  r.diskSize = GetLe64(p + kDiskSize);
  r.volumeCount = GetLe16(p + kVolumeCount);
  r.reserved58 = GetLe16(p + 58);
  for (size_t i = 0; i < kMaxVolumes; ++i) r.volumes[i] = DecodeVolume(p + kVolumes + i * kVolumeEntrySize);
  GetText(p + kFriendlyName, r.friendlyName);
  r.aspiHostAdapter = p[kAspiHostAdapter];
  r.fixedMedia = p[kFixedMedia];
  GetText(p + kInterfacePath, r.interfacePath);
  r.volumeInterfaceIndex = p[kVolumeInterfaceIndex];
  r.reserved1959 = p[1959];
  return r;
}

DiskList& GlobalDiskList() {
  static DiskList list;
  return list;
}

}  // namespace zel
