// The port tables of Dormel.exe (the Windows adapters and the skinned
// message box) and of Dormel-sim.exe (the same with the simulated machine
// named by ZEL_MACHINE in place of the device adapters; built and tested,
// never shipped).
#pragma once
#include <memory>
#include <string>

#include "ports/platform.h"
#include "ports/prompter.h"
#include "platform/win32/win32_device_ports.h"

namespace zel {

// The power tool's skinned box over the active window, and its sounds.
class DormelPrompter : public SkinnedPrompter {
 public:
  int Show(int background, const std::string& text, const std::string& caption, int kind) override;
  void PlaySound(int waveId) override;
};

class DormelPorts {
 public:
  DormelPorts();
  DormelPorts(const DormelPorts&) = delete;
  DormelPorts& operator=(const DormelPorts&) = delete;
  Platform& Table() { return table_; }

 private:
  Platform table_;
  win32::Win32DevicePorts devices_;
  DormelPrompter prompter_;
};

}  // namespace zel
