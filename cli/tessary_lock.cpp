// tessary lock: locks the private disk of the current device.
#include <cstdio>

#include "cli/tessary_terminal.h"
#include "common/texts.h"
#include "security/security_actions.h"

namespace zel::cli {

int TessaryLock(const Arguments& args) {
  TessarySession session;
  if (int status = session.Open("tessary lock", "[--machine DIR]", args)) return status;
  switch (LockCurrentDisk()) {
    case LockOutcome::Locked:
      std::printf("%s\n", StateText(SecurityState::Locked).c_str());
      return 0;
    case LockOutcome::Busy:
      return 1;  // the tool's message has been shown
    case LockOutcome::NotPartitioned:
      std::fprintf(stderr, "tessary lock: %s\n", StateText(SecurityState::NoPartition).c_str());
      return 1;
    case LockOutcome::StatusUnknown:
      break;
  }
  std::fprintf(stderr, "tessary lock: %s\n", StateText(SecurityState::Unknown).c_str());
  return 1;
}

}  // namespace zel::cli
