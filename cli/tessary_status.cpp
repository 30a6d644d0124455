// tessary status: the security state of the current device.
#include <cstdio>

#include "cli/tessary_terminal.h"
#include "common/device_list.h"
#include "common/texts.h"
#include "security/commands.h"
#include "security/password_hint.h"
#include "security/security_actions.h"
#include "security/security_status.h"

namespace zel::cli {

int TessaryStatus(const std::vector<std::string>& argsIn) {
  std::vector<std::string> args = argsIn;
  TessarySession session;
  if (int status = session.Open("tessary status", "[--machine DIR] [--code-page N]", args, 0)) return status;
  uint8_t status = 0;
  const bool queried = ReadSecurityStatus(0, status);
  const SecurityState state = StateOfStatus(queried, status);
  std::printf("%s: %s\n", TextA("DeviceCaption", "Device").c_str(),
              GlobalDeviceList().entries[0].friendlyName.c_str());
  std::printf("%s: %s\n", TextA("StatusCaption", "Status").c_str(), StateText(state).c_str());
  if (state == SecurityState::Locked || state == SecurityState::Unlocked) {
    std::printf("Password: %s\n", HasPassword(status) ? "set" : "not set");
    std::printf("%s %s\n", TextA("PwPromptCaption", "Password Hint:").c_str(), CodePageToTerminal(ReadPasswordHint()).c_str());
  }
  return queried ? 0 : 1;
}

}  // namespace zel::cli
