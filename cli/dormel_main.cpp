// The dormel command-line front end.
#include <vector>

#include "cli/command.h"
#include "cli/program_setup.h"

namespace zel::cli {
// Sub-commands of dormel, one file each ("dormel_<name>.cpp").
int RunDormelText(const std::vector<std::string>& args);
}  // namespace zel::cli

int main(int argc, char** argv) {
  using namespace zel::cli;
  ProgramSetup setup(L"Dormel.mlf");
  const std::vector<Command> commands = {
      {"text", "KEY...", "show the texts of KEY for the system language", RunDormelText},
  };
  return Dispatch("dormel", commands, argc, argv);
}
