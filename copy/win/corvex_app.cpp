#include "copy/win/corvex_app.h"

#include <vector>

#include "common/aspi.h"
#include "common/discovery.h"
#include "common/hardware_list.h"
#include "common/transport.h"
#include "copy/win/main_frame.h"
#include "copy/win/resource.h"
#include "framework/dialog.h"

namespace zel {

std::wstring ExecutablePath() {
  std::vector<wchar_t> buf(MAX_PATH + 1, L'\0');
  DWORD n = ::GetModuleFileNameW(nullptr, buf.data(), MAX_PATH);
  return std::wstring(buf.data(), n);
}

CCorvexApp::CCorvexApp(ButtonLatch& latch) : latch_(latch) {}
CCorvexApp::~CCorvexApp() = default;

bool CCorvexApp::ClaimSingleInstance() {
  instance_ = fw::CreateNamedMutex(L"Corvex", true);
  return !instance_.existed;
}

void CCorvexApp::LoadHardwareList(const std::wstring& configFile) { zel::LoadHardwareList(configFile); }
bool CCorvexApp::LoadAspi() { return zel::LoadAspi(); }
DiscoveryProcedure CCorvexApp::NtDiscovery() { return &DiscoverNt; }
DiscoveryProcedure CCorvexApp::Win98Discovery() { return &Discover98; }

bool CCorvexApp::InitInstance() {
  // The framework's own set-up has nothing left to do on current systems:
  // controls are contained and drawn in 3-D by the system, and the program
  // keeps no settings in the registry.
  if (RunCorvexStartup(CommandLine(), ExecutablePath(), *this, startup_) != StartupOutcome::kRun) return false;
  Ports().family = startup_.family;
  frame_ = std::make_unique<CMainFrame>(startup_, latch_);
  SetMainWindow(frame_.get());
  if (!frame_->Create()) return false;
  frame_->Show(SW_HIDE);
  frame_->Update();
  return true;
}

int CCorvexApp::ExitInstance() {
  FreeHardwareList();
  return CApp::ExitInstance();
}

bool CCorvexApp::OnCommand(UINT id) {
  if (id == ID_APP_ABOUT) {
    fw::CDialog about(IDD_ABOUTBOX);
    about.DoModal(frame_ ? frame_->Handle() : nullptr);
    return true;
  }
  return CApp::OnCommand(id);
}

}  // namespace zel
