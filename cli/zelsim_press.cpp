#include <cstdio>

#include "cli/command.h"
#include "cli/zelsim_commands.h"
#include "platform/sim/bridge.h"
#include "platform/sim/machine_builder.h"

namespace zel::cli {

int ZelsimPress(const std::vector<std::string>& argsIn) {
  std::vector<std::string> args = argsIn;
  int number = 1;
  if (!TakeEnclosureNumber(args, number)) return Fail("press", "--disk takes an enclosure number from 1");
  std::string button = "1";
  TakeOption(args, "--button", button);
  if (args.size() != 1 || (button != "1" && button != "2")) return Usage("press", "DIR [--button 1|2] [--disk N]");
  std::string error;
  if (!sim::PressButton(args[0], number, button[0] - '0', error)) return Fail("press", error);
  return 0;
}

int ZelsimFault(const std::vector<std::string>& args) {
  if (args.size() < 2 || args.size() > 3) return Usage("fault", "DIR NAME [VALUE]");
  sim::Machine m;
  std::string error;
  if (!sim::LoadMachine(args[0], m, error)) return Fail("fault", error);
  // A knob without a value is switched on; "0" or "off" clears it.
  const std::string value = args.size() == 3 ? args[2] : "1";
  if (!sim::SetFault(m, args[1], value, error)) return Fail("fault", error);
  return 0;
}

int ZelsimSet(const std::vector<std::string>& argsIn) {
  std::vector<std::string> args = argsIn;
  int number = 1;
  if (!TakeEnclosureNumber(args, number)) return Fail("set", "--disk takes an enclosure number from 1");
  if (args.size() != 3) return Usage("set", "DIR KEY VALUE [--disk N]");
  std::string error;
  if (!sim::SetBridgeValue(args[0], number, args[1], args[2], error)) return Fail("set", error);
  return 0;
}

}  // namespace zel::cli
