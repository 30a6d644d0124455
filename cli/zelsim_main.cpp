// The zelsim command-line front end.
#include <vector>

#include "cli/command.h"
#include "cli/process_end.h"
#include "cli/zelsim_commands.h"

namespace zel::cli {
// Sub-commands of zelsim, one file each ("zelsim_<name>.cpp").
}  // namespace zel::cli

int main(int argc, char** argv) {
  using namespace zel::cli;
  const Option disk{"--disk", "N", "the enclosure's number, from 1 (default 1)"};
  const Tool tool{
      "zelsim",
      "control tool of the simulated machine the other tools and programs can run against",
      {
          {"create", "DIR", "make a machine: one enclosure of N MiB (default 64) with E: (F: once partitioned), C:, CD-ROM D:",
           {{"--disk-mb", "N", "size of the enclosure's disk in MiB (default 64)"},
            {"--two-button", nullptr, "an enclosure with two buttons"},
            {"--win98", nullptr, "a Windows 98 machine"}},
           ZelsimCreate},
          {"show", "DIR", "print the machine, each bridge's state, images and drive directories", {}, ZelsimShow},
          {"drives", "DIR", "print the drive map as ZEL_WINE_DRIVES takes it (E=/host/dir;F=...)", {}, ZelsimDrives},
          {"press", "DIR", "latch a press on enclosure N (from 1, default 1)",
           {{"--button", "1|2", "the button pressed (default 1)"}, disk}, ZelsimPress},
          {"fault", "DIR NAME [VALUE]",
           "set (VALUE, default 1) or clear (VALUE 0 or off) a fault: status-read-fails, busy, command-fails E5,EB04,.., "
           "not-ready E:3 (that many free-space queries), full E,F, aspi-missing, aspi-timeout, no-event, vwin32-missing",
           {}, ZelsimFault},
          {"add-lun", "DIR", "add a second unit (LUN) under enclosure N's USB device",
           {disk, {"--disk-mb", "M", "size of the new unit's disk in MiB"}}, ZelsimAddLun},
          {"set", "DIR KEY VALUE",
           "set a bridge value: button, partitioned, public-sectors, locked, password-set, spm, timer, default-spm, "
           "default-timer, plugged (0 pulls the enclosure out, 1 plugs it in again), reg.SS.AAAA",
           {disk}, ZelsimSet},
          {"command", "DIR CDB", "send one command block (hex) to enclosure N's bridge and print its status, sense and data",
           {disk, {"--unit", "0|1", "the unit addressed: 0 the public or whole disk, 1 the private disk (default 0)"},
            {"--out", "HEX", "bytes the command writes"}, {"--in", "N", "bytes the command reads"}},
           ZelsimCommand},
      }};
  EndProcess(Dispatch(tool, argc, argv));
}
