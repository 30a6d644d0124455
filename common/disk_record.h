// The disk record of the global disk list. Its 1960-byte form is stored byte
// for byte in task files, so every field sits at a fixed offset; the record is
// kept as plain fields in memory and encoded explicitly (little-endian,
// UTF-16LE texts with their terminator inside the field).
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace zel {

inline constexpr size_t kDiskRecordSize = 1960;
inline constexpr size_t kVolumeEntrySize = 76;
inline constexpr size_t kMaxDisks = 32;
inline constexpr size_t kMaxVolumes = 16;
inline constexpr uint8_t kNoAspiAdapter = 255;

// Byte offsets of the encoded disk record.
namespace disk_offset {
inline constexpr size_t kIdentity = 0, kDeviceNode = 4, kTreeItem = 8, kPresent = 12, kBusKind = 14,
                        kDiskSize = 48, kVolumeCount = 56, kVolumes = 60, kFriendlyName = 1276,
                        kAspiHostAdapter = 1436, kFixedMedia = 1437, kInterfacePath = 1438,
                        kVolumeInterfaceIndex = 1958;
}
// Byte offsets inside one encoded volume entry.
namespace volume_offset {
inline constexpr size_t kDriveLetter = 0, kLabel = 2, kFileSystem = 34, kBootFlag = 66,
                        kVolumeNumber = 67, kTotalMb = 68, kFreeMb = 72;
}

struct VolumeEntry {
  char16_t driveLetter = 0;              // upper-case letter, 0 when none
  std::array<char16_t, 16> label{};      // volume label
  std::array<char16_t, 16> fileSystem{}; // "FAT32", "NTFS", ...
  uint8_t bootFlag = 0;                  // NT fixed disks: the partition's boot indicator
  uint8_t volumeNumber = 0;              // NT fixed disks: low 8 bits of the volume number
  uint32_t totalMb = 0;
  uint32_t freeMb = 0;
  bool operator==(const VolumeEntry&) const = default;
};

struct DiskRecord {
  uint32_t identity = 0;    // partition-table signature (NT) or volume serial (98)
  uint32_t deviceNode = 0;  // device instance of the disk
  uint32_t treeItem = 0;    // the overview window's tree item; meaningless once saved
  uint8_t present = 0;      // 1 when the disk sits in a supported enclosure
  uint8_t reserved13 = 0;
  std::array<char16_t, 17> busKind{};  // Windows 98 family: "ide", "usbstor", "scsi"
  uint64_t diskSize = 0;    // bytes, NT fixed disks only
  uint16_t volumeCount = 0; // valid entries of `volumes`
  uint16_t reserved58 = 0;
  std::array<VolumeEntry, kMaxVolumes> volumes{};
  std::array<char16_t, 80> friendlyName{};
  uint8_t aspiHostAdapter = 0;
  uint8_t fixedMedia = 0;
  std::array<char16_t, 260> interfacePath{};
  uint8_t volumeInterfaceIndex = 0;
  uint8_t reserved1959 = 0;
  bool operator==(const DiskRecord&) const = default;
};

void EncodeDiskRecord(const DiskRecord& record, uint8_t* out);  // writes kDiskRecordSize bytes
DiskRecord DecodeDiskRecord(const uint8_t* in);                 // reads kDiskRecordSize bytes

// The process-wide list of the copy utility: at most 32 records, filled from 0.
struct DiskList {
  uint32_t count = 0;
  std::array<DiskRecord, kMaxDisks> disks{};
};
DiskList& GlobalDiskList();

// A fixed text field as wide text (up to its first zero) and back. Setting
// cuts the text so that the terminator still fits and zeroes the rest.
template <size_t N>
std::wstring FieldText(const std::array<char16_t, N>& field) {
  std::wstring out;
  for (char16_t c : field) {
    if (c == 0) break;
    out.push_back(static_cast<wchar_t>(c));
  }
  return out;
}
template <size_t N>
void SetFieldText(std::array<char16_t, N>& field, const std::wstring& text) {
  field.fill(0);
  for (size_t i = 0; i < text.size() && i + 1 < N; ++i) field[i] = static_cast<char16_t>(text[i]);
}

}  // namespace zel
