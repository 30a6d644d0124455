#include "common/mbr_layout.h"

#include "common/boot_records.h"
#include "common/bytes.h"

namespace zel {
bool RecognizedPartitionType(uint8_t type) {
  return type != 0 && type != 0x05 && type != 0x0F && type != 0x85 && type != 0xEE;  // 0xEE: GPT protective
}

void ParseMbrLayout(const uint8_t* sector, DriveLayout& out) {
  out = DriveLayout{};
  using namespace mbr_entry_offset;
  if (sector[mbr_offset::kSignature] != kSectorMark0 || sector[mbr_offset::kSignature + 1] != kSectorMark1) return;
  out.signature = GetLe32(sector + mbr_offset::kDiskSignature);
  for (size_t i = 0; i < kCount; ++i) {
    const uint8_t* e = sector + mbr_offset::kEntry1 + kSize * i;
    if (e[kType] == 0) continue;
    PartitionInfo p;
    p.bootIndicator = e[kBootFlag] == kActivePartition;
    p.partitionType = e[kType];
    p.hiddenSectors = GetLe32(e + kFirstSector);
    p.startingOffset = static_cast<int64_t>(GetLe32(e + kFirstSector)) * 512;
    p.partitionLength = static_cast<int64_t>(GetLe32(e + kSectorCount)) * 512;
    p.partitionNumber = static_cast<uint32_t>(out.partitions.size() + 1);
    p.recognizedPartition = RecognizedPartitionType(e[kType]);
    out.partitions.push_back(p);
  }
}

}  // namespace zel
