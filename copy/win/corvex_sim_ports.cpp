#include "copy/win/corvex_sim_ports.h"

#include <windows.h>

#include <vector>

namespace zel {

CorvexSimPorts::CorvexSimPorts(const std::string& machineDirectory) : machine_(machineDirectory) {
  Platform& table = base_.Table();
  SystemPort& host = *table.system;
  machine_.Fill(table);
  system_ = std::make_unique<MachineSystem>(*table.system, host);
  table.system = system_.get();
}

std::string SimulatedMachineDirectory() {
  std::vector<char> buf(32768, '\0');
  DWORD n = ::GetEnvironmentVariableA("ZEL_MACHINE", buf.data(), static_cast<DWORD>(buf.size()));
  if (n == 0 || n >= buf.size()) return {};
  std::string dir(buf.data(), n);
  if (dir[0] == '/') {
    for (char& c : dir) {
      if (c == '/') c = '\\';
    }
    dir = "Z:" + dir;
  }
  return dir;
}

}  // namespace zel
