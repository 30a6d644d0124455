// The port table of Corvex-sim.exe: Corvex.exe's, with the simulated
// machine in place of the device adapters (see sim_program_ports.h). Its
// volumes' drive letters are the drive mappings the program runs with
// (scripts/wine-run's ZEL_WINE_DRIVES under Wine), so copy runs write real
// files.
#pragma once
#include <string>

#include "copy/win/corvex_ports.h"
#include "platform/sim/win/sim_program_ports.h"

namespace zel {

class CorvexSimPorts {
 public:
  explicit CorvexSimPorts(const std::string& machineDirectory) : machine_(base_.Table(), machineDirectory) {}
  Platform& Table() { return base_.Table(); }

 private:
  CorvexPorts base_;
  SimProgramPorts machine_;
};

}  // namespace zel
