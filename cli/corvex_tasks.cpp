// corvex tasks: the task files of the copy utility.
//   tasks show FILE                              what a task file holds, as saved
//   tasks list --disk N                          the tasks of a disk, as a run sees them
//   tasks add --disk N SRC DST [LETTERS]         appends a task ("ASB" unless given)
//   tasks edit I --disk N SRC DST [LETTERS]      replaces task I in its place
//   tasks remove --disk N SRC DST                removes a task
//   tasks activate|deactivate I --disk N         sets or clears task I's active bit
//   tasks move I --to J --disk N                 moves task I to position J
// Tasks are counted from 0 as list shows them. add and edit check the paths
// as the task editing dialog does: the source on another disk, the
// destination on the disk itself (created on --yes), no second task with the
// same paths. Everything works on "Disk%X.CT" of the disk in the current
// directory and leaves it unchanged when refused.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/corvex_run_setup.h"
#include "platform/posix/file_system_posix.h"
#include "common/text.h"
#include "copy/active_list.h"
#include "copy/task_edit.h"
#include "copy/task_file.h"
#include "copy/task_flags.h"
#include "copy/task_list.h"
#include "copy/task_paths.h"
#include "ports/platform.h"

namespace zel::cli {
namespace {

constexpr const char* kUsage =
    "show FILE | list --disk N | add --disk N SRC DST [LETTERS] | edit I --disk N SRC DST [LETTERS] | "
    "remove --disk N SRC DST | activate I --disk N | deactivate I --disk N | move I --to J --disk N "
    "[--machine DIR] [--yes|--no]";

constexpr const char* kHelpUsage = "usage: corvex tasks VERB [ARGS] [--machine DIR] [--yes|--no]\n\n";

}  // namespace

// The verbs, for this help and for the tool's --help and man page.
extern const char* const kCorvexTasksVerbs;
const char* const kCorvexTasksVerbs =
    "  show FILE                          what a task file holds, as saved\n"
    "  list --disk N                      the tasks of disk N, numbered from 0\n"
    "  add --disk N SRC DST [LETTERS]     append a task (letters ASONBRY, \"ASB\" unless given)\n"
    "  edit I --disk N SRC DST [LETTERS]  change task I (its letters unless given)\n"
    "  remove --disk N SRC DST            remove the task with these paths\n"
    "  activate I --disk N                make task I take part in runs\n"
    "  deactivate I --disk N              leave task I out of runs\n"
    "  move I --to J --disk N             move task I to position J\n"
    "\n"
    "SRC must be an existing directory (or a bare drive such as D:) of another disk,\n"
    "DST a directory of disk N; a missing DST is created on --yes, kept as typed on --no.\n"
    "The task file is \"Disk%X.CT\" of the disk, in the current directory.\n";

namespace {

int Fail(const std::string& message) {
  std::fprintf(stderr, "corvex tasks: %s\n", message.c_str());
  return 1;
}

void PrintTasks(const std::vector<CopyTask>& tasks, uint8_t buttonMode) {
  std::printf("%zu task%s\n", tasks.size(), tasks.size() == 1 ? "" : "s");
  for (size_t i = 0; i < tasks.size(); ++i) {
    const CopyTask& t = tasks[i];
    std::printf("  [%zu] %-7s %s -> %s\n", i, Printable(RowLetters(t.flags, buttonMode, true)).c_str(),
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

// "I" of a verb: a task index of `list`, in range.
bool TakeIndex(std::vector<std::string>& args, const TaskList& list, size_t& index, std::string& error) {
  if (args.empty()) {
    error = "a task number is missing";
    return false;
  }
  const std::string text = args[0];
  args.erase(args.begin());
  char* end = nullptr;
  const unsigned long n = std::strtoul(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || text[0] == '-' || n >= static_cast<unsigned long>(list.Count())) {
    error = "no task " + text + ": the disk has " + std::to_string(list.Count()) + " task" +
            (list.Count() == 1 ? "" : "s") + ", numbered from 0";
    return false;
  }
  index = n;
  return true;
}

// The list again with `tasks` in the given order.
void Refill(TaskList& list, const std::vector<CopyTask>& tasks) {
  list.Clear();
  for (const CopyTask& t : tasks) list.Add(t.source, t.destination, FlagsToLetters(t.flags, kButtonModeOne));
}

// Checks SRC DST [LETTERS] for disk `disk` against `others`; on acceptance the
// task to store is in `task`.
bool CheckTask(const std::vector<std::string>& args, uint8_t disk, const TaskList& others,
               const std::wstring& defaultLetters, CopyTask& task, std::string& error) {
  if (args.size() != 2 && args.size() != 3) {
    error = std::string("usage: corvex tasks ") + kUsage;
    return false;
  }
  TaskEditFields fields{Utf8ToWide(args[0]), Utf8ToWide(args[1]),
                        LettersToFlags(args.size() == 3 ? Utf8ToWide(args[2]) : defaultLetters)};
  const TaskEditResult result = ValidateTaskEdit(GlobalDiskList(), disk, others, fields, 0);
  if (result.outcome != TaskEditOutcome::kAccepted) {
    error = Printable(result.message) + "; nothing changed";
    return false;
  }
  task = {fields.source, fields.destination, LettersToFlags(result.letters)};
  return true;
}

int Edit(CorvexRunSetup& setup, const std::string& verb, const Arguments& args, std::vector<std::string> words) {
  std::string error;
  uint8_t disk = 0;
  if (!setup.FindDisks(error) || !setup.ReadDisk(args, disk, error)) return Fail(error);
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
  std::vector<CopyTask> tasks = list.Tasks();
  if (verb == "add") {
    if (list.Count() >= static_cast<int32_t>(TaskList::kMaxTasks)) {
      return Fail("The maximum supported task number is " + std::to_string(TaskList::kMaxTasks) + "; nothing changed");
    }
    CopyTask task;
    if (!CheckTask(words, disk, list, kNewTaskLetters, task, error)) return Fail(error);
    tasks.push_back(task);
  } else if (verb == "edit") {
    size_t index = 0;
    if (!TakeIndex(words, list, index, error)) return Fail(error);
    // Out of the list while checked, so that it does not conflict with itself.
    TaskList others = list;
    others.RemoveByPaths(tasks[index].source, tasks[index].destination);
    if (!CheckTask(words, disk, others, FlagsToLetters(tasks[index].flags, kButtonModeOne), tasks[index], error)) {
      return Fail(error);
    }
  } else if (verb == "activate" || verb == "deactivate") {
    size_t index = 0;
    if (!TakeIndex(words, list, index, error)) return Fail(error);
    if (!words.empty()) return Fail(std::string("usage: corvex tasks ") + kUsage);
    const bool toActive = verb == "activate";
    // Moved as the active list dialog moves a row: every task with the same
    // paths follows.
    ActiveList sides(list);
    sides.Open();
    const std::vector<TaskPair>& from = toActive ? sides.Inactive() : sides.Active();
    const TaskPair wanted{tasks[index].source, tasks[index].destination};
    int row = -1;
    for (size_t i = 0; i < from.size() && row < 0; ++i) {
      if (from[i] == wanted) row = static_cast<int>(i);
    }
    if (row < 0) {
      std::printf("task %zu is already %s; nothing changed\n", index, toActive ? "active" : "inactive");
      return 0;
    }
    toActive ? sides.MoveToActive({row}) : sides.MoveToInactive({row});
    tasks = list.Tasks();
  } else if (verb == "move") {
    size_t index = 0, to = 0;
    std::string target;
    if (!args.Value("--to", target)) return Fail("move needs --to J");
    if (!TakeIndex(words, list, index, error)) return Fail(error);
    std::vector<std::string> targetArgs{target};
    if (!TakeIndex(targetArgs, list, to, error)) return Fail(error);
    if (!words.empty()) return Fail(std::string("usage: corvex tasks ") + kUsage);
    const CopyTask moved = tasks[index];
    tasks.erase(tasks.begin() + static_cast<long>(index));
    tasks.insert(tasks.begin() + static_cast<long>(to), moved);
  } else {
    if (words.size() != 2) return Fail(std::string("usage: corvex tasks ") + kUsage);
    const std::wstring source = Utf8ToWide(words[0]), destination = Utf8ToWide(words[1]);
    if (!list.Contains(source, destination)) return Fail("no such task");
    list.RemoveByPaths(source, destination);
    tasks = list.Tasks();
  }
  Refill(list, tasks);
    // The disk's own file is rewritten without the replace question the save
  // dialog asks: the command was told what to change in it.
  if (list.Save(name, 0, TaskList::Existing::kReplace)) return 0;
  return Fail("cannot write " + Printable(name));
}

}  // namespace

int RunCorvexTasks(const Arguments& args) {
  // A missing or unknown verb is a mistake in the command line, as a missing
  // or unknown sub-command is.
  const auto usageError = [](const std::string& message) {
    std::fprintf(stderr, "corvex tasks: %s\nusage: corvex tasks %s\n", message.c_str(), kUsage);
    return 2;
  };
  std::vector<std::string> words = args.Operands();
  if (words.empty()) return usageError("a verb is required");
  if (words[0] == "help") {
    std::fputs(kHelpUsage, stdout);
    std::fputs(kCorvexTasksVerbs, stdout);
    return 0;
  }
  const std::string verb = words[0];
  words.erase(words.begin());
  CorvexRunSetup setup;
  std::string error;
  if (verb == "show") {
    // A file alone needs no machine.
    PosixFileSystem files;
    Platform ports = Ports();
    ports.files = &files;
    ScopedPorts scoped(ports);
    return Show(setup, words);
  }
  if (verb != "list" && verb != "add" && verb != "edit" && verb != "remove" && verb != "activate" &&
      verb != "deactivate" && verb != "move") {
    return usageError("unknown verb '" + verb + "'");
  }
  if (!setup.Open(args, error)) return Fail(error);
  return Edit(setup, verb, args, words);
}

}  // namespace zel::cli
