#include "power/startup.h"

#include "common/app_paths.h"
#include "common/config.h"
#include "common/text.h"
#include "common/texts.h"
#include "power/power_messages.h"
#include "ports/platform.h"

namespace zel {

bool ScanOpenAtStart(const std::string& commandLine) { return commandLine.find("/c") != std::string::npos; }

DormelStartupOutcome RunDormelStartup(const std::string& commandLine, const std::wstring& modulePath,
                                      DormelStartupSteps& steps, DormelStartup& out) {
  out = DormelStartup{};
  out.openAtStart = ScanOpenAtStart(commandLine);
  ProcessPaths() = FormAppPaths(modulePath, L"Dormel.mlf");

  if (!steps.ClaimSingleInstance()) {
    ShowPowerMessage(power_msg::kAlreadyRunning);
    return DormelStartupOutcome::kAlreadyRunning;
  }

  const OsVersion version = Ports().system ? Ports().system->Version() : OsVersion{};
  switch (ClassifySystem(version)) {
    case SystemFamily::Win98:
      out.family = SystemFamily::Win98;
      out.discover = &EnumerateDevices98;
      if (!steps.LoadAspi()) {
        const PowerMessage missing{"MsgStr02", "", "MsgCaption01", "Error Message", 149, 145, kErrorSound};
        SkinnedPrompter* prompter = Ports().skinned;
        if (prompter) {
          prompter->PlaySound(missing.sound);
          prompter->Show(missing.background,
                         TextWithTailA("MsgStr02", " Wnaspi32.dll!", "Can not fine the file Wnaspi32.dll!"),
                         TextA(missing.captionKey, missing.caption), missing.kind);
        }
        return DormelStartupOutcome::kAspiMissing;
      }
      break;
    case SystemFamily::Nt:
      out.family = SystemFamily::Nt;
      out.discover = &EnumerateDevicesNt;
      break;
    case SystemFamily::Unsupported:
    case SystemFamily::Undecided:
      ShowPowerMessage(power_msg::kUnsupportedSystem);
      return DormelStartupOutcome::kUnsupportedSystem;
  }
  steps.LoadHardwareList(ProcessPaths().configFile);
  return DormelStartupOutcome::kRun;
}

std::wstring DormelTrayTip() {
  std::wstring tip = AnsiToWide(ReadString("Installation", "AppDesc", "Power Management tool", 260));
  constexpr size_t kTipChars = 63;
  if (tip.size() > kTipChars) tip.resize(kTipChars);
  return tip;
}

}  // namespace zel
