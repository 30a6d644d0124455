// The byte layouts of a disk's first sectors: the master boot record with its
// partition table, the FAT boot sector (BPB and its extensions) and the FAT32
// FSInfo sector. The formatter, the partition table reader and the simulated
// machine's image writer all place and read their fields at these offsets.
#pragma once
#include <cstddef>
#include <cstdint>

namespace zel {

// The master boot record.
namespace mbr_offset {
inline constexpr size_t kDiskSignature = 440, kEntry1 = 446, kBootFlag = 446, kStartHead = 447,
                        kStartSector = 448, kStartCylinder = 449, kType = 450, kEndHead = 451,
                        kEndSector = 452, kEndCylinder = 453, kFirstSector = 454,
                        kSectorCount = 458, kEntry2 = 462, kSignature = 510;
}
// A 16-byte partition table entry, from its own start; the table holds four
// from mbr_offset::kEntry1.
namespace mbr_entry_offset {
inline constexpr size_t kBootFlag = 0, kType = 4, kFirstSector = 8, kSectorCount = 12;
inline constexpr size_t kSize = 16, kCount = 4;
}
// Bytes 510 and 511 of a master boot record, a boot sector and an FSInfo
// sector.
inline constexpr uint8_t kSectorMark0 = 0x55, kSectorMark1 = 0xAA;
inline constexpr uint8_t kActivePartition = 0x80;

// The boot sector.
namespace boot_offset {
inline constexpr size_t kJump = 0, kOemName = 3, kBytesPerSector = 11, kSectorsPerCluster = 13,
                        kReservedSectors = 14, kFatCount = 16, kRootEntries = 17, kTotal16 = 19,
                        kMedia = 21, kFatSize16 = 22, kSectorsPerTrack = 24, kHeads = 26,
                        kHiddenSectors = 28, kTotal32 = 32, kSignature = 510;
// FAT12 and FAT16.
inline constexpr size_t kDrive16 = 36, kBootSig16 = 38, kSerial16 = 39, kLabel16 = 43,
                        kFsType16 = 54;
// FAT32.
inline constexpr size_t kFatSize32 = 36, kExtFlags = 40, kFsVersion = 42, kRootCluster = 44,
                        kFsInfoSectorField = 48, kBackupBootField = 50, kReserved32 = 52,
                        kDrive32 = 64, kBootSig32 = 66, kSerial32 = 67, kLabel32 = 71,
                        kFsType32 = 82;
}  // namespace boot_offset

// The FSInfo sector of a FAT32 volume.
namespace fsinfo_offset {
inline constexpr size_t kLeadSig = 0, kStructSig = 484, kFreeCount = 488, kNextFree = 492,
                        kSignature = 510;
}

}  // namespace zel
