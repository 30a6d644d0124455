#include "security/security_actions.h"

#include "common/texts.h"
#include "security/commands.h"
#include "security/messages.h"
#include "security/password_hint.h"
#include "security/security_status.h"

namespace zel {

SecurityState StateOfStatus(bool queried, uint8_t status) {
  if (!queried) return SecurityState::Unknown;
  if (!IsPartitioned(status)) return SecurityState::NoPartition;
  return IsLocked(status) ? SecurityState::Locked : SecurityState::Unlocked;
}

SecurityState ReadSecurityState() {
  uint8_t status = 0;
  const bool ok = ReadSecurityStatus(0, status);
  return StateOfStatus(ok, status);
}

std::string StateText(SecurityState state) {
  switch (state) {
    case SecurityState::NoPartition: return TextA("NoPartition", "No Partition");
    case SecurityState::Unlocked: return TextA("UnlockCaptionState", "Unlocked");
    case SecurityState::Locked: return TextA("LockCaptionState", "Locked");
    case SecurityState::Unknown: break;
  }
  return "N/A";
}

LockOutcome LockCurrentDisk() {
  uint8_t status = 0;
  // The window reads the status without looking at the result; here a failed
  // query stops the action instead of acting on a stale byte.
  if (!ReadSecurityStatusForLock(0, status)) return LockOutcome::StatusUnknown;
  if (!IsPartitioned(status)) return LockOutcome::NotPartitioned;
  if (IsLocked(status)) return LockOutcome::Locked;
  if (LockDisk(0)) return LockOutcome::Locked;
  ShowSecurityMessage(msg::kLockBusy);
  return LockOutcome::Busy;
}

EraseOutcome EraseCurrentDisk(bool confirmed) {
  if (!confirmed && !AskSecurityQuestion(msg::kEraseQuestion)) return EraseOutcome::Declined;
  if (!EraseDisk(0)) {
    ShowSecurityMessage(msg::kEraseFailed);
    return EraseOutcome::Failed;
  }
  RescanDevice(0);
  RescanDevice(1);
  DeletePasswordHint();
  return EraseOutcome::Erased;
}

}  // namespace zel
