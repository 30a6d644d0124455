// The corvex command-line front end.
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/program_setup.h"

namespace zel::cli {
// Sub-commands of corvex, one file each ("corvex_<name>.cpp").
int CorvexDisks(const std::vector<std::string>& args);
int RunCorvexText(const std::vector<std::string>& args);
int RunCorvexTasks(const std::vector<std::string>& args);
int RunCorvexRun(const std::vector<std::string>& args);
int RunCorvexWatch(const std::vector<std::string>& args);
}  // namespace zel::cli

int main(int argc, char** argv) {
  using namespace zel::cli;
  ProgramSetup setup(L"Corvex.mlf");
  const std::vector<Command> commands = {
      {"disks", "[--machine DIR]", "list every disk, its volumes and the enclosures (marked *)", CorvexDisks},
      {"text", "KEY...", "show the texts of KEY for the system language", RunCorvexText},
      {"tasks", "show FILE | list|add|edit|remove|activate|deactivate|move ... (tasks --help)",
       "show a task file, or list and edit the tasks of a disk", RunCorvexTasks},
      {"run", "--disk N [--direction 1|2] [--machine DIR] [--yes|--no]",
       "run the copy tasks of a disk with progress and a summary", RunCorvexRun},
      {"watch", "[--machine DIR] [--presses N] [--seconds S] [--yes|--no]",
       "watch the enclosure buttons and run the copy tasks of a pressed disk", RunCorvexWatch},
  };
  return Dispatch("corvex", commands, argc, argv);
}
