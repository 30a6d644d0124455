// The tessary command-line front end.
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/process_end.h"
#include "cli/program_setup.h"

namespace zel::cli {
// Sub-commands of tessary, one file each ("tessary_<name>.cpp").
int TessaryDevices(const Arguments& args);
int RunTessaryText(const Arguments& args);
int TessaryStatus(const Arguments& args);
int TessaryLock(const Arguments& args);
int TessaryUnlock(const Arguments& args);
int TessaryPasswd(const Arguments& args);
int TessaryErase(const Arguments& args);
int TessaryPartition(const Arguments& args);
}  // namespace zel::cli

int main(int argc, char** argv) {
  using namespace zel::cli;
  ProgramSetup setup(L"Tessary.mlf");
  const Tool tool{
      "tessary",
      "disk security: the private disk of the enclosure, its password and its lock",
      {
          {"devices", "", "list the supported devices the tool addresses (entry 0 first)", {kMachineOption},
           TessaryDevices},
          {"text", "KEY...", "show the texts of KEY for the system language", {}, RunTessaryText},
          {"status", "", "show the security state of the current device",
           {kMachineOption, kCodePageOption, kJsonOption, kQuietOption}, TessaryStatus},
          {"lock", "", "lock the private disk", {kMachineOption}, TessaryLock},
          {"unlock", "", "unlock the private disk (password from the terminal or standard input)",
           {kMachineOption, kCodePageOption}, TessaryUnlock},
          {"passwd", "", "set or change the password and its hint (an empty hint keeps the stored one)",
           {kMachineOption, kCodePageOption, {"--clear-hint", nullptr, "remove the stored hint"}}, TessaryPasswd},
          {"erase", "", "remove the public/private split and the password", {kMachineOption, kYesOption},
           TessaryErase},
          {"partition", "", "divide the disk into a public and a private disk and format both",
           {{"--private-mb", "N", "size of the private disk in MB"}, kMachineOption, kYesOption}, TessaryPartition},
      }};
  EndProcess(Dispatch(tool, argc, argv));
}
