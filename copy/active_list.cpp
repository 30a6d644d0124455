#include "copy/active_list.h"

#include "copy/task_flags.h"

namespace zel {

ActiveList::ActiveList(TaskList& tasks) : tasks_(tasks) {}

void ActiveList::Open() {
  tasks_.ResetCursor();
  active_.clear();
  inactive_.clear();
  for (const CopyTask& t : tasks_.Tasks()) {
    ((t.flags & kTaskActive) ? active_ : inactive_).push_back({t.source, t.destination});
  }
}

void ActiveList::Move(std::vector<TaskPair>& from, std::vector<TaskPair>& to, const std::vector<int>& selected,
                      bool active) {
  std::vector<bool> marked(from.size(), false);
  for (int i : selected) {
    if (i >= 0 && static_cast<size_t>(i) < from.size()) marked[static_cast<size_t>(i)] = true;
  }
  std::vector<TaskPair> kept;
  for (size_t i = 0; i < from.size(); ++i) {
    if (!marked[i]) {
      kept.push_back(from[i]);
      continue;
    }
    to.push_back(from[i]);
    if (active) {
      tasks_.SetActiveByPaths(from[i].source, from[i].destination);
    } else {
      tasks_.ClearActiveByPaths(from[i].source, from[i].destination);
    }
    changed_ = true;
  }
  from = std::move(kept);
}

void ActiveList::MoveToActive(const std::vector<int>& selected) { Move(inactive_, active_, selected, true); }
void ActiveList::MoveToInactive(const std::vector<int>& selected) { Move(active_, inactive_, selected, false); }

}  // namespace zel
