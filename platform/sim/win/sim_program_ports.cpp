#include "platform/sim/win/sim_program_ports.h"

#include <windows.h>

#include <vector>

namespace zel {

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

SimProgramPorts::SimProgramPorts(Platform& table, const std::string& machineDirectory)
    : machine_(machineDirectory), system_(machine_.system, *table.system) {
  machine_.Fill(table);
  table.system = &system_;
}

}  // namespace zel
