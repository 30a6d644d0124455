// The edit dialog's decisions: which paths and letters a task may be saved
// with, checked in the order the user is told about them. The dialog and
// `corvex tasks add/edit` both go through here.
#pragma once
#include <cstdint>
#include <string>

#include "common/disk_record.h"
#include "copy/task_list.h"

namespace zel {

struct TaskEditFields {
  std::wstring source;
  std::wstring destination;
  uint16_t flags = 0;  // the check boxes and radios as they stand
};

enum class TaskEditOutcome {
  kAccepted,
  kSourceOnCdrom,      // restore or synchronise onto a CD/DVD-ROM drive
  kIllegalSource,
  kIllegalDestination,
  kConflict,
};

struct TaskEditResult {
  TaskEditOutcome outcome = TaskEditOutcome::kAccepted;
  std::wstring message;  // the text shown for a refusal (its last box)
  std::wstring letters;  // "ASONBRY" order, when accepted
};

// Validates the fields of a task of disk `disk` against the other tasks of
// `tasks`. On acceptance the paths in `fields` are the ones to store (leading
// blanks dropped, drive letters in upper case). Every refusal has been shown
// through the process's prompter, owned by `owner`; a missing destination
// may have been created on the user's Yes.
TaskEditResult ValidateTaskEdit(const DiskList& disks, uint8_t disk, const TaskList& tasks,
                                TaskEditFields& fields, uintptr_t owner);

// The letters of a row: "A", "S", "O", "N" and, in the one-button mode, the
// direction. Rows filled when a task list is opened show a task without a
// direction as a backup (`directionDefault`); rows filled again after the
// active list show it as it is.
std::wstring RowLetters(uint16_t flags, uint8_t buttonMode, bool directionDefault);

}  // namespace zel
