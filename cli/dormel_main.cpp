// The dormel command-line front end.
#include <vector>

#include "cli/command.h"
#include "cli/program_setup.h"

namespace zel::cli {
// Sub-commands of dormel, one file each ("dormel_<name>.cpp").
int RunDormelText(const std::vector<std::string>& args);
int DormelStatus(const std::vector<std::string>& args);
int DormelSet(const std::vector<std::string>& args);
int DormelDefaults(const std::vector<std::string>& args);
}  // namespace zel::cli

int main(int argc, char** argv) {
  using namespace zel::cli;
  ProgramSetup setup(L"Dormel.mlf");
  const std::vector<Command> commands = {
      {"text", "KEY...", "show the texts of KEY for the system language", RunDormelText},
      {"status", "[--machine DIR]", "show System Power Management and the standby timer of the device", DormelStatus},
      {"set", "[--machine DIR] [--spm on|off] [--standby ENTRY]",
       "set System Power Management and the standby timer (ENTRY: 0-9 or its text, such as \"10 minutes later\")",
       DormelSet},
      {"defaults", "[--machine DIR]", "restore the device's power defaults", DormelDefaults},
  };
  return Dispatch("dormel", commands, argc, argv);
}
