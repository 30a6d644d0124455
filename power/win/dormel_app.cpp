#include "power/win/dormel_app.h"

#include <commctrl.h>

#include <vector>

#include "common/aspi.h"
#include "common/hardware_list.h"
#include "common/text.h"
#include "ports/platform.h"
#include "power/win/main_frame.h"

namespace zel {
namespace {

std::wstring ExecutablePath() {
  std::vector<wchar_t> buf(MAX_PATH + 1, L'\0');
  DWORD n = ::GetModuleFileNameW(nullptr, buf.data(), MAX_PATH);
  return std::wstring(buf.data(), n);
}

}  // namespace

CDormelApp::CDormelApp() = default;
CDormelApp::~CDormelApp() = default;

bool CDormelApp::ClaimSingleInstance() {
  instance_ = fw::CreateNamedMutex(L"ZelDormel", true);
  return !instance_.existed;
}

bool CDormelApp::LoadAspi() { return LoadAspiCommandOnly(); }

void CDormelApp::LoadHardwareList(const std::wstring& configFile) { zel::LoadHardwareList(configFile); }

bool CDormelApp::InitInstance() {
  // Controls are contained and drawn in 3-D by the system; the common
  // controls give the tooltips of the headings.
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
  ::InitCommonControlsEx(&icc);
  if (RunDormelStartup(WideToAnsi(CommandLine()), ExecutablePath(), *this, startup_) != DormelStartupOutcome::kRun) {
    return false;
  }
  Ports().family = startup_.family;
  frame_ = std::make_unique<CMainFrame>(startup_);
  SetMainWindow(frame_.get());
  if (!frame_->Create()) return false;
  frame_->Show(SW_HIDE);
  frame_->Update();
  return true;
}

int CDormelApp::ExitInstance() {
  FreeHardwareList();
  return CApp::ExitInstance();
}

}  // namespace zel
