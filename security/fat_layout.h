// The FAT12/16/32 structures the security tool writes when it formats a part
// of the enclosure's disk: choice of variant and cluster size, FAT size, the
// boot sector fields, the FSInfo sector, the first FAT sector and the volume
// label entry. All counts are 512-byte sectors.
#pragma once
#include <cstdint>
#include <string_view>

#include "common/boot_records.h"

namespace zel {

inline constexpr uint32_t kSectorBytes = 512;

enum class FatVariant : uint8_t { Fat12, Fat16, Fat32 };

// The sector numbers inside a FAT32 volume's reserved area.
inline constexpr uint32_t kFsInfoSector = 1, kBackupBootSector = 6, kBackupFsInfoSector = 7;

// How a volume of `totalSectors` is laid out.
struct FatLayout {
  FatVariant variant = FatVariant::Fat12;
  uint32_t totalSectors = 0;       // T: sectors of the volume
  uint8_t sectorsPerCluster = 0;
  uint16_t reservedSectors = 0;    // 1, or 32 for FAT32
  uint16_t rootEntries = 0;        // 512, or 0 for FAT32
  uint32_t fatSectors = 0;         // one FAT
  uint32_t rootDirSectors = 0;     // fixed root directory, or one cluster for FAT32

  uint32_t FirstFatSector() const { return reservedSectors; }
  uint32_t RootDirStart() const { return reservedSectors + 2 * fatSectors; }
  // Data sectors after the reserved area, the FATs and a fixed root directory.
  uint32_t DataSectors() const;
  uint32_t DataClusters() const { return DataSectors() / sectorsPerCluster; }
  // Width of a FAT entry as every system reads the volume: decided by the
  // cluster count alone, so a FAT12 volume of 4085 clusters or more is read
  // with 16-bit entries.
  uint32_t EntryBits() const;
};

// Variant, cluster size and FAT size for a volume of T sectors (T > 0).
FatLayout ChooseFatLayout(uint32_t totalSectors);

// Geometry values the boot records carry (low byte of each, as reported).
struct TrackGeometry {
  uint8_t heads = 0;            // H, tracks per cylinder
  uint8_t sectorsPerTrack = 0;  // S, also the hidden sectors before each volume
};

// Sets the boot sector fields of `sector` (512 bytes) for `layout`; every
// other byte keeps what the buffer held. The label field holds `label` (the
// same text as the root directory's label entry) or "NO NAME    ".
void FillBootSector(uint8_t* sector, const FatLayout& layout, const TrackGeometry& geometry,
                    uint32_t serialNumber, std::string_view label = {});

// The FSInfo sector of a FAT32 volume (512 bytes, fully written).
void BuildFsInfo(uint8_t* sector, const FatLayout& layout);
// Free clusters a freshly formatted volume has: every data cluster except
// the root directory's on FAT32.
uint32_t FreshFreeClusters(const FatLayout& layout);

// The first sector of each FAT with the media entries (512 bytes, fully
// written), at the volume's entry width.
void BuildFirstFatSector(uint8_t* sector, const FatLayout& layout);

// The volume label entry of the root directory (32 bytes, fully written):
// the label cut to 11 characters and filled with spaces.
void BuildLabelEntry(uint8_t* entry, std::string_view label);
// The 11 bytes of a label field: cut to 11 characters, filled with spaces.
void PutLabel(uint8_t* field, std::string_view label);

// The volume serial number for a boot sector built now: the low 32 bits of
// the current UTC time as a FILETIME.
uint32_t VolumeSerialNow();

}  // namespace zel
