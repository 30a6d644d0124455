// The active list dialog's decisions: the tasks split by their active bit,
// and moves between the two sides that set or clear the bit in the task list.
#pragma once
#include <string>
#include <vector>

#include "copy/task_list.h"

namespace zel {

struct TaskPair {
  std::wstring source;
  std::wstring destination;
  bool operator==(const TaskPair&) const = default;
};

class ActiveList {
 public:
  explicit ActiveList(TaskList& tasks);

  // Every task on its side, in task list order.
  void Open();
  // Moves the rows whose indexes are in `selected` (of the inactive side, or
  // of the active side) to the end of the other side, top to bottom, and sets
  // or clears the active bit of every task with the same paths.
  void MoveToActive(const std::vector<int>& selected);
  void MoveToInactive(const std::vector<int>& selected);

  const std::vector<TaskPair>& Active() const { return active_; }
  const std::vector<TaskPair>& Inactive() const { return inactive_; }
  // The dialog's result: 1 when at least one task moved.
  int Result() const { return changed_ ? 1 : 0; }

 private:
  void Move(std::vector<TaskPair>& from, std::vector<TaskPair>& to, const std::vector<int>& selected, bool active);

  TaskList& tasks_;
  std::vector<TaskPair> active_;
  std::vector<TaskPair> inactive_;
  bool changed_ = false;
};

}  // namespace zel
