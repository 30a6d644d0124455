// Tessary-sim.exe's ports: the simulated machine in place of the device
// adapters; the machine's version, the host's clock and language.
#include "platform/sim/sim_ports.h"
#include "security/win/tessary_ports.h"

namespace zel {

struct TessarySimPorts::Machine {
  explicit Machine(const std::string& dir) : ports(dir) {}
  sim::SimMachinePorts ports;
};

TessarySimPorts::TessarySimPorts(const std::string& machineDirectory)
    : machine_(std::make_unique<Machine>(machineDirectory)) {
  machine_->ports.Fill(base_.Table());
}

TessarySimPorts::~TessarySimPorts() = default;

}  // namespace zel
