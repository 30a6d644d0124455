#include "framework/frame.h"

#include "framework/app.h"

namespace zel::fw {
namespace {
const wchar_t kFrameClass[] = L"ZelFrame";
}

// The class has default attributes: no cursor, background brush or icon.
bool CFrame::RegisterClassOnce() {
  static ATOM atom = 0;
  if (atom) return true;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = &CFrame::FrameProc;
  wc.hInstance = ResourceModule();
  wc.lpszClassName = kFrameClass;
  atom = ::RegisterClassExW(&wc);
  return atom != 0;
}

bool CFrame::CreateFromResource(UINT resourceId, const std::wstring& title, FrameStyle style) {
  if (!RegisterClassOnce()) return false;
  HMENU menu = ::LoadMenuW(ResourceModule(), MAKEINTRESOURCEW(resourceId));
  HWND hwnd = ::CreateWindowExW(style.exStyle, kFrameClass, title.c_str(), style.style, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, menu,
                                ResourceModule(), this);
  if (!hwnd && menu) ::DestroyMenu(menu);  // a window that was never made does not own it
  return hwnd != nullptr;
}

HMENU CFrame::FirstPopup() const {
  HMENU menu = Menu();
  return menu ? ::GetSubMenu(menu, 0) : nullptr;
}

LRESULT CALLBACK CFrame::FrameProc(HWND hwnd, UINT message, WPARAM wp, LPARAM lp) {
  if (message == WM_NCCREATE) {
    auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lp);
    if (auto* self = static_cast<CFrame*>(cs->lpCreateParams)) self->Bind(hwnd);
  }
  CFrame* self = static_cast<CFrame*>(FromHandle(hwnd));
  if (!self) return ::DefWindowProcW(hwnd, message, wp, lp);
  if (message == WM_NCDESTROY) {
    LRESULT r = ::DefWindowProcW(hwnd, message, wp, lp);
    self->Unbind();
    self->OnFinalMessage();
    return r;
  }
  return self->Route(message, wp, lp);
}

LRESULT CFrame::DefaultProcedure(UINT message, WPARAM wp, LPARAM lp) {
  return ::DefWindowProcW(hwnd_, message, wp, lp);
}

bool CFrame::RouteUnhandledCommand(UINT id) {
  CApp* app = CApp::Current();
  return app && app->OnCommand(id);
}

bool CFrame::HandleMessage(UINT message, WPARAM wp, LPARAM lp, LRESULT& result) {
  switch (message) {
    case WM_COMMAND:
      if ((HIWORD(wp) == 0 || (HIWORD(wp) == 1 && lp == 0)) && RouteUnhandledCommand(LOWORD(wp))) {
        result = 0;
        return true;
      }
      return false;
    case WM_DESTROY:
      // The application ends with its main window.
      if (CApp::Current() && CApp::Current()->MainWindow() == this) ::PostQuitMessage(0);
      result = 0;
      return true;
    default:
      return false;
  }
}

}  // namespace zel::fw
