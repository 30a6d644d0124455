#include "copy/task_list.h"

#include "common/texts.h"
#include "copy/task_file.h"
#include "copy/task_flags.h"
#include "copy/task_paths.h"
#include "copy/user_message.h"
#include "ports/platform.h"

namespace zel {

void TaskList::Clear() {
  tasks_.clear();
  cursor_ = 0;
}

int TaskList::Add(const std::wstring& source, const std::wstring& destination, const std::wstring& letters) {
  if (tasks_.size() >= kMaxTasks) return 0;
  // A longer path would be saved but refused by every later Load.
  if (Utf16Units(source) > kMaxTaskPathUnits || Utf16Units(destination) > kMaxTaskPathUnits) return 0;
  tasks_.push_back({source, destination, LettersToFlags(letters)});
  return 1;
}

void TaskList::RemoveByPaths(const std::wstring& source, const std::wstring& destination) {
  for (auto it = tasks_.begin(); it != tasks_.end(); ++it) {
    if (it->source == source && it->destination == destination) {
      tasks_.erase(it);
      return;
    }
  }
}

bool TaskList::Next(std::wstring& source, std::wstring& destination, uint16_t& flags) {
  if (cursor_ >= tasks_.size()) return false;
  const CopyTask& t = tasks_[cursor_++];
  source = t.source;
  destination = t.destination;
  flags = t.flags;
  return true;
}

void TaskList::SetActive(const std::wstring& source, const std::wstring& destination, bool active) {
  for (CopyTask& t : tasks_) {
    if (t.source != source || t.destination != destination) continue;
    t.flags = active ? static_cast<uint16_t>(t.flags | kTaskActive)
                     : static_cast<uint16_t>(t.flags & ~kTaskActive);
  }
}

void TaskList::SetActiveByPaths(const std::wstring& source, const std::wstring& destination) {
  SetActive(source, destination, true);
}

void TaskList::ClearActiveByPaths(const std::wstring& source, const std::wstring& destination) {
  SetActive(source, destination, false);
}

int TaskList::Contains(const std::wstring& source, const std::wstring& destination) const {
  for (const CopyTask& t : tasks_) {
    if (t.source == source && t.destination == destination) return 1;
  }
  return 0;
}

int TaskList::Save(const std::wstring& path, uintptr_t owner, Existing existing) {
  FileSystemPort* fs = Ports().files;
  if (fs == nullptr) return 0;
  if (fs->GetAttributes(path) != kInvalidAttributes) {
    const std::wstring ask =
        TextW(L"MsgStr30", L"The target file already existed. Do you want to replace it?") + L" \n ";
    if (existing == Existing::kAsk &&
        ShowMessage(owner, ask, kCaptionPrompt, L"Prompt Message", kMbYesNo | kMbIconInformation) != kIdYes) {
      return 0;
    }
    fs->SetAttributes(path, kAttrArchive);
  }
  if (fs->WriteFile(path, EncodeTaskFile(GlobalDiskList(), tasks_)) != kErrorSuccess) return 0;
  fs->SetAttributes(path, kAttrHidden | kAttrArchive);
  ShowMessage(owner, TextW(L"MsgStr31", L"The copy tasks save to file complete!"), kCaptionInformation,
              L"Information Message", kMbIconInformation);
  return 1;
}

int TaskList::Load(const std::wstring& path, bool quiet) {
  FileSystemPort* fs = Ports().files;
  const uint32_t attributes = fs ? fs->GetAttributes(path) : kInvalidAttributes;
  if (attributes == kInvalidAttributes) {
    if (!quiet) {
      ShowMessage(0, TextW(L"MsgStr28", L"Can not find the target file!"), kCaptionError, L"Error Message",
                  kMbIconWarning);
    }
    return 0;
  }
  fs->SetAttributes(path, kAttrArchive);
  std::vector<uint8_t> bytes;
  TaskFileContents contents;
  const bool good = fs->ReadFile(path, task_file::kMaxFileSize, bytes) == kErrorSuccess &&
                    ParseTaskFile(bytes, contents);
  fs->SetAttributes(path, attributes);
  if (!good) {
    if (!quiet) {
      ShowMessage(0, TextW(L"MsgStr29", L"Can not load the target file!"), kCaptionError, L"Error Message",
                  kMbIconWarning);
    }
    return 0;
  }

  tasks_ = std::move(contents.tasks);
  cursor_ = 0;
  remap_ = MatchStoredDisks(contents.disks, GlobalDiskList(), tasks_, [](size_t index) {
    ShowMessage(0, ReplaceNumber(TextW(L"MsgStr33", L"Can't find the source disk in task item[%d]"),
                                 static_cast<long long>(index)),
                kCaptionError, L"Warning Message", kMbIconWarning);
  });
  ApplyRemap(remap_, tasks_);
  return 1;
}

TaskList& GlobalTaskList() {
  static TaskList list;
  return list;
}

}  // namespace zel
