// The zelsim command-line front end.
#include <vector>

#include "cli/command.h"
#include "cli/zelsim_commands.h"

namespace zel::cli {
// Sub-commands of zelsim, one file each ("zelsim_<name>.cpp").
}  // namespace zel::cli

int main(int argc, char** argv) {
  using namespace zel::cli;
  const std::vector<Command> commands = {
      {"create", "DIR [--disk-mb N] [--two-button] [--win98]",
       "make a machine: one enclosure of N MiB (default 64) with E: (F: once partitioned), C:, CD-ROM D:", ZelsimCreate},
      {"show", "DIR", "print the machine, each bridge's state, images and drive directories", ZelsimShow},
      {"drives", "DIR", "print the drive map as ZEL_WINE_DRIVES takes it (E=/host/dir;F=...)", ZelsimDrives},
      {"press", "DIR [--button 1|2] [--disk N]", "latch a press on enclosure N (from 1, default 1)", ZelsimPress},
      {"fault", "DIR NAME [VALUE]",
       "set (VALUE, default 1) or clear (VALUE 0 or off) a fault: status-read-fails, busy, command-fails E5,EB04,.., "
       "not-ready E:3 (that many free-space queries), full E,F, aspi-missing, aspi-timeout, no-event, vwin32-missing",
       ZelsimFault},
      {"add-lun", "DIR [--disk N] [--disk-mb M]", "add a second unit (LUN) under enclosure N's USB device",
       ZelsimAddLun},
      {"set", "DIR KEY VALUE [--disk N]",
       "set a bridge value: button, partitioned, public-sectors, locked, password-set, spm, timer, default-spm, "
       "default-timer, reg.SS.AAAA",
       ZelsimSet},
  };
  return Dispatch("zelsim", commands, argc, argv);
}
