// tessary devices: the security and power tools' device list.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli_platform.h"
#include "cli/command.h"
#include "common/aspi.h"
#include "common/device_list.h"
#include "common/transport.h"

namespace zel::cli {

int TessaryDevices(const Arguments& args) {
  CliPlatform platform;
  if (int status = platform.OpenForCommand("tessary devices", args); status != 0) return status;
  const bool aspi = Ports().family == SystemFamily::Win98 && LoadAspiCommandOnly();
  DeviceList& list = GlobalDeviceList();
  long result = 0;
  {
    const sim::ViewPass pass = platform.DevicePass();
    result = EnumerateDevices(list);
  }
  for (size_t i = 0; i < list.entries.size(); ++i) {
    const DeviceEntry& e = list.entries[i];
    std::printf("%2zu  %s  \"%s\"\n", i, e.interfacePath.empty() ? "(no path)" : e.interfacePath.c_str(),
                e.friendlyName.c_str());
    std::printf("      usb device %u, disk device %u, aspi adapter %u, drive letter %c\n", e.usbDevice, e.diskDevice,
                e.aspiHostAdapter, FirstDriveLetter(e));
    for (uint8_t k = 0; k < e.volumeCount && k < kMaxDeviceVolumes; ++k) {
      std::printf("      %c: volume %u\n", e.volumes[k].driveLetter, e.volumes[k].volumeNumber);
    }
  }
  if (aspi) UnloadAspi();
  if (result != 0) {
    std::fprintf(stderr, "tessary devices: no device (system error %ld)\n", result);
    return 1;
  }
  return 0;
}

}  // namespace zel::cli
