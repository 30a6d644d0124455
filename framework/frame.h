// A top-level window of the framework's own window class. The programs'
// hidden main frames (CMainFrame) derive from it: created from a resource id
// that names their menu and icon, they own the tray icon and the timers.
#pragma once
#include "framework/menu.h"
#include "framework/window.h"

namespace zel::fw {

struct FrameStyle {
  DWORD style = WS_OVERLAPPEDWINDOW;
  DWORD exStyle = 0;
};

class CFrame : public CWindow {
 public:
  // Creates the window with the menu `resourceId` (when the program has one)
  // and the given title. WM_CREATE reaches the map before this returns;
  // false when creation failed (for instance when OnCreate refused it).
  bool CreateFromResource(UINT resourceId, const std::wstring& title, FrameStyle style);
  HMENU Menu() const { return ::GetMenu(hwnd_); }
  // The first pop-up of the frame's menu, or null.
  HMENU FirstPopup() const;

  // The tray icon's mouse messages, answered alike by every tray program: a
  // double click opens the program's window, a right click pops up the first
  // menu at the cursor.
  template <class OpenWindow>
  LRESULT AnswerTrayMouse(LPARAM mouseMessage, OpenWindow openWindow) {
    switch (static_cast<UINT>(mouseMessage)) {
      case WM_LBUTTONDBLCLK:
        openWindow();
        break;
      case WM_RBUTTONUP:
        TrackPopupAtCursor(FirstPopup(), hwnd_);
        break;
      default:
        break;
    }
    return 0;
  }

 protected:
  LRESULT DefaultProcedure(UINT message, WPARAM wp, LPARAM lp) override;
  bool HandleMessage(UINT message, WPARAM wp, LPARAM lp, LRESULT& result) override;
  // Commands the frame's map leaves alone go to the application object.
  virtual bool RouteUnhandledCommand(UINT id);

 private:
  static bool RegisterClassOnce();
  static LRESULT CALLBACK FrameProc(HWND hwnd, UINT message, WPARAM wp, LPARAM lp);
};

}  // namespace zel::fw
