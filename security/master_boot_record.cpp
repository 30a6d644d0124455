#include "security/master_boot_record.h"

#include <cstring>

#include "common/bytes.h"

namespace zel {

extern const uint8_t kMasterBootCode[kBootCodeBytes];  // generated from boot/master_boot.asm

std::span<const uint8_t, kBootCodeBytes> MasterBootCode() {
  return std::span<const uint8_t, kBootCodeBytes>(kMasterBootCode, kBootCodeBytes);
}

uint8_t PartitionTypeFor(uint8_t sectorsPerTrack) { return sectorsPerTrack > 32 ? 0x0C : 0x0B; }

void BuildMasterBootRecord(uint8_t* s, uint32_t n, const TrackGeometry& g) {
  using namespace mbr_offset;
  std::memcpy(s, kMasterBootCode, kBootCodeBytes);
  const uint32_t spt = g.sectorsPerTrack;
  const uint32_t heads = g.heads;
  const uint32_t last = n - 1;
  const uint32_t endCylinder = (last / (heads * spt)) & 0x3FF;
  s[kBootFlag] = 0x80;
  s[kStartHead] = 1;
  s[kStartSector] = 1;
  s[kStartCylinder] = 0;
  s[kType] = PartitionTypeFor(g.sectorsPerTrack);
  s[kEndHead] = static_cast<uint8_t>((last / spt) % heads);
  s[kEndSector] = static_cast<uint8_t>(((last % spt) + 1) | ((endCylinder >> 8) << 6));
  s[kEndCylinder] = static_cast<uint8_t>(endCylinder);
  PutLe32(s + kFirstSector, spt);
  PutLe32(s + kSectorCount, n - spt);
  s[kSignature] = 0x55;
  s[kSignature + 1] = 0xAA;
}

}  // namespace zel
