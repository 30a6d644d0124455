#include "copy/task_loop.h"

#include <cstdio>
#include <string>

#include "common/texts.h"
#include "copy/copy_rules.h"
#include "copy/task_flags.h"
#include "copy/user_message.h"

namespace zel {
namespace {

enum class Direction { None, Backup, Restore, Synchronise };

Direction DirectionOf(uint16_t flags, uint8_t buttonMode, uint8_t direction) {
  if (buttonMode == kButtonModeTwo) {
    if (direction == kDirectionBackup) return Direction::Backup;
    if (direction == kDirectionRestore) return Direction::Restore;
    return Direction::None;
  }
  if (flags & kTaskBackup) return Direction::Backup;
  if (flags & kTaskRestore) return Direction::Restore;
  if (flags & kTaskSynchronise) return Direction::Synchronise;
  return Direction::None;
}

bool Unusable(const std::wstring& path) { return path.empty() || path[0] == L' '; }

void ShowEnds(CopyView& view, const std::wstring& from, const std::wstring& to) {
  view.SetItemText(kCopyTextFrom, from);
  view.SetItemText(kCopyTextTo, to);
}

void EmptySourceMessage(CopyView& view, const std::wstring& path) {
  const std::wstring text = TextW(L"MsgStr21", L"The source directory") + path +
                            TextW(L"MsgStr22", L"can not find any files. The current task will be skipped!");
  ShowMessage(view.Owner(), text, kCaptionPrompt, L"Prompt Message", kMbIconInformation);
}

// One way of a backup or restore: false when the side has no file.
bool CopyOneWay(const std::wstring& from, const std::wstring& to, uint16_t flags, RunState& state, CopyView& view) {
  ShowEnds(view, from, to);
  if (CountFiles(from, flags, state, to) == 0) {
    EmptySourceMessage(view, from);
    return false;
  }
  CopyDirectory(from, to, flags, state, view);
  return true;
}

}  // namespace

void RunTaskLoop(TaskList& tasks, uint8_t buttonMode, uint8_t direction, RunState& state, CopyView& view) {
  tasks.ResetCursor();
  const int32_t count = tasks.Count();
  for (int32_t i = 0; i < count; ++i) {
    std::wstring source, destination;
    uint16_t flags = 0;
    if (!tasks.Next(source, destination, flags)) break;
    if (Unusable(source) || Unusable(destination)) continue;

    wchar_t number[16];
    std::swprintf(number, 16, L" %2d", static_cast<int>(i + 1));
    view.SetCaption(TextW(L"CopyTask", L"Copy Task") + number);
    state.taskBytesProcessed = 0;
    state.taskBytesTotal = 0;
    if ((flags & kTaskActive) == 0) continue;
    view.SetProgress(0);

    switch (DirectionOf(flags, buttonMode, direction)) {
      case Direction::Backup:
        if (!CopyOneWay(source, destination, flags, state, view)) continue;
        break;
      case Direction::Restore:
        if (!CopyOneWay(destination, source, flags, state, view)) continue;
        break;
      case Direction::Synchronise:
        ShowEnds(view, source, destination);
        if (CountFiles(source, flags, state, destination) != 0) {
          CopyDirectory(source, destination, flags, state, view);
        }
        ShowEnds(view, destination, source);
        if (CountFiles(destination, flags, state, source) != 0) {
          CopyDirectory(destination, source, flags, state, view);
        }
        break;
      case Direction::None:
        break;
    }
    view.SetProgress(100);
    if (state.stop) break;
  }
  view.SetProgress(100);
}

}  // namespace zel
