#include "common/device_list.h"

#include <algorithm>

#include "common/aspi.h"
#include "common/discovery.h"
#include "common/hardware_list.h"
#include "common/text.h"
#include "common/transport.h"

namespace zel {
namespace {

// These tools read device texts as 8-bit characters: a buffer of n bytes
// holds what takes 2n bytes as UTF-16 through the device-tree port.
constexpr uint32_t kNameBytes = 64 * 2, kHardwareIdBytes98 = 255 * 2;

std::string Cut(const std::string& text, size_t maxChars) { return text.substr(0, maxChars); }

}  // namespace

DeviceList& GlobalDeviceList() {
  static DeviceList list;
  return list;
}

long EnumerateDevices(DeviceList& list) {
  return Ports().family == SystemFamily::Nt ? EnumerateDevicesNt(list) : EnumerateDevices98(list);
}

char FirstDriveLetter(const DeviceEntry& entry) {
  if (entry.driveLetter != '?') return entry.driveLetter;
  for (uint8_t i = 0; i < entry.volumeCount && i < kMaxDeviceVolumes; ++i) {
    if (entry.volumes[i].driveLetter != '?') return entry.volumes[i].driveLetter;
  }
  return '?';
}

long EnumerateDevicesNt(DeviceList& list) {
  list.entries.clear();
  Platform& ports = Ports();
  if (ports.deviceTree == nullptr || ports.storage == nullptr) return kErrorDeviceNotExist;
  DeviceTreePort* tree = ports.deviceTree;
  const std::vector<InterfaceEntry> usb = tree->PresentInterfaces(kGuidDevInterfaceUsbDevice, kMaxInterfaces);
  const std::vector<InterfaceEntry> disks = tree->PresentInterfaces(kGuidDevInterfaceDisk, kMaxInterfaces);
  const std::vector<InterfaceEntry> volumes = tree->PresentInterfaces(kGuidDevInterfaceVolume, kMaxInterfaces);
  for (const InterfaceEntry& device : usb) {
    std::wstring hardwareId;
    if (!tree->Property(device.inst, DeviceProperty::HardwareId, 1024, hardwareId) || !MatchHardwareId(hardwareId)) {
      continue;
    }
    DevInst candidate = 0;
    if (tree->FirstChild(device.inst, candidate) != 0) continue;
    for (const InterfaceEntry& disk : disks) {
      if (candidate == 0 || list.entries.size() >= kMaxDevices) break;
      if (disk.inst != candidate) continue;
      DeviceEntry entry;
      entry.usbDevice = device.inst;
      entry.interfacePath = Cut(WideToAnsi(disk.path), 259);
      std::wstring name;
      if (tree->Property(disk.inst, DeviceProperty::FriendlyName, kNameBytes, name)) {
        entry.friendlyName = Cut(WideToAnsi(name), 63);
      }
      DriveLayout layout;
      if (ports.storage->Layout(disk.path, layout) == 0) {
        // Partitions beyond the 18th are not kept.
        discovery::MatchPartitionsToVolumes(layout, volumes, [&](const PartitionInfo&, uint32_t number, bool found) {
          if (!found || entry.volumeCount >= kMaxDeviceVolumes) return;
          entry.volumes[entry.volumeCount++] = {'?', static_cast<uint8_t>(number)};
        });
      }
      list.entries.push_back(entry);
      if (tree->NextSibling(disk.inst, candidate) != 0) candidate = 0;
    }
  }
  discovery::ForEachLetterVolumeNumber([&](wchar_t letter, uint32_t number) {
    for (DeviceEntry& entry : list.entries) {
      for (uint8_t i = 0; i < entry.volumeCount; ++i) {
        if (entry.volumes[i].volumeNumber == static_cast<uint8_t>(number)) {
          entry.volumes[i].driveLetter = static_cast<char>(letter);
        }
      }
    }
    return true;
  });
  return list.entries.empty() ? kErrorDeviceNotExist : kErrorSuccess;
}

long EnumerateDevices98(DeviceList& list) {
  list.entries.clear();
  Platform& ports = Ports();
  if (ports.deviceTree == nullptr) return kErrorDeviceNotExist;
  DeviceTreePort* tree = ports.deviceTree;
  const std::vector<DevInst> scsi = tree->EnumeratorDevices(L"SCSI", kMaxInterfaces);
  for (DevInst usb : tree->EnumeratorDevices(L"USB", kMaxInterfaces)) {
    std::wstring hardwareId;
    if (!tree->Property(usb, DeviceProperty::HardwareId, kHardwareIdBytes98, hardwareId) || !MatchHardwareId(hardwareId)) continue;
    DevInst child = 0;
    for (uint32_t cr = tree->FirstChild(usb, child); cr == 0; cr = tree->NextSibling(child, child)) {
      DevInst disk = 0;
      if (tree->FirstChild(child, disk) != 0 || std::find(scsi.begin(), scsi.end(), disk) == scsi.end()) continue;
      if (list.entries.size() >= kMaxDevices) break;
      DeviceEntry entry;
      entry.usbDevice = usb;
      entry.diskDevice = disk;
      list.entries.push_back(entry);
    }
  }
  for (size_t i = 0; i < list.entries.size(); ++i) {
    DeviceEntry& entry = list.entries[i];
    std::wstring description;
    if (tree->Property(entry.diskDevice, DeviceProperty::DeviceDesc, kNameBytes, description)) {
      std::string text = Cut(WideToAnsi(description), 63);
      // The 16 bytes after index 8 move one place forward, so that vendor
      // and product follow each other as in INQUIRY data; the rest stays.
      for (size_t k = 8; k < 24 && k + 1 < text.size(); ++k) text[k] = text[k + 1];
      if (text.size() > 8 && text.size() <= 24) text.pop_back();
      entry.friendlyName = text;
    }
    entry.aspiHostAdapter = kNoAspiAdapter;
    uint8_t count = 0;
    if (entry.friendlyName.size() >= 24 && AspiHostAdapterCount(count)) {
      for (uint8_t ha = 0; ha < count && ha != kNoAspiAdapter; ++ha) {
        std::string identity;
        if (!AspiInquiryIdentity(ha, identity) || identity.compare(0, 24, entry.friendlyName, 0, 24) != 0) continue;
        const bool taken = std::any_of(list.entries.begin(), list.entries.begin() + static_cast<long>(i),
                                       [&](const DeviceEntry& e) { return e.aspiHostAdapter == ha; });
        if (taken) continue;
        entry.aspiHostAdapter = ha;
        break;
      }
    }
    std::vector<uint8_t> letters;
    if (tree->HardwareKeyValue(entry.diskDevice, L"CurrentDriveLetterAssignment", 16, letters) == 0 &&
        !letters.empty() && letters[0] != 0) {
      entry.driveLetter = static_cast<char>(std::toupper(letters[0]));
    }
  }
  return list.entries.empty() ? kErrorDeviceNotExist : kErrorSuccess;
}

}  // namespace zel
