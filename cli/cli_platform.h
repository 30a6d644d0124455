// The ports a command-line tool runs on, chosen from its arguments:
// "--machine DIR" gives the simulated machine in DIR, otherwise this
// computer's devices through the Linux adapters that the program's set-up
// installed. Every sub-command of every tool opens one of these before it
// touches a device.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "cli/command.h"
#include "ports/drive_map.h"
#include "ports/platform.h"
#include "platform/sim/view.h"

namespace zel::cli {

class CliPlatform {
 public:
  CliPlatform();
  ~CliPlatform();
  CliPlatform(const CliPlatform&) = delete;
  CliPlatform& operator=(const CliPlatform&) = delete;

  // Sets up the ports of the machine named by --machine DIR (this computer
  // when it is not given) and makes them the process's ports, decides the
  // system family and loads the supported-hardware list. False with `error`
  // set when the machine cannot be read.
  bool Open(const Arguments& args, std::string& error);
  // The same for the simulated machine in `machineDir`, or this computer's
  // devices when it is empty.
  bool Open(const std::string& machineDir, std::string& error);

  // Open() for a sub-command: 0 when ready, otherwise the exit status after
  // telling the user why ("corvex disks: ...").
  int OpenForCommand(const char* name, const Arguments& args);

  bool Simulated() const { return simulated_; }
  // One pass over the devices (a discovery, a device listing): on the
  // simulated machine its port calls share one look at the machine's files
  // (see sim::ViewPass); on this computer it changes nothing.
  sim::ViewPass DevicePass() const { return sim::ViewPass(machineDir_); }
  // After the enclosure changed a disk (a new table, a new size): on this
  // computer the kernel reads the disks of the device list again.
  void RereadDisks() const;
  // Drive letters and the host directories behind them (the simulated
  // machine's volumes, or on Linux the letters file's mounted directories,
  // or ZEL_DRIVES="E=/media/disk;F=/mnt/x" when set).
  std::vector<DriveMapping> DriveMap() const;

 private:
  struct Adapters;
  std::unique_ptr<Adapters> adapters_;
  std::unique_ptr<ScopedPorts> scoped_;
  bool simulated_ = false;
  std::string machineDir_;
};

}  // namespace zel::cli
