#include "security/command_blocks.h"

#include <algorithm>

#include "common/bytes.h"

namespace zel {
namespace {

VendorCommand Request(uint8_t op, DataDirection direction, uint32_t length, uint32_t room,
                      bool sendWhole) {
  VendorCommand c;
  c.cdb[0] = op;
  c.direction = direction;
  c.dataLength = length;
  c.dataRoom = room;
  c.sendWhole = sendWhole;
  return c;
}

}  // namespace

// Commands that move no data still say "data in".
VendorCommand ReadSecurityStatusRequest(StatusQuery query) {
  return Request(kOpReadSecurityStatus, DataDirection::In, 1,
                 query == StatusQuery::LockButton ? kOneByteRoom : kStatusDisplayRoom, false);
}
VendorCommand SetPartitionSizeRequest() {
  return Request(kOpSetPartitionSize, DataDirection::Out, 4, kStatusDisplayRoom, true);
}
VendorCommand EraseDiskRequest() { return Request(kOpEraseDisk, DataDirection::In, 0, kOneByteRoom, true); }
VendorCommand ChangePasswordRequest() {
  return Request(kOpChangePassword, DataDirection::Out, 24, kChangePasswordRoom, true);
}
VendorCommand LockDiskRequest() { return Request(kOpLockDisk, DataDirection::In, 0, kOneByteRoom, true); }
VendorCommand UnlockDiskRequest() {
  return Request(kOpUnlockDisk, DataDirection::Out, 12, kUnlockRoom, true);
}
VendorCommand ReadCapacityRequest() {
  return Request(kOpReadCapacity, DataDirection::In, 8, kReadCapacityRoom, false);
}

std::array<uint8_t, 4> PartitionSizeData(uint32_t publicSectors) {
  std::array<uint8_t, 4> d;
  PutBe32(d.data(), publicSectors);
  return d;
}

std::array<uint8_t, 24> ChangePasswordData(const PasswordBlock& oldBlock,
                                           const PasswordBlock& newBlock) {
  std::array<uint8_t, 24> d;
  std::copy(oldBlock.begin(), oldBlock.end(), d.begin());
  std::copy(newBlock.begin(), newBlock.end(), d.begin() + kPasswordBytes);
  return d;
}

uint32_t LastBlockAddress(const std::array<uint8_t, 8>& reply) { return GetBe32(reply.data()); }

}  // namespace zel
