// The hidden main frame of Corvex: the tray icon and its menu, the button
// poll and rescan timers, device changes, the configuration window and the
// help file. The button watch decides; the frame shows.
#pragma once
#include <memory>

#include "copy/button_watch.h"
#include "copy/startup.h"
#include "framework/frame.h"
#include "framework/tray_icon.h"

namespace zel {

class ButtonLatch;
class CDiskOverviewWindow;
class CopyProgressDialog;

class CMainFrame : public fw::CFrame, private ButtonWatchHost {
 public:
  CMainFrame(const CorvexStartup& startup, ButtonLatch& latch);
  ~CMainFrame() override;
  // Creates the frame from resource 128 (WM_CREATE runs the frame creation).
  bool Create();

 private:
  LRESULT OnCreate(WPARAM, LPARAM);
  LRESULT OnDestroy(WPARAM, LPARAM);
  void OnConfiguration();
  LRESULT OnTimer(WPARAM id, LPARAM);
  LRESULT OnTrayNotify(WPARAM, LPARAM mouseMessage);
  LRESULT OnDeviceChange(WPARAM event, LPARAM header);
  void OnHelp();

  void LocaliseTrayMenu();

  // ButtonWatchHost
  void StartPollTimer() override;
  void StopPollTimer() override;
  void StartRescanTimer() override;
  void StopRescanTimer() override;
  void BeginButtonRun() override;
  void RunCopy(uint32_t diskIndex, uint8_t direction) override;
  void EndButtonRun() override;
  void RefreshConfiguration() override;

  CorvexStartup startup_;
  ButtonLatch& latch_;
  std::unique_ptr<ButtonWatch> watch_;
  fw::CTrayIcon tray_;
  CDiskOverviewWindow* openConfiguration_ = nullptr;
  std::unique_ptr<CopyProgressDialog> progress_;

  ZEL_DECLARE_MESSAGE_MAP()
};

}  // namespace zel
