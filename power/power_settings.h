// The power settings the dialog edits and the operations on them: reading
// the device's status, choosing a standby entry and SPM, Save (SPM first, the
// timer only after SPM succeeded) and restoring the device's defaults. The
// decisions and messages are here; a view shows them (the dialog, or the
// command line which has nothing to show).
#pragma once
#include <cstdint>

namespace zel {

struct PowerSettings {
  bool spmOn = false;             // standby when the system suspends
  bool apmEnabled = false;        // a standby timer other than "Never" is chosen
  uint16_t standbyTimerCode = 0;  // what Save sends
  uint8_t deviceIndex = 0;        // the device-list entry read and written
};

// How the timer shows after a status read: "Never" (entry 0, code 0) when the
// code is 0, or when the power register's timer-off bit is set while the
// status's timer-running bit is clear; otherwise the code's entry (-1 when it
// is not in the list) and the code as read.
struct TimerShown {
  bool never = false;
  int entry = -1;
  uint16_t code = 0;
};
TimerShown DecideTimer(uint8_t statusFlags, uint16_t code, uint8_t powerRegister);

class PowerView {
 public:
  virtual ~PowerView() = default;
  virtual void ShowSpm(bool on) = 0;
  // Selects an entry of the standby list (0..9).
  virtual void SelectEntry(int entry) = 0;
  virtual void BeginWait() = 0;
  virtual void EndWait() = 0;
};

// A view that shows nothing.
class NoPowerView : public PowerView {
 public:
  void ShowSpm(bool) override {}
  void SelectEntry(int) override {}
  void BeginWait() override {}
  void EndWait() override {}
};

enum class SaveOutcome { kDeclined, kSpmFailed, kTimerFailed, kSaved };

class PowerSettingsEditor {
 public:
  explicit PowerSettingsEditor(PowerView& view) : view_(view) {}

  const PowerSettings& Settings() const { return settings_; }

  // The status rule: reads the status and the power register and applies
  // them to the state and the view; false (nothing changed) when either read
  // fails.
  bool ReadStatus();
  // At dialog open: the "No any device !!" box when the device list is
  // empty, otherwise the status rule with its warning when it fails. The
  // dialog opens in every case.
  void ReadStatusAtOpen();
  // The standby list's selection changed; -1 for no selection.
  void ChooseEntry(int selection);
  void ChooseSpm(bool on);
  // The Save button: asks, then sends. True when the dialog closes (saved).
  bool Save();
  // Sends SPM then the timer, with a warning box for the step that fails.
  SaveOutcome SendSettings();
  // The Default button: asks, then restores.
  void RestoreDefaults();
  // Restores the device's defaults and reads them back; false (after its
  // warning box) when the restore or a read fails.
  bool ApplyDefaults();

 private:
  PowerView& view_;
  PowerSettings settings_;
};

}  // namespace zel
