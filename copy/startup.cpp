#include "copy/startup.h"

#include "common/texts.h"
#include "ports/platform.h"

namespace zel {
namespace {

const wchar_t kRunKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t kAutostartValue[] = L"Corvex";
constexpr uint32_t kAutostartBytes = 256;  // 128 wide characters with the terminator

void ShowStartupError(const wchar_t* text) {
  if (Ports().prompter) {
    Ports().prompter->MessageBox(0, text, TextW(L"MsgCaption01", L"Error Message"), kMbIconError);
  }
}

}  // namespace

CorvexSwitches ScanCorvexSwitches(const std::wstring& commandLine) {
  CorvexSwitches s;
  const size_t n = commandLine.size();
  auto at = [&](size_t pos, wchar_t letter) {
    return pos + 1 < n && commandLine[pos] == L'/' && commandLine[pos + 1] == letter;
  };
  size_t pos = 0;
  while (pos < n) {
    if (at(pos, L'a')) {
      s.autostart = true;
      pos += 2;
    }
    if (at(pos, L'f')) {
      s.noDialog = true;
      pos += 2;
    }
    if (at(pos, L'c')) {
      s.openConfiguration = true;
      pos += 2;
    }
    ++pos;
  }
  return s;
}

std::wstring AutostartDirectory(const std::wstring& value) {
  const std::wstring needle = std::wstring(L"\\") + kAutostartValue;
  size_t found = value.rfind(needle);
  if (found == std::wstring::npos) return value;
  std::wstring dir = value.substr(0, found);
  if (!dir.empty() && dir.front() == L'"') dir.erase(0, 1);
  return dir;
}

void ChangeToAutostartDirectory() {
  Platform& p = Ports();
  if (!p.registry || !p.system) return;
  RegValue value;
  if (p.registry->ReadValue(RegRoot::LocalMachine, kRunKey, kAutostartValue, kAutostartBytes, value) != 0) {
    return;
  }
  // The change simply fails when the value names no directory.
  p.system->ChangeDirectory(AutostartDirectory(RegValueText(value)));
}

StartupOutcome RunCorvexStartup(const std::wstring& commandLine, const std::wstring& modulePath,
                                CorvexStartupSteps& steps, CorvexStartup& out) {
  out = CorvexStartup{};
  out.switches = ScanCorvexSwitches(commandLine);
  if (out.switches.autostart) ChangeToAutostartDirectory();

  ProcessPaths() = FormAppPaths(modulePath, L"Corvex.mlf");

  if (!steps.ClaimSingleInstance()) {
    ShowStartupError(TextW(L"MsgStr01", L"The application is already running.").c_str());
    return StartupOutcome::kAlreadyRunning;
  }

  steps.LoadHardwareList(ProcessPaths().configFile);
  steps.SetUpFramework();

  OsVersion version = Ports().system ? Ports().system->Version() : OsVersion{};
  switch (ClassifySystem(version)) {
    case SystemFamily::Win98:
      out.family = SystemFamily::Win98;
      out.discover = steps.Win98Discovery();
      if (!steps.LoadAspi()) {
        ShowStartupError(
            TextWithTailW(L"MsgStr02", L" Wnaspi32.dll!", L"Can not load Wnaspi32.dll!").c_str());
        return StartupOutcome::kAspiMissing;
      }
      return StartupOutcome::kRun;
    case SystemFamily::Nt:
      out.family = SystemFamily::Nt;
      out.discover = steps.NtDiscovery();
      return StartupOutcome::kRun;
    case SystemFamily::Unsupported:
    case SystemFamily::Undecided:
      break;
  }
  ShowStartupError(
      TextW(L"MsgStr03", L"The application is not supported in current version of OS!").c_str());
  return StartupOutcome::kUnsupportedSystem;
}

}  // namespace zel
