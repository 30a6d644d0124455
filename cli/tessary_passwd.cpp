// tessary passwd: sets or changes the password and the password hint.
#include <cstdio>

#include "cli/tessary_terminal.h"
#include "common/texts.h"
#include "security/commands.h"
#include "security/password_actions.h"
#include "security/password_hint.h"
#include "security/security_status.h"

namespace zel::cli {

int TessaryPasswd(const std::vector<std::string>& argsIn) {
  std::vector<std::string> args = argsIn;
  TessarySession session;
  if (int status = session.Open("tessary passwd", "[--machine DIR]", args, 0)) return status;
  PasswordChange change;
  uint8_t status = 0;
  // Without a status the old password is asked for: the bridge decides.
  change.oldFieldEnabled = !ReadSecurityStatus(0, status) || HasPassword(status);
  const auto ask = [](const char* key, const char* def, std::string& out) {
    const std::string prompt = TextA(key, def) + " ";
    return ReadSecret(prompt.c_str(), out);
  };
  if (change.oldFieldEnabled && !ask("OldPWCaption", "Old Password:", change.oldPassword)) return 1;
  if (!ask("NewPWCaption", "New Password:", change.newPassword)) return 1;
  if (!ask("ConfirmPWCaption", "Confirm Password:", change.confirmation)) return 1;
  const std::string current = ReadPasswordHint();
  std::string prompt = TextA("PwPromptCaption", "Password Hint:");
  prompt += current.empty() ? " " : " [" + current + "] ";
  if (!ReadLine(prompt.c_str(), change.hint)) change.hint.clear();
  return ChangePasswordWithHint(change) == ChangeOutcome::Changed ? 0 : 1;
}

}  // namespace zel::cli
