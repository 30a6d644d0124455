// tessary passwd: sets or changes the password and the password hint.
#include <cstdio>

#include "cli/command.h"
#include "cli/tessary_terminal.h"
#include "common/texts.h"
#include "security/password_actions.h"
#include "security/password_hint.h"

namespace zel::cli {

int TessaryPasswd(const Arguments& args) {
  const bool clearHint = args.Has("--clear-hint");
  TessarySession session;
  if (int status = session.Open("tessary passwd", "[--machine DIR] [--code-page N] [--clear-hint]", args)) {
    return status;
  }
  PasswordChange change;
  change.oldFieldEnabled = OldPasswordAsked();
  const auto ask = [](const char* key, const char* def, std::string& out) {
    const std::string prompt = TextA(key, def) + " ";
    std::string typed;
    if (!ReadSecret(prompt.c_str(), typed)) {
      std::fprintf(stderr, "tessary passwd: the input ended at \"%s\"; nothing was changed\n", def);
      return false;
    }
    return TypedToCodePage("tessary passwd", typed, out);
  };
  if (change.oldFieldEnabled && !ask("OldPWCaption", "Old Password:", change.oldPassword)) return 1;
  if (!ask("NewPWCaption", "New Password:", change.newPassword)) return 1;
  if (!ask("ConfirmPWCaption", "Confirm Password:", change.confirmation)) return 1;
  if (clearHint) {
    change.hint.clear();
  } else {
    // The stored hint stays unless a new one is typed: an empty line or the
    // end of the input keeps it.
    const std::string current = CodePageToTerminal(ReadPasswordHint());
    std::string prompt = TextA("PwPromptCaption", "Password Hint:");
    prompt += current.empty() ? " " : " [" + current + "] ";
    std::string typed;
    change.keepHint = !ReadLine(prompt.c_str(), typed) || typed.empty();
    if (!change.keepHint && !TypedToCodePage("tessary passwd", typed, change.hint)) return 1;
  }
  return ChangePasswordWithHint(change) == ChangeOutcome::Changed ? 0 : 1;
}

}  // namespace zel::cli
