// dormel status | set | defaults: the power settings of the supported
// device, read and written with the same rules as the Windows program's
// settings dialog (SPM first, then the standby timer).
#include <cstdio>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/dormel_session.h"
#include "common/device_list.h"
#include "common/texts.h"
#include "power/power_messages.h"
#include "power/power_settings.h"
#include "power/standby_timers.h"

namespace zel::cli {
namespace {

std::string Trimmed(std::string s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == ':')) s.pop_back();
  return s;
}

void PrintSettings(const PowerSettings& s) {
  std::printf("Device: %s\n", GlobalDeviceList().entries[0].friendlyName.c_str());
  std::printf("%s: %s\n", TextA("SpmCaption", "System Power Management").c_str(),
              s.spmOn ? TextA("SpmOnCaption", "on").c_str() : TextA("SpmOffCaption", "off").c_str());
  const std::string label = Trimmed(TextA("ApmStatus", "Enter Standby: "));
  const int entry = s.apmEnabled ? FindStandbyEntry(s.standbyTimerCode) : 0;
  if (entry >= 0) {
    std::printf("%s: %s\n", label.c_str(), StandbyEntryText(entry).c_str());
  } else {
    std::printf("%s: timer code 0x%04X (not in the list)\n", label.c_str(), s.standbyTimerCode);
  }
}

std::string EntryList() {
  std::string list;
  for (int i = 0; i < kStandbyEntryCount; ++i) {
    list += "\n  " + std::to_string(i) + "  " + StandbyEntryText(i);
  }
  return list;
}

}  // namespace

int DormelStatus(const std::vector<std::string>& argsIn) {
  std::vector<std::string> args = argsIn;
  DormelSession session("dormel status");
  if (int status = session.Open("[--machine DIR]", args)) return status;
  NoPowerView view;
  PowerSettingsEditor editor(view);
  if (!editor.ReadStatus()) {
    ShowPowerMessage(power_msg::kStatusFailed);
    return 1;
  }
  PrintSettings(editor.Settings());
  return 0;
}

int DormelSet(const std::vector<std::string>& argsIn) {
  const char* usage = "[--machine DIR] [--spm on|off] [--standby ENTRY]";
  std::vector<std::string> args = argsIn;
  std::string spm, standby;
  const bool hasSpm = TakeOption(args, "--spm", spm);
  const bool hasStandby = TakeOption(args, "--standby", standby);
  if (!hasSpm && !hasStandby) {
    std::fprintf(stderr, "usage: dormel set %s\n", usage);
    return 2;
  }
  if (hasSpm && spm != "on" && spm != "off") {
    std::fprintf(stderr, "dormel set: --spm takes on or off, not '%s'\n", spm.c_str());
    return 2;
  }
  DormelSession session("dormel set");
  if (int status = session.Open(usage, args)) return status;
  const int entry = hasStandby ? ParseStandbyEntry(standby) : -1;
  if (hasStandby && entry < 0) {
    std::fprintf(stderr, "dormel set: '%s' is not a standby entry; the entries are (number or text):%s\n",
                 standby.c_str(), EntryList().c_str());
    return 2;
  }
  NoPowerView view;
  PowerSettingsEditor editor(view);
  // What is not given stays as the device has it.
  if (!(hasSpm && hasStandby) && !editor.ReadStatus()) {
    ShowPowerMessage(power_msg::kStatusFailed);
    return 1;
  }
  if (hasSpm) editor.ChooseSpm(spm == "on");
  if (hasStandby) editor.ChooseEntry(entry);
  if (editor.SendSettings() != SaveOutcome::kSaved) return 1;
  PrintSettings(editor.Settings());
  return 0;
}

int DormelDefaults(const std::vector<std::string>& argsIn) {
  std::vector<std::string> args = argsIn;
  DormelSession session("dormel defaults");
  if (int status = session.Open("[--machine DIR]", args)) return status;
  NoPowerView view;
  PowerSettingsEditor editor(view);
  if (!editor.ApplyDefaults()) return 1;
  PrintSettings(editor.Settings());
  return 0;
}

}  // namespace zel::cli
