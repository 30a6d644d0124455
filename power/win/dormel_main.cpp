// Dormel.exe: the power management program on the machine's own devices.
#include <windows.h>

#include "power/win/dormel_app.h"
#include "power/win/dormel_ports.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  zel::DormelPorts ports;
  zel::ScopedPorts scoped(ports.Table());
  zel::CDormelApp app;
  return app.RunProgram(instance, std::string(commandLine ? commandLine : ""));
}
