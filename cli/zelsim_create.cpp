#include <cstdio>
#include <cstdlib>

#include "cli/command.h"
#include "cli/zelsim_commands.h"
#include "platform/sim/machine_builder.h"

namespace zel::cli {

int ZelsimCreate(const std::vector<std::string>& argsIn) {
  std::vector<std::string> args = argsIn;
  const char* usage = "DIR [--disk-mb N] [--two-button] [--win98]";
  sim::CreateOptions options;
  std::string mb;
  if (TakeOption(args, "--disk-mb", mb)) {
    char* end = nullptr;
    const long n = std::strtol(mb.c_str(), &end, 10);
    if (mb.empty() || *end != 0 || n < 3 || n > 1024 * 1024) return Fail("create", "--disk-mb takes 3 to 1048576");
    options.diskMb = static_cast<uint32_t>(n);
  }
  options.twoButton = TakeFlag(args, "--two-button");
  options.windows98 = TakeFlag(args, "--win98");
  if (args.size() != 1 || args[0].rfind("--", 0) == 0) return Usage("create", usage);
  std::string error;
  if (!sim::CreateMachine(args[0], options, error)) return Fail("create", error);
  std::printf("created %s\n", args[0].c_str());
  return 0;
}

int ZelsimAddLun(const std::vector<std::string>& argsIn) {
  std::vector<std::string> args = argsIn;
  int number = 1;
  if (!TakeEnclosureNumber(args, number)) return Fail("add-lun", "--disk takes an enclosure number from 1");
  std::string mb;
  uint32_t diskMb = 64;
  if (TakeOption(args, "--disk-mb", mb)) diskMb = static_cast<uint32_t>(std::strtoul(mb.c_str(), nullptr, 10));
  if (args.size() != 1) return Usage("add-lun", "DIR [--disk N] [--disk-mb M]");
  std::string error;
  if (!sim::AddLun(args[0], number, diskMb, error)) return Fail("add-lun", error);
  return 0;
}

}  // namespace zel::cli
