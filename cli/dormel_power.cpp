// dormel status | set | defaults: the power settings of the supported
// device, read and written with the same rules as the Windows program's
// settings dialog (SPM first, then the standby timer).
#include <cstdio>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/dormel_session.h"
#include "cli/json_text.h"
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

// Plain: the captions of the window. --quiet: "on" or "off", then the
// standby entry (0-9, or the timer code 0xNNNN when it is in no entry).
// --json: both, with the entry's text.
int DormelStatus(const Arguments& args) {
  const bool json = args.Has("--json");
  const bool quiet = args.Has("--quiet");
  if (json && quiet) {
    std::fprintf(stderr, "dormel status: --json and --quiet do not go together\n");
    return 2;
  }
  DormelSession session("dormel status");
  if (int status = session.Open(args)) return status;
  NoPowerView view;
  PowerSettingsEditor editor(view);
  if (!editor.ReadStatus()) {
    ShowPowerMessage(power_msg::kStatusFailed);
    return 1;
  }
  const PowerSettings& s = editor.Settings();
  const int entry = s.apmEnabled ? FindStandbyEntry(s.standbyTimerCode) : 0;
  char code[8];
  std::snprintf(code, sizeof code, "0x%04X", s.standbyTimerCode);
  if (quiet) {
    std::printf("%s\n%s\n", s.spmOn ? "on" : "off", entry >= 0 ? std::to_string(entry).c_str() : code);
  } else if (json) {
    std::printf("{\"device\": %s, \"spm\": %s, \"standbyEntry\": %s, \"standby\": %s, \"timerCode\": \"%s\"}\n",
                JsonQuote(GlobalDeviceList().entries[0].friendlyName).c_str(), s.spmOn ? "true" : "false",
                entry >= 0 ? std::to_string(entry).c_str() : "null",
                entry >= 0 ? JsonQuote(StandbyEntryText(entry)).c_str() : "null", code);
  } else {
    PrintSettings(s);
  }
  return 0;
}

int DormelSet(const Arguments& args) {
  const char* usage = "[--machine DIR] [--spm on|off] [--standby ENTRY]";
  std::string spm, standby;
  const bool hasSpm = args.Value("--spm", spm);
  const bool hasStandby = args.Value("--standby", standby);
  if (!hasSpm && !hasStandby) {
    std::fprintf(stderr, "usage: dormel set %s\n", usage);
    return 2;
  }
  if (hasSpm && spm != "on" && spm != "off") {
    std::fprintf(stderr, "dormel set: --spm takes on or off, not '%s'\n", spm.c_str());
    return 2;
  }
  DormelSession session("dormel set");
  if (int status = session.Open(args)) return status;
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

int DormelDefaults(const Arguments& args) {
  DormelSession session("dormel defaults");
  if (int status = session.Open(args)) return status;
  NoPowerView view;
  PowerSettingsEditor editor(view);
  if (!editor.ApplyDefaults()) return 1;
  PrintSettings(editor.Settings());
  return 0;
}

}  // namespace zel::cli
