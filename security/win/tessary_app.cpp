#include "security/win/tessary_app.h"

#include <commctrl.h>

#include <vector>

#include "common/aspi.h"
#include "common/device_list.h"
#include "common/hardware_list.h"
#include "ports/platform.h"
#include "security/win/button_looks.h"
#include "security/win/main_frame.h"

namespace zel {
namespace {

std::wstring ExecutablePath() {
  std::vector<wchar_t> buf(MAX_PATH + 1, L'\0');
  const DWORD n = ::GetModuleFileNameW(nullptr, buf.data(), MAX_PATH);
  return std::wstring(buf.data(), n);
}

}  // namespace

CTessaryApp::CTessaryApp(const std::string& commandLine) : commandLine_(commandLine) {}
CTessaryApp::~CTessaryApp() = default;

bool CTessaryApp::ClaimSingleInstance() {
  instance_ = fw::CreateNamedMutex(L"ZelTessary", true);
  return !instance_.existed;
}

bool CTessaryApp::LoadAspi() { return zel::LoadAspi(); }
void CTessaryApp::LoadHardwareList(const std::wstring& configFile) { zel::LoadHardwareList(configFile); }
void CTessaryApp::EnumerateDevices() { zel::EnumerateDevices(GlobalDeviceList()); }

bool CTessaryApp::InitInstance() {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
  ::InitCommonControlsEx(&controls);
  if (RunTessaryStartup(commandLine_, ExecutablePath(), *this, startup_) != TessaryStartupOutcome::kRun) {
    return false;
  }
  CreateBrushes();
  frame_ = std::make_unique<CMainFrame>(startup_);
  SetMainWindow(frame_.get());
  if (!frame_->Create()) return false;
  frame_->Show(SW_HIDE);
  frame_->Update();
  return true;
}

int CTessaryApp::ExitInstance() {
  FreeHardwareList();
  if (startup_.family == SystemFamily::Win98) UnloadAspi();
  return CApp::ExitInstance();
}

}  // namespace zel
