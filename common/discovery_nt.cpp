// Discovery on the NT family: device interfaces of disks, volumes and
// CD-ROMs, disk geometry and partition layouts, drive letters by volume
// number and through the mounted-device table, enclosures by USB hardware
// identifier.
#include <algorithm>
#include <array>
#include <cwctype>

#include "common/discovery.h"
#include "common/hardware_list.h"
#include "common/text.h"

namespace zel {
namespace {

using discovery::VolumeDevice;
using discovery::VolumeRoot;

void ReadLabel(wchar_t letter, VolumeEntry& entry, bool& ok) {
  VolumeInfo info;
  ok = Ports().storage->VolumeInformation(VolumeRoot(letter), info) == 0;
  SetFieldText(entry.label, ok ? info.label : std::wstring());
  SetFieldText(entry.fileSystem, ok ? info.fileSystem : std::wstring());
}

void ReadFriendlyName(DevInst inst, DiskRecord& record) {
  std::wstring name;
  if (Ports().deviceTree->Property(inst, DeviceProperty::FriendlyName, kFriendlyNameBytes, name)) {
    SetFieldText(record.friendlyName, name.substr(0, kFriendlyNameBytes / 2 - 1));
  }
}

}  // namespace

namespace discovery {

// The mounted-device table: the letter of the volume whose name-space path
// equals `interfacePath` (both compared upper-cased from their fifth
// character), or 0.
wchar_t MountedDeviceLetter(const std::wstring& interfacePath) {
  RegistryPort* registry = Ports().registry;
  std::vector<RegValue> values;
  if (registry == nullptr || registry->EnumValues(RegRoot::LocalMachine, L"SYSTEM\\MountedDevices", values) != 0) {
    return 0;
  }
  const std::wstring wanted = UpperWide(interfacePath);
  if (wanted.size() < 4) return 0;
  for (const RegValue& v : values) {
    const std::wstring name = v.name.substr(0, 260);
    if (name.compare(0, 11, L"\\DosDevices") != 0 || name.size() < 13) continue;
    RegValue data = v;
    data.data.resize(std::min<size_t>(data.data.size(), 260));
    const std::wstring text = UpperWide(RegValueText(data));
    if (text.size() >= 4 && text.compare(4, std::wstring::npos, wanted, 4, std::wstring::npos) == 0) {
      return static_cast<wchar_t>(std::towupper(static_cast<wint_t>(name[12])));
    }
  }
  return 0;
}

}  // namespace discovery

namespace {

// Volume entry 0 of a removable disk or CD-ROM from the mounted-device table.
bool FillFromMountedDevices(DiskRecord& record, const std::wstring& interfacePath) {
  const wchar_t letter = discovery::MountedDeviceLetter(interfacePath);
  if (letter == 0) return false;
  VolumeEntry& entry = record.volumes[0];
  entry.driveLetter = static_cast<char16_t>(letter);
  if (discovery::VolumeMegabytes(letter, entry.totalMb, entry.freeMb) != 0) entry.totalMb = entry.freeMb = 0;
  bool ok = false;
  ReadLabel(letter, entry, ok);
  return true;
}

int VolumeIndexOf(const std::vector<InterfaceEntry>& volumes, DevInst inst) {
  for (size_t i = 0; i < volumes.size(); ++i) {
    if (volumes[i].inst == inst) return static_cast<int>(i);
  }
  return -1;
}

void MarkPresentDisks(DiskList& list) {
  DeviceTreePort* tree = Ports().deviceTree;
  for (const InterfaceEntry& usb : tree->PresentInterfaces(kGuidDevInterfaceUsbDevice, kMaxInterfaces)) {
    std::wstring hardwareId;
    if (!tree->Property(usb.inst, DeviceProperty::HardwareId, 1024, hardwareId) || !MatchHardwareId(hardwareId)) {
      continue;
    }
    DevInst child = 0;
    for (uint32_t cr = tree->FirstChild(usb.inst, child); cr == 0; cr = tree->NextSibling(child, child)) {
      for (uint32_t i = 0; i < list.count; ++i) {
        if (list.disks[i].deviceNode == child) {
          list.disks[i].present = 1;
          break;
        }
      }
    }
  }
}

}  // namespace

long DiscoverNt(DiskList& list) {
  // Emptied in place (a whole list made aside first would take 60 KiB of the
  // stack, every page of it new to the process), and only as far as it holds
  // records: the slots past the count are kept empty, so a discovery touches
  // no more of the list's 60 KiB than the records it had and the ones it fills.
  const uint32_t held = std::min(list.count, static_cast<uint32_t>(kMaxDisks));
  std::fill_n(list.disks.begin(), held, DiskRecord{});
  list.count = 0;
  Platform& ports = Ports();
  if (ports.deviceTree == nullptr || ports.storage == nullptr) return 1;  // not supported
  DeviceTreePort* tree = ports.deviceTree;
  StoragePort* storage = ports.storage;
  const std::vector<InterfaceEntry> disks = tree->PresentInterfaces(kGuidDevInterfaceDisk, kMaxInterfaces);
  const std::vector<InterfaceEntry> volumes = tree->PresentInterfaces(kGuidDevInterfaceVolume, kMaxInterfaces);
  const std::vector<InterfaceEntry> cdroms = tree->PresentInterfaces(kGuidDevInterfaceCdrom, kMaxInterfaces);
  list.count = static_cast<uint32_t>(std::min(disks.size(), kMaxDisks));
  for (uint32_t i = held; i < list.count; ++i) list.disks[i] = DiskRecord{};
  const bool vista = ports.system != nullptr && ports.system->Version().major == 6;

  // Which volume entries of fixed disks lie on a volume (and so may get a letter).
  std::array<std::array<bool, kMaxVolumes>, kMaxDisks> matched{};
  for (uint32_t i = 0; i < list.count; ++i) {
    DiskRecord& record = list.disks[i];
    const InterfaceEntry& disk = disks[i];
    ReadFriendlyName(disk.inst, record);
    DiskGeometry geometry;
    DriveLayout layout;
    bool haveLayout = false;
    if (storage->Geometry(disk.path, geometry) == 0 && geometry.mediaType == kMediaFixed) {
      record.fixedMedia = 1;
      haveLayout = storage->Layout(disk.path, layout) == 0;
      record.diskSize = static_cast<uint64_t>(geometry.cylinders) * geometry.tracksPerCylinder *
                        geometry.sectorsPerTrack * geometry.bytesPerSector;
      record.identity = haveLayout ? layout.signature : 0;
    }
    record.deviceNode = disk.inst;
    record.present = 0;
    record.volumeCount = 0;
    SetFieldText(record.interfacePath, disk.path);

    if (record.fixedMedia == 1) {
      if (!haveLayout) continue;
      discovery::MatchPartitionsToVolumes(layout, volumes, [&](const PartitionInfo& p, uint32_t number, bool found) {
        if (record.volumeCount >= kMaxVolumes) return;
        VolumeEntry& entry = record.volumes[record.volumeCount];
        if (found) {
          entry.volumeNumber = static_cast<uint8_t>(number);
          entry.bootFlag = p.bootIndicator ? 1 : 0;
        }
        matched[i][record.volumeCount] = found;
        ++record.volumeCount;
      });
    } else {
      std::wstring searchPath = disk.path;
      if (!vista) {
        int index = -1;
        DevInst child = 0;
        for (uint32_t cr = tree->FirstChild(disk.inst, child); cr == 0; cr = tree->NextSibling(child, child)) {
          if (int found = VolumeIndexOf(volumes, child); found >= 0) index = found;
        }
        searchPath.clear();
        if (index >= 0) {
          record.volumeInterfaceIndex = static_cast<uint8_t>(index);
          searchPath = volumes[static_cast<size_t>(index)].path;
        }
      }
      record.volumeCount = 1;
      if (!searchPath.empty()) FillFromMountedDevices(record, searchPath);
    }
  }

  // Letters of the fixed disks' volumes, by volume number.
  long failure = 0;
  discovery::ForEachLetterVolumeNumber([&](wchar_t letter, uint32_t number) {
    for (uint32_t i = 0; i < list.count; ++i) {
      DiskRecord& record = list.disks[i];
      for (uint16_t k = 0; k < record.volumeCount && k < kMaxVolumes; ++k) {
        VolumeEntry& entry = record.volumes[k];
        if (!matched[i][k] || entry.volumeNumber != static_cast<uint8_t>(number)) continue;
        entry.driveLetter = static_cast<char16_t>(letter);
        bool ok = false;
        ReadLabel(letter, entry, ok);
        if (!ok) continue;
        if (long error = discovery::VolumeMegabytes(letter, entry.totalMb, entry.freeMb); error != 0) {
          failure = error;
          return false;
        }
      }
    }
    return true;
  });
  if (failure != 0) return failure;

  // CD-ROMs that have a letter, in the slots after the disks.
  for (const InterfaceEntry& cdrom : cdroms) {
    if (list.count >= kMaxDisks) break;
    DiskRecord& record = list.disks[list.count];
    record = DiskRecord{};
    const int index = VolumeIndexOf(volumes, cdrom.inst);
    record.volumeInterfaceIndex = static_cast<uint8_t>(index >= 0 ? index : 0);
    ReadFriendlyName(cdrom.inst, record);
    record.volumeCount = 1;
    if (index >= 0 && FillFromMountedDevices(record, volumes[static_cast<size_t>(index)].path)) {
      ++list.count;
    } else {
      record = DiskRecord{};
    }
  }

  MarkPresentDisks(list);
  return 0;
}

}  // namespace zel
