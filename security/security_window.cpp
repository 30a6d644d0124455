#include "security/security_window.h"

#include "common/device_list.h"
#include "common/texts.h"
#include "security/commands.h"
#include "security/security_actions.h"
#include "security/security_status.h"

namespace zel {
namespace {

constexpr uint8_t kMaskProtected = kMaskLock | kMaskChangePassword | kMaskErase;

std::string LockText() { return TextA("LockState", "Lock"); }
std::string UnlockText() { return TextA("UnlockState", "Unlock"); }

}  // namespace

void SecurityWindow::ShowStatus() {
  const SecurityState state = ReadSecurityState();
  status_ = StateText(state);
  switch (state) {
    case SecurityState::Unknown:
      lockCaption_ = "N/A";
      mask_ &= static_cast<uint8_t>(~(kMaskPartition | kMaskProtected));
      break;
    case SecurityState::NoPartition:
      lockCaption_ = LockText();
      mask_ = static_cast<uint8_t>((mask_ | kMaskPartition) & ~kMaskProtected);
      break;
    case SecurityState::Locked:
      lockCaption_ = UnlockText();
      mask_ = static_cast<uint8_t>((mask_ | kMaskProtected) & ~kMaskPartition);
      break;
    case SecurityState::Unlocked:
      lockCaption_ = LockText();
      mask_ = static_cast<uint8_t>((mask_ | kMaskProtected) & ~kMaskPartition);
      break;
  }
}

void SecurityWindow::ShowUnlocked() {
  lockCaption_ = LockText();
  status_ = StateText(SecurityState::Unlocked);
  mask_ |= kMaskProtected;
}

void SecurityWindow::ShowLocked() {
  lockCaption_ = UnlockText();
  status_ = StateText(SecurityState::Locked);
  mask_ |= kMaskProtected;
}

void SecurityWindow::LockOrUnlock(SecurityDialogs& dialogs) {
  if (!Usable(kMaskLock)) return;
  // The family's own route, as the lock itself takes it.
  uint8_t status = 0;
  if (ReadSecurityStatusForLock(0, status) && IsLocked(status)) {
    if (dialogs.RunUnlock()) ShowUnlocked();
    return;
  }
  mask_ &= static_cast<uint8_t>(~kMaskProtected);
  switch (LockCurrentDisk()) {
    case LockOutcome::Locked:
      ShowLocked();
      break;
    case LockOutcome::Busy:
      // The user has been told; everything stays at hand, Partition too.
      mask_ |= kMaskPartition | kMaskProtected;
      break;
    case LockOutcome::NotPartitioned:
    case LockOutcome::StatusUnknown:
      // The enclosure changed or stopped answering under the window: show
      // what it says now rather than a state it is not in.
      ShowStatus();
      break;
  }
}

void SecurityWindow::Erase() {
  if (!Usable(kMaskErase)) return;
  switch (EraseCurrentDisk(false)) {
    case EraseOutcome::Declined:
      return;
    case EraseOutcome::Erased:
      status_ = StateText(SecurityState::NoPartition);
      mask_ = static_cast<uint8_t>((mask_ | kMaskPartition) & ~kMaskProtected);
      return;
    case EraseOutcome::Failed:
      ShowStatus();
      return;
  }
}

void SecurityWindow::Partition(SecurityDialogs& dialogs) {
  if (!Usable(kMaskPartition)) return;
  const std::optional<uint32_t> privateSize = dialogs.RunPartition();
  if (!privateSize || *privateSize == 0) return;
  ShowUnlocked();
  mask_ &= static_cast<uint8_t>(~kMaskPartition);
}

void SecurityWindow::ChangePassword(SecurityDialogs& dialogs) {
  if (Usable(kMaskChangePassword)) dialogs.RunChangePassword();
}

DeviceChangeAction OnDeviceChangeNotice(SystemFamily family, uint32_t event, uint32_t broadcastType,
                                        bool diskInterface) {
  constexpr uint32_t kArrival = 0x8000, kRemoveComplete = 0x8004, kNodesChanged = 0x0007;
  constexpr uint32_t kVolume = 2, kInterface = 5;
  if (family == SystemFamily::Win98) {
    // The system tells before the new disk is ready to be asked.
    if (event == kNodesChanged) return {true, 1000};
    return {};
  }
  if (event != kArrival && event != kRemoveComplete) return {};
  const bool relevant = broadcastType == kVolume || (broadcastType == kInterface && diskInterface);
  return {relevant, 0};
}

std::string CurrentDeviceName() {
  const DeviceList& list = GlobalDeviceList();
  return list.entries.empty() ? std::string() : list.entries[0].friendlyName;
}

}  // namespace zel
