// The port tables of Tessary.exe (the machine's own devices) and of
// Tessary-sim.exe (the simulated machine named by ZEL_MACHINE, for tests):
// the Windows adapters, and the skinned message box as the prompter.
#pragma once
#include <memory>
#include <string>

#include "ports/platform.h"
#include "ports/prompter.h"

namespace zel {

// Shows the security tool's skinned box over the active window and answers
// as the system's box does (kIdYes, kIdNo, kIdOk, kIdCancel).
class TessaryBoxPrompter : public SkinnedPrompter {
 public:
  int Show(int background, const std::string& text, const std::string& caption, int kind) override;
  void PlaySound(int waveId) override;
};

class TessaryPorts {
 public:
  TessaryPorts();
  TessaryPorts(const TessaryPorts&) = delete;
  TessaryPorts& operator=(const TessaryPorts&) = delete;
  Platform& Table() { return table_; }

 private:
  Platform table_;
  TessaryBoxPrompter prompter_;
};

class TessarySimPorts {
 public:
  explicit TessarySimPorts(const std::string& machineDirectory);
  ~TessarySimPorts();
  Platform& Table() { return base_.Table(); }

 private:
  struct Machine;
  TessaryPorts base_;
  std::unique_ptr<Machine> machine_;
};

}  // namespace zel
