#include "platform/posix/posix_platform.h"

#include "platform/posix/posix_profile.h"
#include "platform/posix/posix_system.h"
#if defined(__linux__)
#include "platform/linux/linux_ports.h"
#endif

namespace zel::posix {

SystemPort& SystemAdapter() {
  static PosixSystem system;
  return system;
}

ProfilePort& ProfileAdapter() {
  static PosixProfile profile;
  return profile;
}

Platform PosixPlatform() {
  Platform p;
  p.system = &SystemAdapter();
  p.profile = &ProfileAdapter();
#if defined(__linux__)
  static linux_adapters::LinuxPorts devices;  // device tree, storage, SCSI
  devices.Fill(p);
#endif
  return p;
}

}  // namespace zel::posix
