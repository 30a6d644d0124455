// tessary erase: removes the public/private arrangement and the password.
#include <cstdio>

#include "cli/tessary_terminal.h"
#include "security/security_actions.h"

namespace zel::cli {

int TessaryErase(const Arguments& args) {
  TessarySession session;
  if (int status = session.Open("tessary erase", "[--machine DIR] [--yes]", args)) return status;
  switch (EraseCurrentDisk(false)) {
    case EraseOutcome::Declined:
    case EraseOutcome::Failed:
      return 1;  // the tool's message has been shown
    case EraseOutcome::Erased:
      break;
  }
  session.Rediscover();
  std::printf("%s\n", StateText(ReadSecurityState()).c_str());
  return 0;
}

}  // namespace zel::cli
