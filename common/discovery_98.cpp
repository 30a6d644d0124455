// Discovery on the Windows 98 family: the configuration manager's ESDI
// (IDE), SCSI and USB enumerators, the drive letters kept in each disk's
// CurrentDriveLetterAssignment, and the enclosure as the SCSI disk's USB
// grandparent.
#include <algorithm>

#include "common/aspi.h"
#include "common/discovery.h"
#include "common/hardware_list.h"
#include "common/text.h"

namespace zel {
namespace {

using discovery::VolumeRoot;

// This family reads device texts as 8-bit characters; an 8-bit buffer of n
// bytes holds what takes 2n bytes as UTF-16 through the device-tree port.
constexpr uint32_t kDescriptionBytes = 64 * 2, kUsbIdBytes = 80 * 2, kScsiIdBytes = 260 * 2;

bool Contains(const std::vector<DevInst>& list, DevInst inst) {
  return std::find(list.begin(), list.end(), inst) != list.end();
}

std::string Letters(DevInst inst) {
  std::vector<uint8_t> value;
  if (Ports().deviceTree->HardwareKeyValue(inst, L"CurrentDriveLetterAssignment", 16, value) != 0) return {};
  std::string letters;
  for (uint8_t b : value) {
    if (b == 0) break;
    letters.push_back(static_cast<char>(std::toupper(b)));
  }
  return letters;
}

// Fills one record from a disk of an enumerator list; false when it is to
// be skipped (its first letter is a CD-ROM drive). `failure` receives the
// error of a free-space query when `stopOnFreeSpace` is set.
bool FillRecord(DevInst inst, DiskRecord& record, const std::vector<DevInst>& usbDevices, bool scsi, long& failure) {
  DeviceTreePort* tree = Ports().deviceTree;
  StoragePort* storage = Ports().storage;
  record = DiskRecord{};
  const std::string letters = Letters(inst);
  if (!letters.empty()) {
    const wchar_t first = static_cast<wchar_t>(letters[0]);
    if (storage->DriveType(VolumeRoot(first)) == kDriveCdrom) return false;
    record.deviceNode = inst;
    SetFieldText(record.busKind, scsi ? L"scsi" : L"ide");
    VolumeInfo firstInfo;
    if (storage->VolumeInformation(VolumeRoot(first), firstInfo) == 0) record.identity = firstInfo.serialNumber;
    if (scsi) {
      DevInst parent = 0, grandparent = 0;
      if (tree->Parent(inst, parent) == 0 && tree->Parent(parent, grandparent) == 0 &&
          Contains(usbDevices, grandparent)) {
        SetFieldText(record.busKind, L"usbstor");
        std::wstring usbId;
        if (tree->Property(grandparent, DeviceProperty::HardwareId, kUsbIdBytes, usbId) && MatchHardwareId(usbId)) {
          record.present = 1;
          record.aspiHostAdapter = ResolveAspiHostAdapter(static_cast<char>(first));
          if (record.aspiHostAdapter == kNoAspiAdapter) {
            std::wstring scsiId;
            if (tree->Property(inst, DeviceProperty::HardwareId, kScsiIdBytes, scsiId)) {
              record.aspiHostAdapter = ResolveAspiHostAdapterById(WideToAnsi(scsiId), static_cast<char>(first));
            }
          }
        }
      }
    }
    const size_t n = std::min(letters.size(), kMaxVolumes);
    record.volumeCount = static_cast<uint16_t>(n);
    for (size_t k = 0; k < n; ++k) {
      VolumeEntry& entry = record.volumes[k];
      const wchar_t letter = static_cast<wchar_t>(letters[k]);
      entry.driveLetter = static_cast<char16_t>(letter);
      VolumeInfo info;
      if (storage->VolumeInformation(VolumeRoot(letter), info) == 0) {
        // 8-bit texts of up to 16 bytes on this family.
        SetFieldText(entry.label, info.label.substr(0, 16));
        SetFieldText(entry.fileSystem, info.fileSystem.substr(0, 16));
      }
      uint64_t total = 0, free = 0;
      if (long error = storage->DiskFreeSpaceEx(VolumeRoot(letter), total, free); error != 0) {
        if (scsi) {
          failure = error;
          return true;
        }
        continue;
      }
      entry.totalMb = static_cast<uint32_t>(total >> 20);
      entry.freeMb = static_cast<uint32_t>(free >> 20);
    }
  }
  std::wstring description;
  if (tree->Property(inst, DeviceProperty::DeviceDesc, kDescriptionBytes, description)) {
    SetFieldText(record.friendlyName, description.substr(0, 64));
  }
  return true;
}

}  // namespace

long Discover98(DiskList& list) {
  list.count = 0;
  Platform& ports = Ports();
  if (ports.deviceTree == nullptr || ports.storage == nullptr) return 1;
  DeviceTreePort* tree = ports.deviceTree;
  const std::vector<DevInst> ide = tree->EnumeratorDevices(L"ESDI", kMaxInterfaces);
  const std::vector<DevInst> scsi = tree->EnumeratorDevices(L"SCSI", kMaxInterfaces);
  const std::vector<DevInst> usb = tree->EnumeratorDevices(L"USB", kMaxInterfaces);
  for (int pass = 0; pass < 2; ++pass) {
    for (DevInst inst : pass == 0 ? ide : scsi) {
      if (list.count >= kMaxDisks) return 0;
      long failure = 0;
      if (!FillRecord(inst, list.disks[list.count], usb, pass == 1, failure)) {
        list.disks[list.count] = DiskRecord{};
        continue;
      }
      if (failure != 0) return failure;
      ++list.count;
    }
  }
  return 0;
}

}  // namespace zel
