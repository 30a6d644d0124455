// corvex tasks: the task files of the copy utility.
//   tasks show FILE                         what a task file holds, as saved
//   tasks list --disk N                     the tasks of a disk, as a run sees them
//   tasks add --disk N SRC DST [LETTERS]    appends a task ("ASB" unless given)
//   tasks remove --disk N SRC DST           removes a task
// list, add and remove work on "Disk%X.CT" of the disk in the current directory.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/corvex_run_setup.h"
#include "platform/posix/file_system_posix.h"
#include "common/text.h"
#include "copy/task_file.h"
#include "copy/task_flags.h"
#include "copy/task_list.h"
#include "copy/task_paths.h"
#include "ports/platform.h"

namespace zel::cli {
namespace {

constexpr const char* kUsage =
    "show FILE | list --disk N | add --disk N SRC DST [LETTERS] | remove --disk N SRC DST "
    "[--machine DIR] [--yes|--no]";

int Fail(const std::string& message) {
  std::fprintf(stderr, "corvex tasks: %s\n", message.c_str());
  return 1;
}

// The letters the task dialogs show: in the one-button mode a task without a
// direction shows as a backup.
std::wstring DialogLetters(uint16_t flags, uint8_t buttonMode) {
  constexpr uint16_t kDirections = kTaskBackup | kTaskRestore | kTaskSynchronise;
  if (buttonMode == kButtonModeOne && (flags & kDirections) == 0) flags |= kTaskBackup;
  return FlagsToLetters(flags, buttonMode);
}

void PrintTasks(const std::vector<CopyTask>& tasks, uint8_t buttonMode) {
  std::printf("%zu task%s\n", tasks.size(), tasks.size() == 1 ? "" : "s");
  for (size_t i = 0; i < tasks.size(); ++i) {
    const CopyTask& t = tasks[i];
    std::printf("  [%zu] %-7s %s -> %s\n", i, Printable(DialogLetters(t.flags, buttonMode)).c_str(),
                Printable(t.source).c_str(), Printable(t.destination).c_str());
  }
}

std::wstring Letters(const DiskRecord& d) {
  std::wstring out;
  for (uint16_t i = 0; i < d.volumeCount && i < kMaxVolumes; ++i) {
    if (!out.empty()) out += L" ";
    out += d.volumes[i].driveLetter ? std::wstring(1, static_cast<wchar_t>(d.volumes[i].driveLetter)) + L":"
                                    : std::wstring(L"(no letter)");
  }
  return out.empty() ? L"(no volume)" : out;
}

int Show(CorvexRunSetup& setup, const std::vector<std::string>& args) {
  if (args.size() != 1) return Fail(std::string("usage: corvex tasks ") + kUsage);
  std::vector<uint8_t> bytes;
  const std::wstring path = Utf8ToWide(args[0]);
  if (Ports().files->ReadFile(path, task_file::kMaxFileSize, bytes) != kErrorSuccess) {
    return Fail("cannot read " + args[0]);
  }
  TaskFileContents contents;
  if (!ParseTaskFile(bytes, contents)) return Fail(args[0] + " is not a task file that can be loaded");
  std::printf("%s: %zu disk record%s saved\n", args[0].c_str(), contents.disks.size(),
              contents.disks.size() == 1 ? "" : "s");
  for (size_t i = 0; i < contents.disks.size(); ++i) {
    const DiskRecord& d = contents.disks[i];
    std::printf("  Disk%02zu identity %08X  %s  \"%s\"%s\n", i, d.identity, Printable(Letters(d)).c_str(),
                Printable(FieldText(d.friendlyName)).c_str(), d.present ? " *" : "");
    if (d.identity == 0) std::printf("         path %s\n", Printable(FieldText(d.interfacePath)).c_str());
  }
  PrintTasks(contents.tasks, setup.ButtonMode());
  return 0;
}

int Edit(CorvexRunSetup& setup, const std::string& verb, std::vector<std::string> args) {
  std::string error;
  uint8_t disk = 0;
  if (!setup.FindDisks(error) || !setup.TakeDisk(args, disk, error)) return Fail(error);
  const std::wstring name = TaskFileName(GlobalDiskList().disks[disk].identity);
  TaskList& list = GlobalTaskList();
  const bool exists = Ports().files->GetAttributes(name) != kInvalidAttributes;
  // A file that exists but does not load is never written over.
  if (exists && list.Load(name, verb != "list") == 0) return Fail("cannot load " + Printable(name));

  if (verb == "list") {
    if (!exists) std::printf("%s: no task file\n", Printable(name).c_str());
    PrintTasks(list.Tasks(), setup.ButtonMode());
    return 0;
  }
  if (verb == "add") {
    if (args.size() != 2 && args.size() != 3) return Fail(std::string("usage: corvex tasks ") + kUsage);
    const std::wstring source = Utf8ToWide(args[0]), destination = Utf8ToWide(args[1]);
    const std::wstring letters = args.size() == 3 ? Utf8ToWide(args[2]) : std::wstring(kNewTaskLetters);
    const TaskPathProblem problem = CheckTaskPaths(source, destination);
    if (problem != TaskPathProblem::kNone) return Fail(Printable(TaskPathProblemText(problem)) + "; nothing changed");
    if (list.Contains(source, destination)) return Fail("The tasks are conflicted!");
    if (list.Add(source, destination, letters) == 0) {
      return Fail("The maximum supported task number is " + std::to_string(TaskList::kMaxTasks));
    }
  } else {
    if (args.size() != 2) return Fail(std::string("usage: corvex tasks ") + kUsage);
    const std::wstring source = Utf8ToWide(args[0]), destination = Utf8ToWide(args[1]);
    if (!list.Contains(source, destination)) return Fail("no such task");
    list.RemoveByPaths(source, destination);
  }
  return list.Save(name) ? 0 : 1;
}

}  // namespace

int RunCorvexTasks(const std::vector<std::string>& argsIn) {
  std::vector<std::string> args = argsIn;
  if (args.empty()) return Fail(std::string("usage: corvex tasks ") + kUsage);
  const std::string verb = args[0];
  args.erase(args.begin());
  CorvexRunSetup setup;
  std::string error;
  if (verb == "show") {
    // A file alone needs no machine.
    std::vector<std::string> rest = args;
    std::string dir;
    TakeOption(rest, "--machine", dir);
    PosixFileSystem files;
    Platform ports = Ports();
    ports.files = &files;
    ScopedPorts scoped(ports);
    return Show(setup, rest);
  }
  if (verb != "list" && verb != "add" && verb != "remove") {
    return Fail(std::string("usage: corvex tasks ") + kUsage);
  }
  if (!setup.Open(args, error)) return Fail(error);
  return Edit(setup, verb, args);
}

}  // namespace zel::cli
