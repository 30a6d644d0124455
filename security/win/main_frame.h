// CMainFrame: the security tool's hidden frame. It owns the tray icon and
// its menu, listens for disks coming and going, and opens the main window.
#pragma once
#include <windows.h>

#include "framework/frame.h"
#include "framework/tray_icon.h"
#include "security/tessary_startup.h"

namespace zel {

class CSecurityDlg;

class CMainFrame : public fw::CFrame {
 public:
  explicit CMainFrame(const TessaryStartup& startup) : startup_(startup) {}
  bool Create();

 protected:
  ZEL_DECLARE_MESSAGE_MAP()

 private:
  LRESULT OnCreate(WPARAM wp, LPARAM lp);
  LRESULT OnDestroy(WPARAM wp, LPARAM lp);
  LRESULT OnTrayNotify(WPARAM wp, LPARAM lp);
  LRESULT OnDeviceChange(WPARAM wp, LPARAM lp);
  void OnOpenMainWindow();
  void LocaliseTrayMenu();

  const TessaryStartup& startup_;
  fw::CTrayIcon tray_;
  HDEVNOTIFY notification_ = nullptr;
  CSecurityDlg* openWindow_ = nullptr;
};

}  // namespace zel
