// Tessary-sim.exe: Tessary on the simulated machine whose directory the
// environment variable ZEL_MACHINE names (a host path "/x/y" is reached as
// Wine's "Z:\x\y"). Built and tested, never shipped.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "security/win/tessary_app.h"
#include "security/win/tessary_ports.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  const char* named = std::getenv("ZEL_MACHINE");
  std::string machine = named ? named : "";
  if (machine.empty()) {
    ::MessageBoxA(nullptr, "Set ZEL_MACHINE to the directory of a simulated machine (zelsim create DIR).",
                  "Tessary-sim", MB_ICONERROR);
    return 2;
  }
  if (machine[0] == '/') {
    for (char& c : machine) {
      if (c == '/') c = '\\';
    }
    machine = "Z:" + machine;
  }
  zel::TessarySimPorts ports(machine);
  zel::ScopedPorts scoped(ports.Table());
  const std::string line = commandLine ? commandLine : "";
  zel::CTessaryApp app(line);
  return app.RunProgram(instance, line);
}
