// The master boot record written to sector 0 of each part: our boot code with
// one active partition that starts at the head-1 boundary of cylinder 0.
#pragma once
#include <cstdint>
#include <span>

#include "common/boot_records.h"
#include "security/fat_layout.h"

namespace zel {

inline constexpr size_t kBootCodeBytes = 512;

// The boot code template assembled from security/boot/master_boot.asm: its
// partition table, disk signature and trailing signature are zero.
std::span<const uint8_t, kBootCodeBytes> MasterBootCode();

// Partition type of the part's one partition: FAT32 with LBA (0x0C) on disks
// reporting more than 32 sectors per track, FAT32 (0x0B) otherwise.
uint8_t PartitionTypeFor(uint8_t sectorsPerTrack);

// Builds the 512-byte sector for a part of `partSectors` (n) sectors:
// the template, partition 1 active from sector S to n - 1, and 55 AA.
// Requires S and H non-zero and n > S.
void BuildMasterBootRecord(uint8_t* sector, uint32_t partSectors, const TrackGeometry& geometry);

}  // namespace zel
