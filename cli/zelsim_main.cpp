// The zelsim command-line front end.
#include <vector>

#include "cli/command.h"

namespace zel::cli {
// Sub-commands of zelsim, one file each ("zelsim_<name>.cpp").
}  // namespace zel::cli

int main(int argc, char** argv) {
  using namespace zel::cli;
  const std::vector<Command> commands = {
  };
  return Dispatch("zelsim", commands, argc, argv);
}
