// What every -sim program (Corvex-sim.exe, Dormel-sim.exe) does before it
// runs: find the simulated machine named by ZEL_MACHINE and lay its device
// adapters over the program's own port table. The machine gives the devices,
// the system version and the computer name; the program's own files,
// directories, language and clock stay the host's.
#pragma once
#include <string>

#include "platform/sim/sim_ports.h"
#include "ports/platform.h"
#include "ports/system_port.h"

namespace zel {

// The machine directory named by ZEL_MACHINE in the form the Windows build
// opens: a host path "/x/y" becomes "Z:\\x\\y" (Wine's view of the host
// root), a Windows path is kept. Empty when the variable is not set.
std::string SimulatedMachineDirectory();

class SimProgramPorts {
 public:
  // Changes `table` in place: its device ports and system port then lead
  // to this object, which must live as long as the table is used.
  SimProgramPorts(Platform& table, const std::string& machineDirectory);
  SimProgramPorts(const SimProgramPorts&) = delete;
  SimProgramPorts& operator=(const SimProgramPorts&) = delete;

 private:
  class MachineSystem : public SystemPort {
   public:
    MachineSystem(SystemPort& machine, SystemPort& host) : machine_(machine), host_(host) {}
    uint16_t DefaultLanguage() override { return host_.DefaultLanguage(); }
    uint32_t TickCount() override { return host_.TickCount(); }
    OsVersion Version() override { return machine_.Version(); }
    std::wstring ComputerName() override { return machine_.ComputerName(); }
    std::wstring ModulePath() override { return host_.ModulePath(); }
    std::wstring CurrentDirectory() override { return host_.CurrentDirectory(); }
    bool ChangeDirectory(const std::wstring& dir) override { return host_.ChangeDirectory(dir); }
    void Sleep(uint32_t ms) override { host_.Sleep(ms); }

   private:
    SystemPort& machine_;
    SystemPort& host_;
  };

  sim::SimMachinePorts machine_;
  MachineSystem system_;
};

}  // namespace zel
