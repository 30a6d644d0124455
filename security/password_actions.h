// What the password dialogs do with what the user typed: unlocking and
// changing the password, with every message. The dialogs and the terminal
// both call these.
#pragma once
#include <string>

namespace zel {

// Unlocks the current device with the typed password (an empty field sends
// the blank-password block). False after telling the user (MsgStr09); the
// caller may ask again.
bool UnlockWithPassword(const std::string& typed);

struct PasswordChange {
  bool oldFieldEnabled = true;  // false when no password is set (status bit 2 clear)
  std::string oldPassword;
  std::string newPassword;
  std::string confirmation;
  std::string hint;             // at most 24 characters
};

enum class ChangeOutcome {
  Changed,           // password changed and hint saved (MsgStr05 shown)
  Refused,           // new password empty or confirmation differs; nothing sent
  CommandFailed,     // the bridge refused the change (MsgStr06)
  HintNotSaved,      // password changed, hint not saved (MsgStr15)
};

// Checks the fields, sends the change through the route of the system
// family, then saves the hint. Each outcome has told the user already.
ChangeOutcome ChangePasswordWithHint(const PasswordChange& change);

// Texts of the fields are cut to what the dialog's fields hold.
inline constexpr size_t kPasswordFieldChars = 12;

}  // namespace zel
