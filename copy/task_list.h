// The process's copy tasks: filled from a task file bound to one disk, edited
// by the task dialogs and read by the copy engine.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "copy/copy_task.h"
#include "copy/disk_match.h"

namespace zel {

class TaskList {
 public:
  static constexpr size_t kMaxTasks = 128;

  // Frees every task; count and cursor become 0.
  void Clear();
  // Appends a task with the flags of `letters`; 1, or 0 when the list already
  // holds kMaxTasks tasks or a path is longer than kMaxTaskPathUnits (such a
  // list could not be saved and loaded again).
  int Add(const std::wstring& source, const std::wstring& destination, const std::wstring& letters);
  // Removes the first task with exactly these paths; later tasks keep their order.
  void RemoveByPaths(const std::wstring& source, const std::wstring& destination);
  void ResetCursor() { cursor_ = 0; }
  // Hands out the task at the cursor and advances it; false, with the outputs
  // untouched, after the last task.
  bool Next(std::wstring& source, std::wstring& destination, uint16_t& flags);
  void SetActiveByPaths(const std::wstring& source, const std::wstring& destination);
  void ClearActiveByPaths(const std::wstring& source, const std::wstring& destination);
  int Contains(const std::wstring& source, const std::wstring& destination) const;
  int32_t Count() const { return static_cast<int32_t>(tasks_.size()); }

  // What Save does when the file is there already.
  enum class Existing { kAsk, kReplace };
  // Writes the task file with the global disk list and tells the user it is
  // saved, both messages owned by `owner`. An existing file is replaced only
  // after a Yes to the question, unless `existing` is kReplace (a command that
  // rewrites its own disk's file). 1 on success, 0 otherwise.
  int Save(const std::wstring& path, uintptr_t owner = 0, Existing existing = Existing::kAsk);
  // Replaces the tasks by the file's and moves their drive letters to where
  // their disks are now. 1 on success; 0 with the list unchanged for a missing
  // or bad file (messages only when not quiet; the lost-disk warnings always).
  int Load(const std::wstring& path, bool quiet);

  const std::vector<CopyTask>& Tasks() const { return tasks_; }
  // The drive-letter pairs of the last Load.
  const std::vector<DriveRemap>& RemapTable() const { return remap_; }

 private:
  void SetActive(const std::wstring& source, const std::wstring& destination, bool active);

  std::vector<CopyTask> tasks_;
  uint32_t cursor_ = 0;
  std::vector<DriveRemap> remap_;
};

TaskList& GlobalTaskList();

}  // namespace zel
