// The security commands' device lookup for tests on the simulated machine:
// entry 0 is the enclosure's first unit (public or whole disk), entry 1 its
// private disk while the bridge presents one, each with its interface path
// and the letters of its mounted volumes (Windows 98 machines have no paths).
#include <string>

#include "platform/sim/view.h"
#include "security/security_device.h"
#include "sim_fixture.h"

namespace zel {

bool FindSecurityDevice(uint8_t index, SecurityDevice& out) {
  sim::View view;
  std::string error;
  if (!view.Load(test::CurrentMachineDir(), error)) return false;
  uint8_t n = 0;
  for (const sim::ViewDisk& d : view.disks) {
    if (d.enclosure == nullptr || n++ != index) continue;
    out = SecurityDevice{};
    if (view.machine.IsNt()) out.path = d.interfacePath;
    out.volumeLetters = view.DriveLetters(d);
    return true;
  }
  return false;
}

}  // namespace zel
