#include <cstdio>

#include "cli/command.h"
#include "cli/zelsim_commands.h"
#include "platform/sim/bridge.h"
#include "platform/sim/machine_builder.h"

namespace zel::cli {

int ZelsimPress(const Arguments& args) {
  const std::vector<std::string>& operands = args.Operands();
  int number = 1;
  if (!ReadEnclosureNumber(args, number)) return Fail("press", "--disk takes an enclosure number from 1");
  std::string button = "1";
  args.Value("--button", button);
  if (operands.size() != 1 || (button != "1" && button != "2")) return Usage("press", "DIR [--button 1|2] [--disk N]");
  std::string error;
  if (!sim::PressButton(operands[0], number, button[0] - '0', error)) return Fail("press", error);
  return 0;
}

int ZelsimFault(const Arguments& args) {
  const std::vector<std::string>& operands = args.Operands();
  if (operands.size() < 2 || operands.size() > 3) return Usage("fault", "DIR NAME [VALUE]");
  sim::Machine m;
  std::string error;
  if (!sim::LoadMachine(operands[0], m, error)) return Fail("fault", error);
  // A knob without a value is switched on; "0" or "off" clears it.
  const std::string value = operands.size() == 3 ? operands[2] : "1";
  if (!sim::SetFault(m, operands[1], value, error)) return Fail("fault", error);
  return 0;
}

int ZelsimSet(const Arguments& args) {
  const std::vector<std::string>& operands = args.Operands();
  int number = 1;
  if (!ReadEnclosureNumber(args, number)) return Fail("set", "--disk takes an enclosure number from 1");
  if (operands.size() != 3) return Usage("set", "DIR KEY VALUE [--disk N]");
  std::string error;
  if (!sim::SetBridgeValue(operands[0], number, operands[1], operands[2], error)) return Fail("set", error);
  return 0;
}

}  // namespace zel::cli
