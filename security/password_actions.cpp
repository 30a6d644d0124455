#include "security/password_actions.h"

#include "security/commands.h"
#include "security/messages.h"
#include "security/password_block.h"
#include "security/password_hint.h"
#include "security/security_status.h"

namespace zel {

bool UnlockWithPassword(const std::string& typed) {
  if (!PasswordFits(typed)) {
    ShowSecurityMessage(msg::kPasswordTooLong);
    return false;
  }
  if (UnlockDisk(0, UnlockPasswordBlock(typed))) return true;
  ShowSecurityMessage(msg::kPasswordInvalid);
  return false;
}

bool OldPasswordAsked() {
  uint8_t status = 0;
  return !ReadSecurityStatus(0, status) || HasPassword(status);
}

ChangeOutcome ChangePasswordWithHint(const PasswordChange& c) {
  const auto refuse = [](const SecurityMessage& message) {
    ShowSecurityMessage(message);
    return ChangeOutcome::Refused;
  };
  if (!PasswordFits(c.newPassword) || (c.oldFieldEnabled && !PasswordFits(c.oldPassword))) {
    return refuse(msg::kPasswordTooLong);
  }
  if (c.newPassword.empty()) return refuse(msg::kPasswordEmpty);
  if (c.confirmation != c.newPassword) return refuse(msg::kPasswordMismatch);
  if (!c.keepHint && !HintFits(c.hint)) return refuse(msg::kHintTooLong);
  const PasswordBlock oldBlock = c.oldFieldEnabled ? MakePasswordBlock(c.oldPassword) : BlankPasswordBlock();
  if (!ChangePassword(0, oldBlock, MakePasswordBlock(c.newPassword))) {
    ShowSecurityMessage(msg::kPasswordChangeFailed);
    return ChangeOutcome::CommandFailed;
  }
  if (!(c.keepHint ? HintStoreExists() : WritePasswordHint(c.hint))) {
    ShowSecurityMessage(msg::kHintSaveFailed);
    return ChangeOutcome::HintNotSaved;
  }
  ShowSecurityMessage(msg::kPasswordChanged);
  return ChangeOutcome::Changed;
}

}  // namespace zel
