// The application object of Dormel: start-up (power/startup.h) with the
// Windows steps, the hidden main frame and the exit.
#pragma once
#include <memory>
#include <string>

#include "framework/app.h"
#include "framework/handles.h"
#include "power/startup.h"

namespace zel {

class CMainFrame;

class CDormelApp : public fw::CApp, private DormelStartupSteps {
 public:
  CDormelApp();
  ~CDormelApp() override;

  bool InitInstance() override;
  int ExitInstance() override;

 private:
  bool ClaimSingleInstance() override;
  bool LoadAspi() override;
  void LoadHardwareList(const std::wstring& configFile) override;

  fw::NamedMutex instance_;  // held until the process ends
  DormelStartup startup_;
  std::unique_ptr<CMainFrame> frame_;
};

}  // namespace zel
