// The security and power tools' device list: only the disks in a supported
// enclosure. Entry 0 is the device the tools address; after partitioning,
// entry 1 is the private disk. Texts are 8-bit.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "ports/device_tree_port.h"
#include "ports/system_errors.h"

namespace zel {

inline constexpr size_t kMaxDeviceVolumes = 18;
inline constexpr size_t kMaxDevices = 64;

struct DeviceVolume {
  char driveLetter = '?';  // "?" until found
  uint8_t volumeNumber = 0;
};

struct DeviceEntry {
  std::string interfacePath;   // NT family: the disk's interface path (at most 259 characters)
  DevInst usbDevice = 0;       // the USB device
  DevInst diskDevice = 0;      // Windows 98 family: the disk
  std::string friendlyName;    // at most 63 characters
  uint8_t aspiHostAdapter = 255;  // Windows 98 family
  char driveLetter = '?';      // Windows 98 family; NT: "?" when the layout cannot be read
  uint8_t volumeCount = 0;     // NT family: valid entries of `volumes`
  std::array<DeviceVolume, kMaxDeviceVolumes> volumes{};
};

struct DeviceList {
  std::vector<DeviceEntry> entries;  // at most kMaxDevices
};
DeviceList& GlobalDeviceList();

// The procedure of the system family; 0, or 55 when no device was found.
long EnumerateDevices(DeviceList& list);
long EnumerateDevicesNt(DeviceList& list);
long EnumerateDevices98(DeviceList& list);

// The first letter of a device's volumes ('?' when none is known).
char FirstDriveLetter(const DeviceEntry& entry);

}  // namespace zel
