#include <cstdio>
#include <cstdlib>

#include "cli/command.h"
#include "cli/zelsim_commands.h"
#include "platform/sim/machine_builder.h"

namespace zel::cli {

int ZelsimCreate(const Arguments& args) {
  const std::vector<std::string>& operands = args.Operands();
  const char* usage = "DIR [--disk-mb N] [--two-button] [--win98]";
  sim::CreateOptions options;
  std::string mb;
  if (args.Value("--disk-mb", mb)) {
    char* end = nullptr;
    const long n = std::strtol(mb.c_str(), &end, 10);
    if (mb.empty() || *end != 0 || n < 3 || n > 1024 * 1024) return Fail("create", "--disk-mb takes 3 to 1048576");
    options.diskMb = static_cast<uint32_t>(n);
  }
  options.twoButton = args.Has("--two-button");
  options.windows98 = args.Has("--win98");
  if (operands.size() != 1 || operands[0].rfind("--", 0) == 0) return Usage("create", usage);
  std::string error;
  if (!sim::CreateMachine(operands[0], options, error)) return Fail("create", error);
  std::printf("created %s\n", operands[0].c_str());
  return 0;
}

int ZelsimAddLun(const Arguments& args) {
  const std::vector<std::string>& operands = args.Operands();
  int number = 1;
  if (!ReadEnclosureNumber(args, number)) return Fail("add-lun", "--disk takes an enclosure number from 1");
  std::string mb;
  uint32_t diskMb = 64;
  if (args.Value("--disk-mb", mb)) diskMb = static_cast<uint32_t>(std::strtoul(mb.c_str(), nullptr, 10));
  if (operands.size() != 1) return Usage("add-lun", "DIR [--disk N] [--disk-mb M]");
  std::string error;
  if (!sim::AddLun(operands[0], number, diskMb, error)) return Fail("add-lun", error);
  return 0;
}

}  // namespace zel::cli
