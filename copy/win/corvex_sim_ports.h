// The port table of Corvex-sim.exe: Corvex.exe's, with the simulated
// machine in place of the device adapters. The machine's directory comes
// from the environment variable ZEL_MACHINE (a host path such as
// /tmp/machine, or a Windows path); its volumes' drive letters are the drive
// mappings the program runs with (scripts/wine-run's ZEL_WINE_DRIVES under
// Wine), so copy runs write real files.
#pragma once
#include <memory>
#include <string>

#include "copy/win/corvex_ports.h"
#include "platform/sim/sim_ports.h"

namespace zel {

class CorvexSimPorts {
 public:
  explicit CorvexSimPorts(const std::string& machineDirectory);
  Platform& Table() { return base_.Table(); }

 private:
  // The simulated machine's version and name; the program's own files and
  // directories are still the host's.
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

  CorvexPorts base_;
  sim::SimMachinePorts machine_;
  std::unique_ptr<MachineSystem> system_;
};

// The machine directory named by ZEL_MACHINE in the form the Windows
// build opens (a host path "/x/y" becomes "Z:\\x\\y", Wine's view of the host
// root); empty when the variable is not set.
std::string SimulatedMachineDirectory();

}  // namespace zel
