#include "security/security_device.h"

#include "common/device_list.h"
#include "common/text.h"

namespace zel {

bool FindSecurityDevice(uint8_t index, SecurityDevice& out) {
  const DeviceList& list = GlobalDeviceList();
  if (index >= list.entries.size()) return false;
  const DeviceEntry& e = list.entries[index];
  out = SecurityDevice{};
  out.path = AnsiToWide(e.interfacePath);
  out.hostAdapter = e.aspiHostAdapter;
  out.diskNode = e.diskDevice;
  for (uint8_t k = 0; k < e.volumeCount && k < kMaxDeviceVolumes; ++k) {
    if (e.volumes[k].driveLetter != '?') out.volumeLetters.push_back(e.volumes[k].driveLetter);
  }
  return true;
}

}  // namespace zel
