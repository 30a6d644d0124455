// The hidden main frame of Dormel: the device list at creation, the tray
// icon and its menu, and the settings dialog, one at a time.
#pragma once
#include "framework/frame.h"
#include "framework/tray_icon.h"
#include "power/startup.h"

namespace zel {

class CSettingsDlg;

class CMainFrame : public fw::CFrame {
 public:
  explicit CMainFrame(const DormelStartup& startup) : startup_(startup) {}
  // Creates the frame from resource 128 (WM_CREATE runs the frame creation).
  bool Create();

 private:
  LRESULT OnCreate(WPARAM, LPARAM);
  LRESULT OnDestroy(WPARAM, LPARAM);
  LRESULT OnTrayNotify(WPARAM, LPARAM mouseMessage);
  void OnSettings();

  DormelStartup startup_;
  fw::CTrayIcon tray_;
  CSettingsDlg* openDialog_ = nullptr;

  ZEL_DECLARE_MESSAGE_MAP()
};

}  // namespace zel
