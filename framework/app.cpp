#include "framework/app.h"

#include <commctrl.h>

#include "framework/framework_ids.h"
#include "framework/text_edge.h"
#include "framework/window.h"

namespace zel::fw {
namespace {
CApp* g_app = nullptr;
}

CApp::CApp() { g_app = this; }
CApp::~CApp() {
  if (g_app == this) g_app = nullptr;
}

CApp* CApp::Current() { return g_app; }

int CApp::RunProgram(HINSTANCE instance, const std::wstring& commandLine) {
  instance_ = instance;
  commandLine_ = commandLine;
  SetResourceModule(instance);
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  ::InitCommonControlsEx(&icc);
  bool ok = false;
  try {
    ok = InitInstance();
  } catch (...) {
    ok = false;
  }
  if (ok) exitCode_ = Run();
  int code = ExitInstance();
  return ok ? code : (code ? code : 1);
}

int CApp::RunProgram(HINSTANCE instance, const std::string& commandLine) {
  return RunProgram(instance, WideForWindow(commandLine));
}

int CApp::Run() {
  MSG msg;
  while (true) {
    BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) break;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

bool CApp::OnCommand(UINT id) {
  if (id == kIdAppExit && mainWindow_ && mainWindow_->Handle()) {
    mainWindow_->Post(WM_CLOSE);
    return true;
  }
  return false;
}

}  // namespace zel::fw
