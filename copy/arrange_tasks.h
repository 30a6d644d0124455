// The arrange dialog's decisions: the rows of one disk's tasks while the
// dialog is open, the modified flag behind the " *" of its caption, and the
// task list rebuilt from the rows. The Win32 view turns clicks into these
// calls and shows `Rows()` and `Caption()` afterwards.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "copy/task_list.h"

namespace zel {

struct TaskRow {
  std::wstring source;
  std::wstring destination;
  std::wstring letters;
  bool operator==(const TaskRow&) const = default;
};

// What the arrange dialog opens on top of itself.
class ArrangeHost {
 public:
  virtual ~ArrangeHost() = default;
  // Runs the edit dialog on `row`; true (with `row` replaced by its outputs) on OK.
  virtual bool EditTask(TaskRow& row) = 0;
  // Runs the active list dialog on the task list; its result (1: something moved).
  virtual int RunActiveList() = 0;
  // The system's open or save dialog for task files, proposing `proposed`;
  // false when the user cancels.
  virtual bool ChooseTaskFile(bool save, const std::wstring& proposed, std::wstring& chosen) = 0;
  virtual uintptr_t Owner() const = 0;
};

class ArrangeTasks {
 public:
  // `noDialog` is the /f switch: the disk's task file by its own name, no file dialogs.
  ArrangeTasks(ArrangeHost& host, TaskList& tasks, uint8_t disk, uint8_t buttonMode, bool noDialog);

  void Open();
  void New();
  void Add();
  // `selected` is the first selected row, or -1.
  void Modify(int selected);
  void Delete(int selected);
  void DoubleClick(int selected);
  void Save();
  void ActiveList();
  // Asks to save when modified, then leaves the task list holding the rows.
  void Close();

  const std::vector<TaskRow>& Rows() const { return rows_; }
  bool Modified() const { return modified_; }
  std::wstring Caption() const;
  // Modify and Delete of the right-click menu are greyed on an empty list.
  bool MenuEditEnabled() const { return !rows_.empty(); }
  // The task file name the disk's tasks are kept under ("Disk%X.CT").
  std::wstring DefaultFileName() const;

 private:
  void RebuildTaskList();
  void FillRows(bool directionDefault);
  bool WarnNoSelection(int selected);

  ArrangeHost& host_;
  TaskList& tasks_;
  uint8_t disk_;
  uint8_t buttonMode_;
  bool noDialog_;
  std::vector<TaskRow> rows_;
  bool modified_ = false;
};

}  // namespace zel
