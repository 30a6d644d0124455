// The tessary command-line front end.
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/program_setup.h"

namespace zel::cli {
// Sub-commands of tessary, one file each ("tessary_<name>.cpp").
int TessaryDevices(const std::vector<std::string>& args);
int RunTessaryText(const std::vector<std::string>& args);
}  // namespace zel::cli

int main(int argc, char** argv) {
  using namespace zel::cli;
  ProgramSetup setup(L"Tessary.mlf");
  const std::vector<Command> commands = {
      {"devices", "[--machine DIR]", "list the supported devices the tool addresses (entry 0 first)", TessaryDevices},
      {"text", "KEY...", "show the texts of KEY for the system language", RunTessaryText},
  };
  return Dispatch("tessary", commands, argc, argv);
}
