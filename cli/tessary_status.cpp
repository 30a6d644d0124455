// tessary status: the security state of the current device.
#include <cstdio>

#include "cli/command.h"
#include "cli/json_text.h"
#include "cli/tessary_terminal.h"
#include "common/device_list.h"
#include "common/texts.h"
#include "security/commands.h"
#include "security/password_hint.h"
#include "security/security_actions.h"
#include "security/security_status.h"

namespace zel::cli {

namespace {

const char* StateWord(SecurityState state) {
  switch (state) {
    case SecurityState::NoPartition: return "no-partition";
    case SecurityState::Unlocked: return "unlocked";
    case SecurityState::Locked: return "locked";
    case SecurityState::Unknown: break;
  }
  return "unknown";
}

}  // namespace

// Plain: the captions of the window. --quiet: the state as one word
// (no-partition, unlocked, locked, unknown). --json: every value, the
// status text as the window shows it and the state word.
int TessaryStatus(const Arguments& args) {
  const bool json = args.Has("--json");
  const bool quiet = args.Has("--quiet");
  if (json && quiet) {
    std::fprintf(stderr, "tessary status: --json and --quiet do not go together\n");
    return 2;
  }
  TessarySession session;
  if (int status = session.Open("tessary status", "[--machine DIR] [--code-page N] [--json|--quiet]", args)) {
    return status;
  }
  uint8_t status = 0;
  const bool queried = ReadSecurityStatus(0, status);
  const SecurityState state = StateOfStatus(queried, status);
  const std::string device = GlobalDeviceList().entries[0].friendlyName;
  const bool partitioned = state == SecurityState::Locked || state == SecurityState::Unlocked;
  const std::string hint = partitioned ? CodePageToTerminal(ReadPasswordHint()) : std::string();
  if (quiet) {
    std::printf("%s\n", StateWord(state));
  } else if (json) {
    std::printf("{\"device\": %s, \"state\": \"%s\", \"status\": %s", JsonQuote(device).c_str(), StateWord(state),
                JsonQuote(StateText(state)).c_str());
    if (partitioned) {
      std::printf(", \"password\": %s, \"hint\": %s", HasPassword(status) ? "true" : "false",
                  JsonQuote(hint).c_str());
    }
    std::printf("}\n");
  } else {
    std::printf("%s: %s\n", TextA("DeviceCaption", "Device").c_str(), device.c_str());
    std::printf("%s: %s\n", TextA("StatusCaption", "Status").c_str(), StateText(state).c_str());
    if (partitioned) {
      std::printf("Password: %s\n", HasPassword(status) ? "set" : "not set");
      std::printf("%s %s\n", TextA("PwPromptCaption", "Password Hint:").c_str(), hint.c_str());
    }
  }
  return queried ? 0 : 1;
}

}  // namespace zel::cli
