// What the security tool needs of a device-list entry.
#pragma once
#include <cstdint>
#include <string>

#include "ports/device_tree_port.h"

namespace zel {

struct SecurityDevice {
  std::wstring path;          // the disk's interface path (NT family), opened for commands
  uint8_t hostAdapter = 255;  // ASPI host adapter (Windows 98 family)
  DevInst diskNode = 0;       // the disk's device node, when recorded
  std::string volumeLetters;  // drive letters of its mounted volumes, in order
};

// Entry `index` of the process's device list; false when there is none.
bool FindSecurityDevice(uint8_t index, SecurityDevice& out);

}  // namespace zel
