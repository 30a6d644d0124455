// The corvex command-line front end.
#include <string>
#include <vector>

#include "cli/command.h"

namespace zel::cli {
// Sub-commands of corvex, one file each ("corvex_<name>.cpp").
int CorvexDisks(const std::vector<std::string>& args);
}  // namespace zel::cli

int main(int argc, char** argv) {
  using namespace zel::cli;
  const std::vector<Command> commands = {
      {"disks", "[--machine DIR]", "list every disk, its volumes and the enclosures (marked *)", CorvexDisks},
  };
  return Dispatch("corvex", commands, argc, argv);
}
