// The tessary command-line front end.
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/program_setup.h"

namespace zel::cli {
// Sub-commands of tessary, one file each ("tessary_<name>.cpp").
int TessaryDevices(const std::vector<std::string>& args);
int RunTessaryText(const std::vector<std::string>& args);
int TessaryStatus(const std::vector<std::string>& args);
int TessaryLock(const std::vector<std::string>& args);
int TessaryUnlock(const std::vector<std::string>& args);
int TessaryPasswd(const std::vector<std::string>& args);
int TessaryErase(const std::vector<std::string>& args);
int TessaryPartition(const std::vector<std::string>& args);
}  // namespace zel::cli

int main(int argc, char** argv) {
  using namespace zel::cli;
  ProgramSetup setup(L"Tessary.mlf");
  const std::vector<Command> commands = {
      {"devices", "[--machine DIR]", "list the supported devices the tool addresses (entry 0 first)", TessaryDevices},
      {"text", "KEY...", "show the texts of KEY for the system language", RunTessaryText},
      {"status", "[--machine DIR] [--code-page N]", "show the security state of the current device", TessaryStatus},
      {"lock", "[--machine DIR]", "lock the private disk", TessaryLock},
      {"unlock", "[--machine DIR] [--code-page N]",
       "unlock the private disk (password from the terminal or standard input)",
       TessaryUnlock},
      {"passwd", "[--machine DIR] [--code-page N] [--clear-hint]",
       "set or change the password and its hint (an empty hint keeps the stored one)", TessaryPasswd},
      {"erase", "[--machine DIR] [--yes]", "remove the public/private split and the password", TessaryErase},
      {"partition", "--private-mb N [--machine DIR] [--yes]",
       "divide the disk into a public and a private disk and format both", TessaryPartition},
  };
  return Dispatch("tessary", commands, argc, argv);
}
