#include "platform/mbr_layout.h"

namespace zel {
namespace {

uint32_t Le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}

}  // namespace

bool RecognizedPartitionType(uint8_t type) {
  return type != 0 && type != 0x05 && type != 0x0F && type != 0x85 && type != 0xEE;  // 0xEE: GPT protective
}

void ParseMbrLayout(const uint8_t* sector, DriveLayout& out) {
  out = DriveLayout{};
  if (sector[510] != 0x55 || sector[511] != 0xAA) return;
  out.signature = Le32(sector + 440);
  for (int i = 0; i < 4; ++i) {
    const uint8_t* e = sector + 446 + 16 * i;
    if (e[4] == 0) continue;
    PartitionInfo p;
    p.bootIndicator = e[0] == 0x80;
    p.partitionType = e[4];
    p.hiddenSectors = Le32(e + 8);
    p.startingOffset = static_cast<int64_t>(Le32(e + 8)) * 512;
    p.partitionLength = static_cast<int64_t>(Le32(e + 12)) * 512;
    p.partitionNumber = static_cast<uint32_t>(out.partitions.size() + 1);
    p.recognizedPartition = RecognizedPartitionType(e[4]);
    out.partitions.push_back(p);
  }
}

}  // namespace zel
