// Dormel-sim.exe: Dormel on the simulated machine named by ZEL_MACHINE (see
// sim_program_ports.h). Built and tested, never shipped.
#include <windows.h>

#include <string>

#include "platform/sim/win/sim_program_ports.h"
#include "power/win/dormel_app.h"
#include "power/win/dormel_ports.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  const std::string machine = zel::SimulatedMachineDirectory();
  if (machine.empty()) {
    ::MessageBoxA(nullptr, "Set ZEL_MACHINE to the directory of a simulated machine (zelsim create DIR).",
                  "Dormel-sim", MB_ICONERROR);
    return 2;
  }
  zel::DormelPorts ports;
  zel::SimProgramPorts simulated(ports.Table(), machine);
  zel::ScopedPorts scoped(ports.Table());
  zel::CDormelApp app;
  return app.RunProgram(instance, std::string(commandLine ? commandLine : ""));
}
