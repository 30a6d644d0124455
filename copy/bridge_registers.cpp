#include "copy/bridge_registers.h"

#include <algorithm>

namespace zel {
namespace {

bool UpdateBusyBit(const DiskRecord& disk, BridgeRegisters& bridge, bool busy) {
  const wchar_t letter = static_cast<wchar_t>(disk.volumes[0].driveLetter);
  uint8_t value = 0;
  if (!bridge.Read(letter, 0, kBusyRegister, 1, &value)) return false;
  value = busy ? static_cast<uint8_t>(value | kBusyBit) : static_cast<uint8_t>(value & ~kBusyBit);
  return bridge.Write(letter, 0, kBusyRegister, 0, value);
}

}  // namespace

bool SetBusyIndication(const DiskRecord& disk, BridgeRegisters& bridge) {
  return UpdateBusyBit(disk, bridge, true);
}

void ClearBusyIndication(const DiskList& disks, BridgeRegisters& bridge) {
  const uint32_t count = std::min<uint32_t>(disks.count, static_cast<uint32_t>(kMaxDisks));
  for (uint32_t i = 0; i < count; ++i) {
    if (disks.disks[i].present) UpdateBusyBit(disks.disks[i], bridge, false);
  }
}

}  // namespace zel
