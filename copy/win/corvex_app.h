// The application object of Corvex: start-up (copy/startup.h) with the
// Windows steps, the hidden main frame, the about box and the exit.
#pragma once
#include <memory>

#include "copy/startup.h"
#include "framework/app.h"
#include "framework/handles.h"

namespace zel {

class ButtonLatch;
class CMainFrame;

class CCorvexApp : public fw::CApp, private CorvexStartupSteps {
 public:
  explicit CCorvexApp(ButtonLatch& latch);
  ~CCorvexApp() override;

  bool InitInstance() override;
  int ExitInstance() override;
  bool OnCommand(UINT id) override;

 private:
  bool ClaimSingleInstance() override;
  void LoadHardwareList(const std::wstring& configFile) override;
  bool LoadAspi() override;
  DiscoveryProcedure NtDiscovery() override;
  DiscoveryProcedure Win98Discovery() override;

  ButtonLatch& latch_;
  fw::NamedMutex instance_;  // held until the process ends
  CorvexStartup startup_;
  std::unique_ptr<CMainFrame> frame_;
};

// The full path of the running executable.
std::wstring ExecutablePath();

}  // namespace zel
