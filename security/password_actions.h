// What the password dialogs do with what the user typed: unlocking and
// changing the password, with every message. The dialogs and the terminal
// both call these. Every text is the 8-bit text of the code page
// (security/code_page.h), exactly as it goes to the bridge or the hint store.
#pragma once
#include <string>

namespace zel {

// Unlocks the current device with the typed password (an empty field sends
// the blank-password block). False after telling the user: MsgStr17 for a
// password over 12 bytes (nothing sent), else MsgStr09; the caller may ask
// again.
bool UnlockWithPassword(const std::string& typed);

struct PasswordChange {
  bool oldFieldEnabled = true;  // false when no password is set (status bit 2 clear)
  std::string oldPassword;
  std::string newPassword;
  std::string confirmation;
  std::string hint;             // at most 24 bytes
  bool keepHint = false;        // leave the stored hint as it is
};

enum class ChangeOutcome {
  Changed,           // password changed and hint saved (MsgStr05 shown)
  Refused,           // a field empty, too long or not confirmed; nothing sent
  CommandFailed,     // the bridge refused the change (MsgStr06)
  HintNotSaved,      // password changed, hint not saved (MsgStr15)
};

// Whether the old password is asked for: only when the disk has one. When
// the status cannot be read it is asked for, and the bridge decides.
bool OldPasswordAsked();

// Checks the fields, sends the change through the route of the system
// family, then saves the hint. A field over its limit (12 bytes a password,
// 24 the hint) is refused, never cut. Each outcome has told the user already.
ChangeOutcome ChangePasswordWithHint(const PasswordChange& change);

}  // namespace zel
