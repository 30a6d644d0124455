// Corvex-sim.exe: Corvex on the simulated machine named by ZEL_MACHINE
// (see corvex_sim_ports.h). Built and tested, never shipped.
#include <windows.h>

#include "copy/button_latch.h"
#include "copy/win/corvex_app.h"
#include "copy/win/corvex_sim_ports.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
  std::string machine = zel::SimulatedMachineDirectory();
  if (machine.empty()) {
    ::MessageBoxW(nullptr, L"Set ZEL_MACHINE to the directory of a simulated machine (zelsim create DIR).",
                  L"Corvex-sim", MB_ICONERROR);
    return 2;
  }
  zel::CorvexSimPorts ports(machine);
  zel::ScopedPorts scoped(ports.Table());
  zel::TransportButtonLatch latch;
  zel::CCorvexApp app(latch);
  return app.RunProgram(instance, commandLine ? commandLine : L"");
}
