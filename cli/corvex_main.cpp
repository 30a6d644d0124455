// The corvex command-line front end.
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/process_end.h"
#include "cli/program_setup.h"

namespace zel::cli {
// Sub-commands of corvex, one file each ("corvex_<name>.cpp").
int CorvexDisks(const Arguments& args);
int RunCorvexText(const Arguments& args);
int RunCorvexTasks(const Arguments& args);
int RunCorvexRun(const Arguments& args);
int RunCorvexWatch(const Arguments& args);
extern const char* const kCorvexTasksVerbs;
}  // namespace zel::cli

int main(int argc, char** argv) {
  using namespace zel::cli;
  ProgramSetup setup(L"Corvex.mlf");
  const Option answerNo{"--no", nullptr, "answer no to every question"};
  const Option disk{"--disk", "N", "the disk's number in the disk list (corvex disks)"};
  const Tool tool{
      "corvex",
      "one-touch copy: the copy tasks of the enclosure's disks",
      {
          {"disks", "", "list every disk, its volumes and the enclosures (marked *)",
           {kMachineOption, kJsonOption, kQuietOption}, CorvexDisks},
          {"text", "KEY...", "show the texts of KEY for the system language", {}, RunCorvexText},
          {"tasks", "show FILE | list|add|edit|remove|activate|deactivate|move ...",
           "show a task file, or list and edit the tasks of a disk",
           {disk, kMachineOption, {"--to", "J", "move: the task's new place in the list"}, kYesOption, answerNo},
           RunCorvexTasks, true, kCorvexTasksVerbs},
          {"run", "", "run the copy tasks of a disk with progress and a summary",
           {disk, {"--direction", "1|2", "two-button mode: 1 backs up, 2 restores (default 1)"}, kMachineOption,
            kYesOption, answerNo},
           RunCorvexRun},
          {"watch", "", "watch the enclosure buttons and run the copy tasks of a pressed disk",
           {kMachineOption, {"--presses", "N", "stop after N presses"}, {"--seconds", "S", "stop after S seconds"},
            kYesOption, answerNo},
           RunCorvexWatch},
      }};
  EndProcess(Dispatch(tool, argc, argv));
}
