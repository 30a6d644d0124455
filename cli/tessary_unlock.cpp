// tessary unlock: unlocks the private disk with its password.
#include <cstdio>

#include "cli/tessary_terminal.h"
#include "common/texts.h"
#include "security/commands.h"
#include "security/password_actions.h"
#include "security/password_hint.h"
#include "security/security_actions.h"
#include "security/security_status.h"

namespace zel::cli {

int TessaryUnlock(const Arguments& args) {
  TessarySession session;
  if (int status = session.Open("tessary unlock", "[--machine DIR] [--code-page N]", args)) return status;
  uint8_t status = 0;
  if (!ReadSecurityStatusForLock(0, status)) {
    std::fprintf(stderr, "tessary unlock: %s\n", StateText(SecurityState::Unknown).c_str());
    return 1;
  }
  const SecurityState state = StateOfStatus(true, status);
  if (state != SecurityState::Locked) {
    std::printf("%s\n", StateText(state).c_str());
    return state == SecurityState::Unlocked ? 0 : 1;
  }
  const std::string hint = CodePageToTerminal(ReadPasswordHint());
  if (!hint.empty()) std::printf("%s %s\n", TextA("PwPromptCaption", "Password Hint:").c_str(), hint.c_str());
  std::string typed, password;
  const std::string prompt = TextA("InputPWCaption", "Please input the password:") + " ";
  if (!ReadSecret(prompt.c_str(), typed)) {
    std::fprintf(stderr, "tessary unlock: no password given (the input ended); the disk stays locked\n");
    return 1;
  }
  if (!TypedToCodePage("tessary unlock", typed, password)) return 1;
  if (!UnlockWithPassword(password)) return 1;
  std::printf("%s\n", StateText(SecurityState::Unlocked).c_str());
  return 0;
}

}  // namespace zel::cli
