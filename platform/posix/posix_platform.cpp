#include "platform/posix/posix_platform.h"

#include "platform/posix/posix_profile.h"
#include "platform/posix/posix_system.h"

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
  return p;
}

}  // namespace zel::posix
