// The dormel command-line front end.
#include <vector>

#include "cli/command.h"
#include "cli/process_end.h"
#include "cli/program_setup.h"

namespace zel::cli {
// Sub-commands of dormel, one file each ("dormel_<name>.cpp").
int RunDormelText(const Arguments& args);
int DormelStatus(const Arguments& args);
int DormelSet(const Arguments& args);
int DormelDefaults(const Arguments& args);
}  // namespace zel::cli

int main(int argc, char** argv) {
  using namespace zel::cli;
  ProgramSetup setup(L"Dormel.mlf");
  const Tool tool{
      "dormel",
      "power settings of the enclosure's disk: System Power Management and the standby timer",
      {
          {"text", "KEY...", "show the texts of KEY for the system language", {}, RunDormelText},
          {"status", "", "show System Power Management and the standby timer of the device",
           {kMachineOption, kJsonOption, kQuietOption}, DormelStatus},
          {"set", "", "set System Power Management and the standby timer",
           {kMachineOption, {"--spm", "on|off", "System Power Management on or off"},
            {"--standby", "ENTRY", "standby timer entry: 0-9 or its text, such as \"10 minutes later\""}},
           DormelSet},
          {"defaults", "", "restore the device's power defaults", {kMachineOption}, DormelDefaults},
      }};
  EndProcess(Dispatch(tool, argc, argv));
}
