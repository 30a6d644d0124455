// Corvex.exe: the one-touch copy program on the machine's own devices.
#include <windows.h>

#include "copy/button_latch.h"
#include "copy/win/corvex_app.h"
#include "copy/win/corvex_ports.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
  zel::CorvexPorts ports;
  zel::ScopedPorts scoped(ports.Table());
  zel::TransportButtonLatch latch;
  zel::CCorvexApp app(latch);
  return app.RunProgram(instance, commandLine ? commandLine : L"");
}
