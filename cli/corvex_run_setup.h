// What the copy sub-commands of corvex stand on: the machine's ports (the
// simulated machine named by --machine DIR or ZEL_MACHINE, otherwise this
// computer's devices), the terminal's prompter (--yes, --no), and the disk
// list found on the machine.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "cli/cli_platform.h"
#include "ports/platform.h"
#include "platform/posix/console_prompter.h"

namespace zel::cli {

class CorvexRunSetup {
 public:
  // Reads --machine (or ZEL_MACHINE), --yes and --no. False with `error`
  // when the machine cannot be opened.
  bool Open(const Arguments& args, std::string& error);
  // Runs discovery into the global disk list; false with `error` when it fails.
  bool FindDisks(std::string& error);
  // The disk of "--disk N" (an index of the global disk list, from 0).
  bool ReadDisk(const Arguments& args, uint8_t& index, std::string& error);

  ConsolePrompter& Prompter() { return *prompter_; }
  // One look at a simulated machine for the few calls of a short step (see
  // sim::ViewPass).
  sim::ViewPass DevicePass() const { return platform_.DevicePass(); }
  // The button mode of config.ini.
  uint8_t ButtonMode() const;

 private:
  std::unique_ptr<ConsolePrompter> prompter_;
  std::unique_ptr<ScopedPorts> prompterPorts_;
  CliPlatform platform_;
};

// A path as the tools print it.
std::string Printable(const std::wstring& text);

}  // namespace zel::cli
