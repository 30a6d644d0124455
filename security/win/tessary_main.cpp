// Tessary.exe: the disk security program on the machine's own devices.
#include <windows.h>

#include "security/win/tessary_app.h"
#include "security/win/tessary_ports.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  zel::TessaryPorts ports;
  zel::ScopedPorts scoped(ports.Table());
  const std::string line = commandLine ? commandLine : "";
  zel::CTessaryApp app(line);
  return app.RunProgram(instance, line);
}
