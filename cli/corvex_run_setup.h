// What the copy sub-commands of corvex stand on: the simulated machine named
// by --machine DIR (its device ports, its drive letters mapped to host
// directories with their free space), the terminal's prompter (--yes, --no),
// and the disk list found on the machine.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/posix/console_prompter.h"
#include "platform/posix/file_system_posix.h"
#include "platform/sim/sim_ports.h"

namespace zel::cli {

class CorvexRunSetup {
 public:
  // Takes --machine, --yes and --no out of args. False with `error` when the
  // machine cannot be opened.
  bool Open(std::vector<std::string>& args, std::string& error);
  // Runs discovery into the global disk list; false with `error` when it fails.
  bool FindDisks(std::string& error);
  // The disk of "--disk N" (an index of the global disk list, from 0).
  bool TakeDisk(std::vector<std::string>& args, uint8_t& index, std::string& error);

  ConsolePrompter& Prompter() { return *prompter_; }
  // The button mode of config.ini.
  uint8_t ButtonMode() const;

 private:
  std::unique_ptr<sim::SimMachinePorts> machine_;
  std::unique_ptr<PosixFileSystem> files_;
  std::unique_ptr<ConsolePrompter> prompter_;
  std::unique_ptr<ScopedPorts> ports_;
};

// A path as the tools print it.
std::string Printable(const std::wstring& text);

}  // namespace zel::cli
