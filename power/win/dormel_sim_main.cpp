// Dormel-sim.exe: Dormel on the simulated machine named by ZEL_MACHINE (a
// host path such as /tmp/machine, or a Windows path). The machine gives the
// devices and the system version; the program's own files, language and
// windows are the host's.
#include <windows.h>

#include <memory>
#include <vector>

#include "platform/sim/sim_ports.h"
#include "power/win/dormel_app.h"
#include "power/win/dormel_ports.h"

namespace {

class MachineSystem : public zel::SystemPort {
 public:
  MachineSystem(zel::SystemPort& machine, zel::SystemPort& host) : machine_(machine), host_(host) {}
  uint16_t DefaultLanguage() override { return host_.DefaultLanguage(); }
  uint32_t TickCount() override { return host_.TickCount(); }
  zel::OsVersion Version() override { return machine_.Version(); }
  std::wstring ComputerName() override { return machine_.ComputerName(); }
  std::wstring ModulePath() override { return host_.ModulePath(); }
  std::wstring CurrentDirectory() override { return host_.CurrentDirectory(); }
  bool ChangeDirectory(const std::wstring& dir) override { return host_.ChangeDirectory(dir); }
  void Sleep(uint32_t ms) override { host_.Sleep(ms); }

 private:
  zel::SystemPort& machine_;
  zel::SystemPort& host_;
};

std::string MachineDirectory() {
  std::vector<char> buf(32768, '\0');
  DWORD n = ::GetEnvironmentVariableA("ZEL_MACHINE", buf.data(), static_cast<DWORD>(buf.size()));
  if (n == 0 || n >= buf.size()) return {};
  std::string dir(buf.data(), n);
  if (dir[0] == '/') {  // Wine shows the host's root as Z:
    for (char& c : dir) {
      if (c == '/') c = '\\';
    }
    dir = "Z:" + dir;
  }
  return dir;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  const std::string machine = MachineDirectory();
  if (machine.empty()) {
    ::MessageBoxA(nullptr, "Set ZEL_MACHINE to the directory of a simulated machine (zelsim create DIR).",
                  "Dormel-sim", MB_ICONERROR);
    return 2;
  }
  zel::DormelPorts ports;
  zel::Platform& table = ports.Table();
  zel::SystemPort& host = *table.system;
  zel::sim::SimMachinePorts simulated(machine);
  simulated.Fill(table);
  MachineSystem system(*table.system, host);
  table.system = &system;
  zel::ScopedPorts scoped(table);
  zel::CDormelApp app;
  return app.RunProgram(instance, std::string(commandLine ? commandLine : ""));
}
