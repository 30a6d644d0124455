#include "security/tessary_startup.h"

#include "common/app_paths.h"
#include "common/texts.h"
#include "ports/platform.h"
#include "security/messages.h"

namespace zel {

bool OpensWindowAtStart(const std::string& commandLine) { return commandLine.find("/c") != std::string::npos; }

TessaryStartupOutcome RunTessaryStartup(const std::string& commandLine, const std::wstring& modulePath,
                                        TessaryStartupSteps& steps, TessaryStartup& out) {
  out = TessaryStartup{};
  out.openAtStart = OpensWindowAtStart(commandLine);
  ProcessPaths() = FormAppPaths(modulePath, L"Tessary.mlf");
  if (!steps.ClaimSingleInstance()) {
    ShowSecurityMessage(msg::kAlreadyRunning);
    return TessaryStartupOutcome::kAlreadyRunning;
  }
  const OsVersion version = Ports().system ? Ports().system->Version() : OsVersion{};
  out.family = ClassifySystem(version);
  switch (out.family) {
    case SystemFamily::Nt:
      break;
    case SystemFamily::Win98:
      if (!steps.LoadAspi()) {
        // The language file's text lacks the library's name; the default has it.
        const SecurityMessage& m = msg::kAspiMissing;
        ShowSecurityMessageText(m, TextWithTailA(m.key, " Wnaspi32.dll!", m.text));
        return TessaryStartupOutcome::kAspiMissing;
      }
      break;
    case SystemFamily::Unsupported:
    case SystemFamily::Undecided:
      ShowSecurityMessage(msg::kUnsupportedSystem);
      return TessaryStartupOutcome::kUnsupportedSystem;
  }
  Ports().family = out.family;
  steps.LoadHardwareList(ProcessPaths().configFile);
  steps.EnumerateDevices();
  return TessaryStartupOutcome::kRun;
}

}  // namespace zel
