#include "security/fat_layout.h"

#include <chrono>
#include <cstring>

#include "common/bytes.h"

namespace zel {
namespace {

struct ClusterRow {
  uint32_t upTo;  // volume sectors, inclusive
  FatVariant variant;
  uint8_t sectorsPerCluster;
};

// First matching row wins. The FAT32 row of 532,480 is never reached: every
// volume that small is FAT16 by an earlier row.
constexpr ClusterRow kClusterRows[] = {
    {8400, FatVariant::Fat12, 1},        {32680, FatVariant::Fat16, 2},
    {262144, FatVariant::Fat16, 4},      {524288, FatVariant::Fat16, 8},
    {1048576, FatVariant::Fat16, 16},    {532480, FatVariant::Fat32, 1},
    {16777216, FatVariant::Fat32, 8},    {33554432, FatVariant::Fat32, 16},
    {67108864, FatVariant::Fat32, 32},   {0xFFFFFFFFu, FatVariant::Fat32, 64},
};

constexpr uint16_t kFixedRootEntries = 512;
constexpr uint32_t kDirEntryBytes = 32;
constexpr uint8_t kMediaFixedDisk = 0xF8;
constexpr uint8_t kDriveNumber = 0x80;
constexpr uint8_t kExtendedBootSignature = 0x29;
constexpr char kNoName[] = "NO NAME    ";

void PutText(uint8_t* p, const char* text, size_t width) { std::memcpy(p, text, width); }

bool FatCoversClusters(const FatLayout& l) {
  return uint64_t{l.fatSectors} * kSectorBytes * 8 / l.EntryBits() >= uint64_t{l.DataClusters()} + 2;
}

}  // namespace

uint32_t FatLayout::DataSectors() const {
  uint32_t used = RootDirStart() + (variant == FatVariant::Fat32 ? 0 : rootDirSectors);
  return totalSectors > used ? totalSectors - used : 0;
}

uint32_t FatLayout::EntryBits() const {
  if (variant == FatVariant::Fat32) return 32;
  return DataClusters() < 4085 ? 12 : 16;
}

FatLayout ChooseFatLayout(uint32_t totalSectors) {
  FatLayout l;
  l.totalSectors = totalSectors;
  for (const ClusterRow& row : kClusterRows) {
    if (totalSectors <= row.upTo) {
      l.variant = row.variant;
      l.sectorsPerCluster = row.sectorsPerCluster;
      break;
    }
  }
  const uint64_t spc = l.sectorsPerCluster;
  const uint64_t t = totalSectors;
  if (l.variant == FatVariant::Fat32) {
    l.reservedSectors = 32;
    l.rootEntries = 0;
    l.fatSectors = static_cast<uint32_t>((128 * spc + t - 32) / (128 * spc + 1));
    l.rootDirSectors = l.sectorsPerCluster;
  } else {
    l.reservedSectors = 1;
    l.rootEntries = kFixedRootEntries;
    l.fatSectors = static_cast<uint32_t>((256 * spc + t - 32) / (256 * spc + 2));
    l.rootDirSectors = (kFixedRootEntries * kDirEntryBytes + kSectorBytes - 1) / kSectorBytes;
    // The formula leaves out the two reserved entries, so for some sizes it
    // gives a FAT one entry short of the last cluster; one more sector
    // always covers it.
    if (!FatCoversClusters(l)) ++l.fatSectors;
  }
  return l;
}

void FillBootSector(uint8_t* s, const FatLayout& l, const TrackGeometry& g, uint32_t serial,
                    std::string_view label) {
  using namespace boot_offset;
  const bool fat32 = l.variant == FatVariant::Fat32;
  s[kJump] = 0xEB;
  s[kJump + 1] = 0x58;
  s[kJump + 2] = 0x90;
  PutText(s + kOemName, "MSWIN4.1", 8);
  PutLe16(s + kBytesPerSector, kSectorBytes);
  s[kSectorsPerCluster] = l.sectorsPerCluster;
  PutLe16(s + kReservedSectors, l.reservedSectors);
  s[kFatCount] = 2;
  PutLe16(s + kRootEntries, l.rootEntries);
  const bool small = !fat32 && l.totalSectors < 65536;
  PutLe16(s + kTotal16, small ? static_cast<uint16_t>(l.totalSectors) : 0);
  s[kMedia] = kMediaFixedDisk;
  PutLe16(s + kFatSize16, fat32 ? 0 : static_cast<uint16_t>(l.fatSectors));
  PutLe16(s + kSectorsPerTrack, g.sectorsPerTrack);
  PutLe16(s + kHeads, g.heads);
  PutLe32(s + kHiddenSectors, g.sectorsPerTrack);
  PutLe32(s + kTotal32, small ? 0 : l.totalSectors);
  if (fat32) {
    PutLe32(s + kFatSize32, l.fatSectors);
    PutLe16(s + kExtFlags, 0);
    PutLe16(s + kFsVersion, 0);
    PutLe32(s + kRootCluster, 2);
    PutLe16(s + kFsInfoSectorField, kFsInfoSector);
    PutLe16(s + kBackupBootField, kBackupBootSector);
    std::memset(s + kReserved32, 0, 12);
    s[kDrive32] = kDriveNumber;
    s[kDrive32 + 1] = 0;
    s[kBootSig32] = kExtendedBootSignature;
    PutLe32(s + kSerial32, serial);
    PutLabel(s + kLabel32, label.empty() ? kNoName : label);
    PutText(s + kFsType32, "FAT32   ", 8);
  } else {
    s[kDrive16] = kDriveNumber;
    s[kDrive16 + 1] = 0;
    s[kBootSig16] = kExtendedBootSignature;
    PutLe32(s + kSerial16, serial);
    PutLabel(s + kLabel16, label.empty() ? kNoName : label);
    PutText(s + kFsType16, l.variant == FatVariant::Fat12 ? "FAT12   " : "FAT16   ", 8);
  }
  s[kSignature] = 0x55;
  s[kSignature + 1] = 0xAA;
}

uint32_t FreshFreeClusters(const FatLayout& l) {
  uint32_t clusters = l.DataClusters();
  if (l.variant == FatVariant::Fat32 && clusters > 0) --clusters;  // the root directory
  return clusters;
}

void BuildFsInfo(uint8_t* s, const FatLayout& l) {
  using namespace fsinfo_offset;
  std::memset(s, 0, kSectorBytes);
  PutLe32(s + kLeadSig, 0x41615252);
  PutLe32(s + kStructSig, 0x61417272);
  PutLe32(s + kFreeCount, FreshFreeClusters(l));
  PutLe32(s + kNextFree, 0);
  s[kSignature] = 0x55;
  s[kSignature + 1] = 0xAA;
}

void BuildFirstFatSector(uint8_t* s, const FatLayout& l) {
  std::memset(s, 0, kSectorBytes);
  switch (l.EntryBits()) {
    case 12:
      s[0] = kMediaFixedDisk; s[1] = 0xFF; s[2] = 0xFF;
      break;
    case 16:
      // Entry 1 all ones also keeps the clean-shutdown and no-error bits set.
      PutLe16(s, 0xFF00 | kMediaFixedDisk);
      PutLe16(s + 2, 0xFFFF);
      break;
    default:
      PutLe32(s, 0x0FFFFF00 | kMediaFixedDisk);
      PutLe32(s + 4, 0x0FFFFFFF);
      PutLe32(s + 8, 0x0FFFFFFF);  // end of the root directory's chain
      break;
  }
}

void PutLabel(uint8_t* field, std::string_view label) {
  std::memset(field, ' ', 11);
  std::memcpy(field, label.data(), label.size() < 11 ? label.size() : 11);
}

void BuildLabelEntry(uint8_t* e, std::string_view label) {
  std::memset(e, 0, kDirEntryBytes);
  PutLabel(e, label);
  e[11] = 0x08;             // volume label
  PutLe16(e + 22, 0x55CF);  // 10:46:30
  PutLe16(e + 24, 0x36E9);  // 9 July 2007
}

uint32_t VolumeSerialNow() {
  using namespace std::chrono;
  // FILETIME counts 100 ns since 1601-01-01; the system clock counts from 1970.
  constexpr int64_t kEpochDelta = 116444736000000000LL;
  const int64_t ticks =
      duration_cast<nanoseconds>(system_clock::now().time_since_epoch()).count() / 100;
  return static_cast<uint32_t>(static_cast<uint64_t>(ticks + kEpochDelta));
}

}  // namespace zel
