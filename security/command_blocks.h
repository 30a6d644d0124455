// The requests of the security commands: command block, direction, data
// length, and the room of each request buffer (on the 32-bit layout the
// buffers are 62 bytes of header and sense area plus this room), with the
// data blocks they carry.
#pragma once
#include <array>
#include <cstdint>

#include "common/pass_through.h"
#include "common/vendor_protocol.h"
#include "security/password_block.h"

namespace zel {

// The status query has two buffer sizes: the Lock/Unlock button's (64 bytes
// on the 32-bit layout) and everybody else's (68).
enum class StatusQuery { LockButton, Display };

VendorCommand ReadSecurityStatusRequest(StatusQuery query);
VendorCommand SetPartitionSizeRequest();
VendorCommand EraseDiskRequest();
VendorCommand ChangePasswordRequest();
VendorCommand LockDiskRequest();
VendorCommand UnlockDiskRequest();
VendorCommand ReadCapacityRequest();

// E6's data: the public size in sectors, most significant byte first.
std::array<uint8_t, 4> PartitionSizeData(uint32_t publicSectors);
// E8's data: the old block, then the new block.
std::array<uint8_t, 24> ChangePasswordData(const PasswordBlock& oldBlock,
                                           const PasswordBlock& newBlock);
// READ CAPACITY's reply: bytes 0..3, the last block address, big-endian.
uint32_t LastBlockAddress(const std::array<uint8_t, 8>& reply);

}  // namespace zel
