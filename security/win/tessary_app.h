// The application object of Tessary: start-up (security/tessary_startup.h)
// with the Windows steps, the brushes, the hidden frame and the exit.
#pragma once
#include <memory>

#include "framework/app.h"
#include "framework/handles.h"
#include "security/tessary_startup.h"

namespace zel {

class CMainFrame;

class CTessaryApp : public fw::CApp, private TessaryStartupSteps {
 public:
  CTessaryApp(const std::string& commandLine);
  ~CTessaryApp() override;

  bool InitInstance() override;
  int ExitInstance() override;

 private:
  bool ClaimSingleInstance() override;
  bool LoadAspi() override;
  void LoadHardwareList(const std::wstring& configFile) override;
  void EnumerateDevices() override;

  std::string commandLine_;  // in the system code page, as the program was started
  fw::NamedMutex instance_;  // held until the process ends
  TessaryStartup startup_;
  std::unique_ptr<CMainFrame> frame_;
};

}  // namespace zel
