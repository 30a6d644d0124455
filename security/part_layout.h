// One part of the enclosure's disk (the public or the private disk to be)
// and where its structures go: the master boot record at its first sector,
// S hidden sectors, then a FAT volume of n - S sectors.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "security/fat_layout.h"

namespace zel {

struct PartPlan {
  uint64_t firstSector = 0;          // B, on the whole disk
  uint32_t sectors = 0;              // n
  std::optional<std::string> label;  // volume label entry, when one applies
};

// Sectors of a run of zeroing writes: the formatter zeroes in writes of four
// sectors, so the last write may reach up to three sectors past the region.
inline constexpr uint32_t kZeroWriteSectors = 4;
inline uint64_t ZeroRunSectors(uint64_t sectors) {
  return (sectors + kZeroWriteSectors - 1) / kZeroWriteSectors * kZeroWriteSectors;
}

// The volume of a part and the sectors its format writes, relative to B.
struct PartExtent {
  FatLayout layout;
  uint64_t volumeStart = 0;  // S
  uint64_t writeEnd = 0;     // one past the last sector any write touches
};

// Where the part's structures go. Empty when the part cannot hold them:
// n not above S, no data cluster left after the reserved area, the FATs and
// the root directory, or a zeroing write that would run past the part.
std::optional<PartExtent> PlanPartExtent(uint32_t partSectors, const TrackGeometry& geometry);

}  // namespace zel
