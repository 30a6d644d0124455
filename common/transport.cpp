#include "common/transport.h"

#include <string>

#include "common/aspi.h"
#include "common/disk_record.h"
#include "common/pass_through.h"
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

uint8_t ReadButtonStatus(uint32_t diskIndex) {
  const DiskList& list = GlobalDiskList();
  if (diskIndex >= kMaxDisks || diskIndex >= list.count) return 0xFF;
  const std::wstring path = FieldText(list.disks[diskIndex].interfacePath);
  if (path.empty()) return 0xFF;
  uint8_t status = 0xFF;
  if (!SendVendorCommand(path, true, StatusRead(), &status)) return 0xFF;
  return status;
}

uint8_t ReadButtonStatusAspi(uint8_t hostAdapter) {
  VendorCommand c = StatusRead();
  uint8_t status = 0xFF;
  if (!AspiExecute(hostAdapter, c, &status, AspiNoEvent::Fail)) return 0xFF;
  return status;
}

void WriteButtonStatus(wchar_t driveLetter, uint8_t value) {
  SendVendorCommand(VolumePath(driveLetter), false, StatusWrite(), &value);
}

void WriteButtonStatusAspi(uint8_t hostAdapter, uint8_t value) {
  AspiExecute(hostAdapter, StatusWrite(), &value, AspiNoEvent::Poll);
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
  return SendVendorCommand(path, overlapped, c, destination);
}

bool WriteBridgeRegister(wchar_t driveLetter, uint8_t sub, uint16_t address, uint8_t parameter,
                         uint8_t value) {
  VendorCommand c;
  c.cdb = {kOpWriteBridgeRegister, sub, static_cast<uint8_t>(address >> 8), static_cast<uint8_t>(address), parameter};
  c.direction = DataDirection::Out;
  c.dataLength = 1;
  c.dataRoom = kOneByteRoom;
  c.sendWhole = true;
  return SendVendorCommand(VolumePath(driveLetter), false, c, &value);
}

}  // namespace zel
