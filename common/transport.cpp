#include "common/transport.h"

#include <string>

#include "common/disk_record.h"
#include "common/scsi_send.h"
#include "common/vendor_protocol.h"

namespace zel {
namespace {

std::wstring VolumePath(wchar_t driveLetter) {
  std::wstring path = L"\\\\.\\?:";
  path[4] = driveLetter;
  return path;
}

VendorCommand StatusRead() {
  VendorCommand c;
  c.cdb[0] = kOpReadButtonStatus;
  c.direction = DataDirection::In;
  c.dataLength = 1;
  c.dataRoom = kOneByteRoom;
  return c;
}

VendorCommand StatusWrite() {
  VendorCommand c;
  c.cdb[0] = kOpWriteButtonStatus;
  c.direction = DataDirection::Out;
  c.dataLength = 1;
  c.dataRoom = kOneByteRoom;
  c.sendWhole = true;
  return c;
}

}  // namespace

ScsiTarget ButtonReadTarget(uint32_t diskIndex) {
  const DiskList& list = GlobalDiskList();
  if (diskIndex >= kMaxDisks) return {};
  const DiskRecord& disk = list.disks[diskIndex];
  if (Ports().family == SystemFamily::Win98) return ScsiTarget::Aspi(disk.aspiHostAdapter);
  if (diskIndex >= list.count) return {};
  return ScsiTarget::Interface(FieldText(disk.interfacePath), true);
}

ScsiTarget ButtonWriteTarget(uint32_t diskIndex) {
  if (diskIndex >= kMaxDisks) return {};
  const DiskRecord& disk = GlobalDiskList().disks[diskIndex];
  if (Ports().family == SystemFamily::Win98) return ScsiTarget::Aspi(disk.aspiHostAdapter, true);
  // A disk without a lettered first volume has no path for the write.
  if (disk.volumes[0].driveLetter == 0) return {};
  return ScsiTarget::Interface(VolumePath(static_cast<wchar_t>(disk.volumes[0].driveLetter)), false);
}

uint8_t ReadButtonStatusAt(const ScsiTarget& target) {
  uint8_t status = 0xFF;
  if (!SendScsi(target, StatusRead(), &status)) return 0xFF;
  return status;
}

void WriteButtonStatusAt(const ScsiTarget& target, uint8_t value) { SendScsi(target, StatusWrite(), &value); }

uint8_t ReadButtonStatus(uint32_t diskIndex) {
  const DiskList& list = GlobalDiskList();
  if (diskIndex >= kMaxDisks || diskIndex >= list.count) return 0xFF;
  return ReadButtonStatusAt(ScsiTarget::Interface(FieldText(list.disks[diskIndex].interfacePath), true));
}

uint8_t ReadButtonStatusAspi(uint8_t hostAdapter) { return ReadButtonStatusAt(ScsiTarget::Aspi(hostAdapter)); }

void WriteButtonStatus(wchar_t driveLetter, uint8_t value) {
  WriteButtonStatusAt(ScsiTarget::Interface(VolumePath(driveLetter), false), value);
}

void WriteButtonStatusAspi(uint8_t hostAdapter, uint8_t value) {
  WriteButtonStatusAt(ScsiTarget::Aspi(hostAdapter, true), value);
}

bool ReadBridgeRegister(wchar_t driveLetter, uint8_t sub, uint16_t address, uint16_t n,
                        uint8_t* destination) {
  return ReadBridgeRegisterAt(VolumePath(driveLetter), false, sub, address, n, destination);
}

bool ReadBridgeRegisterAt(const std::wstring& path, bool overlapped, uint8_t sub, uint16_t address, uint16_t n,
                          uint8_t* destination) {
  VendorCommand c;
  c.cdb = {kOpReadBridgeRegister, sub, static_cast<uint8_t>(address >> 8), static_cast<uint8_t>(address),
           static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n)};
  c.direction = DataDirection::In;
  c.dataLength = n;
  c.dataRoom = n;
  return SendScsi(ScsiTarget::Interface(path, overlapped), c, destination);
}

bool WriteBridgeRegister(wchar_t driveLetter, uint8_t sub, uint16_t address, uint8_t parameter,
                         uint8_t value) {
  VendorCommand c;
  c.cdb = {kOpWriteBridgeRegister, sub, static_cast<uint8_t>(address >> 8), static_cast<uint8_t>(address), parameter};
  c.direction = DataDirection::Out;
  c.dataLength = 1;
  c.dataRoom = kOneByteRoom;
  c.sendWhole = true;
  return SendScsi(ScsiTarget::Interface(VolumePath(driveLetter), false), c, &value);
}

}  // namespace zel
