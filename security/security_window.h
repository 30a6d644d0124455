// The decisions of the security tool's main window: what the status shows,
// which buttons are usable (the button mask) and what each action does with
// the enclosure. The window draws what this says and runs the dialogs it
// asks for.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "ports/system_port.h"

namespace zel {

// One bit a button. A clear bit shows the button greyed; its click does nothing.
enum : uint8_t {
  kMaskPartition = 1,
  kMaskLock = 2,
  kMaskChangePassword = 4,
  kMaskErase = 8,
  kMaskAll = 0xFF,
};

// The dialogs the actions open; the window runs them modally.
class SecurityDialogs {
 public:
  virtual ~SecurityDialogs() = default;
  // True unless the user cancelled (any other ending means unlocked).
  virtual bool RunUnlock() = 0;
  // The private size the dialog chose when it ended with OK; none on Cancel.
  virtual std::optional<uint32_t> RunPartition() = 0;
  virtual void RunChangePassword() = 0;
};

class SecurityWindow {
 public:
  uint8_t Mask() const { return mask_; }
  bool Usable(uint8_t bit) const { return (mask_ & bit) != 0; }
  const std::string& StatusText() const { return status_; }
  const std::string& LockCaption() const { return lockCaption_; }

  // Asks the enclosure for its state (pass-through route) and shows it: "N/A"
  // and nothing usable when it does not answer.
  void ShowStatus();
  void LockOrUnlock(SecurityDialogs& dialogs);
  void Erase();
  void Partition(SecurityDialogs& dialogs);
  void ChangePassword(SecurityDialogs& dialogs);

 private:
  void ShowUnlocked();
  void ShowLocked();

  uint8_t mask_ = kMaskAll;
  std::string status_;
  std::string lockCaption_;
};

// What a device-change notice asks of the program: enumerate the device
// list again (and refresh an open main window), after a pause on the
// Windows 98 family. `broadcastType` is the notice's header type (2 volume,
// 5 device interface); `diskInterface` whether an interface notice is of the
// disk class.
struct DeviceChangeAction {
  bool rescan = false;
  uint32_t pauseMs = 0;
};
DeviceChangeAction OnDeviceChangeNotice(SystemFamily family, uint32_t event, uint32_t broadcastType,
                                        bool diskInterface);

// The device name the window shows: the description of device-list entry 0,
// or nothing when the list is empty.
std::string CurrentDeviceName();

}  // namespace zel
