#include "copy/arrange_tasks.h"

#include "common/disk_record.h"
#include "common/texts.h"
#include "copy/task_edit.h"
#include "copy/task_file.h"
#include "copy/task_flags.h"
#include "copy/user_message.h"
#include "ports/prompter.h"

namespace zel {

ArrangeTasks::ArrangeTasks(ArrangeHost& host, TaskList& tasks, uint8_t disk, uint8_t buttonMode, bool noDialog)
    : host_(host), tasks_(tasks), disk_(disk), buttonMode_(buttonMode), noDialog_(noDialog) {}

std::wstring ArrangeTasks::DefaultFileName() const {
  const DiskList& disks = GlobalDiskList();
  return TaskFileName(disk_ < disks.count ? disks.disks[disk_].identity : 0);
}

std::wstring ArrangeTasks::Caption() const {
  std::wstring caption = TextW(L"ArrangeTaskDlgCaption", L"Arrange copy tasks");
  if (modified_) caption += L" *";
  return caption;
}

void ArrangeTasks::Open() {
  tasks_.ResetCursor();
  modified_ = false;
  tasks_.Clear();
  rows_.clear();
  std::wstring path = DefaultFileName();
  if (!noDialog_ && !host_.ChooseTaskFile(false, path, path)) return;
  tasks_.Load(path, false);
  FillRows(true);
  modified_ = false;
}

void ArrangeTasks::FillRows(bool directionDefault) {
  rows_.clear();
  for (const CopyTask& t : tasks_.Tasks()) {
    rows_.push_back({t.source, t.destination, RowLetters(t.flags, buttonMode_, directionDefault)});
  }
}

void ArrangeTasks::RebuildTaskList() {
  tasks_.Clear();
  for (const TaskRow& r : rows_) tasks_.Add(r.source, r.destination, r.letters);
}

void ArrangeTasks::New() {
  const int answer = ShowMessage(host_.Owner(), TextW(L"MsgStr04", L"Are you sure to delete all items?"),
                                 kCaptionPrompt, L"Prompt Message", 4);
  if (answer != kIdYes) return;
  rows_.clear();
  modified_ = true;
}

void ArrangeTasks::Add() {
  if (rows_.size() >= TaskList::kMaxTasks) {
    std::wstring text = TextW(L"MsgStr06", L"The maximum supported task number is");
    text += L" " + std::to_wstring(TaskList::kMaxTasks) + L". \n";
    text += TextW(L"MsgStr07", L"Please delete some seldom used tasks");
    ShowMessage(host_.Owner(), text, kCaptionError, L"Error Message", 0x10);
    return;
  }
  TaskRow row{L"", L"", kNewTaskLetters};
  if (!host_.EditTask(row)) return;
  rows_.push_back(row);
  modified_ = true;
  tasks_.Add(row.source, row.destination, row.letters);
}

bool ArrangeTasks::WarnNoSelection(int selected) {
  if (selected >= 0 && static_cast<size_t>(selected) < rows_.size()) return false;
  ShowMessage(host_.Owner(), TextW(L"MsgStr05", L"No item selected!"), kCaptionError, L"Error Message", 0x30);
  return true;
}

void ArrangeTasks::Modify(int selected) {
  if (WarnNoSelection(selected)) return;
  const TaskRow old = rows_[static_cast<size_t>(selected)];
  // Out of the list while edited, so that it does not conflict with itself.
  tasks_.RemoveByPaths(old.source, old.destination);
  TaskRow edited = old;
  if (host_.EditTask(edited)) {
    rows_[static_cast<size_t>(selected)] = edited;
    modified_ = true;
    tasks_.Add(edited.source, edited.destination, edited.letters);
  } else {
    tasks_.Add(old.source, old.destination, old.letters);
  }
}

void ArrangeTasks::Delete(int selected) {
  if (WarnNoSelection(selected)) return;
  const TaskRow row = rows_[static_cast<size_t>(selected)];
  rows_.erase(rows_.begin() + selected);
  tasks_.RemoveByPaths(row.source, row.destination);
  modified_ = true;
}

void ArrangeTasks::DoubleClick(int selected) {
  if (selected >= 0) {
    Modify(selected);
  } else {
    Add();
  }
}

void ArrangeTasks::Save() {
  RebuildTaskList();
  std::wstring path = DefaultFileName();
  // A cancelled file dialog or a failed save keeps the " *", so that Close
  // still asks instead of dropping the changes unseen.
  if ((noDialog_ || host_.ChooseTaskFile(true, path, path)) && tasks_.Save(path, host_.Owner()) != 0) modified_ = false;
}

void ArrangeTasks::ActiveList() {
  RebuildTaskList();
  if (host_.RunActiveList() == 1) modified_ = true;
  FillRows(false);
}

void ArrangeTasks::Close() {
  if (modified_) {
    const int answer = ShowMessage(
        host_.Owner(), TextW(L"MsgStr08", L"The tasks have been modified. Do you want to save it?"), kCaptionPrompt,
        L"Prompt Message", 0x44);
    if (answer == kIdYes) Save();
  }
  RebuildTaskList();
}

}  // namespace zel
