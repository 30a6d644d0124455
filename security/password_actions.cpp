#include "security/password_actions.h"

#include "security/commands.h"
#include "security/messages.h"
#include "security/password_block.h"
#include "security/password_hint.h"

namespace zel {
namespace {

std::string Field(const std::string& text, size_t chars) { return text.substr(0, chars); }

}  // namespace

bool UnlockWithPassword(const std::string& typed) {
  if (UnlockDisk(0, UnlockPasswordBlock(Field(typed, kPasswordFieldChars)))) return true;
  ShowSecurityMessage(msg::kPasswordInvalid);
  return false;
}

ChangeOutcome ChangePasswordWithHint(const PasswordChange& c) {
  const std::string newPassword = Field(c.newPassword, kPasswordFieldChars);
  if (newPassword.empty()) {
    ShowSecurityMessage(msg::kPasswordEmpty);
    return ChangeOutcome::Refused;
  }
  if (Field(c.confirmation, kPasswordFieldChars) != newPassword) {
    ShowSecurityMessage(msg::kPasswordMismatch);
    return ChangeOutcome::Refused;
  }
  const PasswordBlock oldBlock = c.oldFieldEnabled
                                     ? MakePasswordBlock(Field(c.oldPassword, kPasswordFieldChars))
                                     : BlankPasswordBlock();
  if (!ChangePassword(0, oldBlock, MakePasswordBlock(newPassword))) {
    ShowSecurityMessage(msg::kPasswordChangeFailed);
    return ChangeOutcome::CommandFailed;
  }
  if (!WritePasswordHint(Field(c.hint, kHintMaxChars))) {
    ShowSecurityMessage(msg::kHintSaveFailed);
    return ChangeOutcome::HintNotSaved;
  }
  ShowSecurityMessage(msg::kPasswordChanged);
  return ChangeOutcome::Changed;
}

}  // namespace zel
