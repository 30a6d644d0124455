#include "power/power_settings.h"

#include "common/device_list.h"
#include "common/vendor_protocol.h"
#include "power/power_commands.h"
#include "power/power_messages.h"
#include "power/standby_timers.h"

namespace zel {
namespace {

// The question box's answers that go on. Escape (2) closes the box without
// an answer and is taken as No, like the No button.
bool Confirmed(const PowerMessage& question) {
  const int answer = ShowPowerMessage(question);
  return answer != kPowerAnswerNo && answer != 2;
}

}  // namespace

TimerShown DecideTimer(uint8_t statusFlags, uint16_t code, uint8_t powerRegister) {
  const bool timerOff =
      (powerRegister & kPowerRegisterTimerOffBit) != 0 && (statusFlags & kPowerStatusTimerRunning) == 0;
  if (code == 0 || timerOff) return TimerShown{true, 0, 0};
  return TimerShown{false, FindStandbyEntry(code), code};
}

bool PowerSettingsEditor::ReadStatus() {
  PowerStatus status;
  if (!ReadPowerStatus(settings_.deviceIndex, status)) return false;
  uint8_t reg = 0;
  if (!ReadPowerRegister(reg)) return false;
  settings_.spmOn = (status.flags & kPowerStatusStandbyOnSuspend) != 0;
  view_.ShowSpm(settings_.spmOn);
  const TimerShown shown = DecideTimer(status.flags, status.code, reg);
  if (shown.entry >= 0) view_.SelectEntry(shown.entry);
  settings_.apmEnabled = !shown.never;
  settings_.standbyTimerCode = shown.code;
  return true;
}

void PowerSettingsEditor::ReadStatusAtOpen() {
  settings_.deviceIndex = 0;
  if (GlobalDeviceList().entries.empty()) {
    ShowPowerMessage(power_msg::kNoDevice);
    return;
  }
  if (!ReadStatus()) ShowPowerMessage(power_msg::kStatusFailed);
}

void PowerSettingsEditor::ChooseEntry(int selection) {
  if (selection == 0) {
    settings_.standbyTimerCode = 0;
    settings_.apmEnabled = false;
    return;
  }
  if (selection > 0 && selection < kStandbyEntryCount) settings_.standbyTimerCode = StandbyEntryAt(selection).code;
  settings_.apmEnabled = true;
}

void PowerSettingsEditor::ChooseSpm(bool on) { settings_.spmOn = on; }

bool PowerSettingsEditor::Save() {
  if (!Confirmed(power_msg::kSaveQuestion)) return false;
  return SendSettings() == SaveOutcome::kSaved;
}

SaveOutcome PowerSettingsEditor::SendSettings() {
  view_.BeginWait();
  SaveOutcome outcome = SaveOutcome::kSaved;
  if (!SetSystemPowerManagement(0, settings_.spmOn)) {
    ShowPowerMessage(power_msg::kSpmFailed);
    outcome = SaveOutcome::kSpmFailed;
  } else if (!SetStandbyTimer(0, settings_.standbyTimerCode)) {
    ShowPowerMessage(power_msg::kTimerFailed);
    outcome = SaveOutcome::kTimerFailed;
  }
  view_.EndWait();
  return outcome;
}

void PowerSettingsEditor::RestoreDefaults() {
  if (!Confirmed(power_msg::kRestoreQuestion)) return;
  ApplyDefaults();
}

bool PowerSettingsEditor::ApplyDefaults() {
  view_.BeginWait();
  const bool ok = RestorePowerDefaults(0) && ReadStatus();
  if (!ok) ShowPowerMessage(power_msg::kRestoreFailed);
  view_.EndWait();
  return ok;
}

}  // namespace zel
