#include "copy/task_edit.h"

#include "common/texts.h"
#include "copy/copy_rules.h"
#include "copy/task_flags.h"
#include "copy/task_paths.h"
#include "copy/user_message.h"
#include "ports/file_system_port.h"
#include "ports/platform.h"
#include "ports/prompter.h"
#include "ports/storage_port.h"

namespace zel {
namespace {

constexpr uint32_t kStyleWarning = 0x30, kStyleError = 0x10, kStyleQuestion = 0x44;
constexpr uint16_t kDirections = kTaskBackup | kTaskRestore | kTaskSynchronise;

void DropLeadingBlanks(std::wstring& text) {
  size_t n = 0;
  while (n < text.size() && (text[n] == L' ' || text[n] == L'\t')) ++n;
  text.erase(0, n);
}

wchar_t UpperLetter(wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c; }

// "X:..." with its letter made upper case; false without the colon.
bool TakeDrive(std::wstring& path, wchar_t& letter) {
  if (path.size() < 2 || path[1] != L':') return false;
  path[0] = UpperLetter(path[0]);
  letter = path[0];
  return true;
}

bool DiskHasLetter(const DiskRecord& d, wchar_t letter) {
  for (uint16_t i = 0; i < d.volumeCount && i < kMaxVolumes; ++i) {
    if (d.volumes[i].driveLetter != 0 && static_cast<wchar_t>(d.volumes[i].driveLetter) == letter) return true;
  }
  return false;
}

bool ExistsOrBareDrive(const std::wstring& path) {
  return path.size() == 2 || Ports().files->GetAttributes(path) != kInvalidAttributes;
}

TaskEditResult Refuse(TaskEditOutcome outcome, const std::wstring& text, uint32_t style, uintptr_t owner) {
  ShowMessage(owner, text, kCaptionError, L"Error Message", style);
  return {outcome, text, L""};
}

std::wstring IllegalSource() { return TextW(L"MsgStr10", L"Illegal source directory found!"); }
std::wstring IllegalDestination() { return TextW(L"MsgStr11", L"Illegal destination directory found!"); }

}  // namespace

TaskEditResult ValidateTaskEdit(const DiskList& disks, uint8_t disk, const TaskList& tasks, TaskEditFields& fields,
                                uintptr_t owner) {
  DropLeadingBlanks(fields.source);
  if ((fields.flags & (kTaskRestore | kTaskSynchronise)) != 0 && !fields.source.empty() && Ports().storage &&
      Ports().storage->DriveType(std::wstring(1, UpperLetter(fields.source[0])) + L":\\") == kDriveCdrom) {
    return Refuse(TaskEditOutcome::kSourceOnCdrom,
                  TextW(L"MsgStr32", L"Can't copy data to CD/DVD-ROM device!"), kStyleWarning, owner);
  }

  // Lengths are checked before anything is looked up or created, so that a
  // pair that could not be saved is refused with its limit.
  DropLeadingBlanks(fields.destination);
  const TaskPathProblem problem = CheckTaskPaths(fields.source, fields.destination);

  wchar_t letter = 0;
  bool sourceOk = TakeDrive(fields.source, letter);
  if (sourceOk) {
    bool elsewhere = false;
    for (uint32_t i = 0; i < disks.count && i < kMaxDisks; ++i) {
      if (i != disk && DiskHasLetter(disks.disks[i], letter)) elsewhere = true;
    }
    sourceOk = elsewhere;
  }
  if (sourceOk && (problem == TaskPathProblem::kSourceEmpty || problem == TaskPathProblem::kSourceTooLong)) {
    return Refuse(TaskEditOutcome::kIllegalSource, IllegalSource() + L"\n" + TaskPathProblemText(problem),
                  kStyleError, owner);
  }
  if (!sourceOk || !ExistsOrBareDrive(fields.source)) {
    return Refuse(TaskEditOutcome::kIllegalSource, IllegalSource(), kStyleError, owner);
  }

  if (!TakeDrive(fields.destination, letter) || disk >= disks.count || !DiskHasLetter(disks.disks[disk], letter)) {
    return Refuse(TaskEditOutcome::kIllegalDestination, IllegalDestination(), kStyleError, owner);
  }
  // A run that would copy a directory into itself is refused as well.
  if (problem != TaskPathProblem::kNone) {
    return Refuse(TaskEditOutcome::kIllegalDestination, IllegalDestination() + L"\n" + TaskPathProblemText(problem),
                  kStyleError, owner);
  }
  if (!ExistsOrBareDrive(fields.destination)) {
    const int answer = ShowMessage(
        owner, TextW(L"MsgStr13", L"Can not find the  destination directory. Would you like to create it."),
        kCaptionPrompt, L"Prompt Message", kStyleQuestion);
    if (answer == kIdYes && CreatePath(fields.destination) == 0) {
      ShowMessage(owner, TextW(L"MsgStr14", L"Can not create the destination directory."), kCaptionError,
                  L"Error Message", kStyleError);
      return Refuse(TaskEditOutcome::kIllegalDestination, IllegalDestination(), kStyleError, owner);
    }
  }

  if (tasks.Contains(fields.source, fields.destination)) {
    return Refuse(TaskEditOutcome::kConflict, TextW(L"MsgStr12", L"The tasks are conflicted!"), kStyleError, owner);
  }
  return {TaskEditOutcome::kAccepted, L"", FlagsToLetters(fields.flags, kButtonModeOne)};
}

std::wstring RowLetters(uint16_t flags, uint8_t buttonMode, bool directionDefault) {
  if (directionDefault && buttonMode == kButtonModeOne && (flags & kDirections) == 0) flags |= kTaskBackup;
  return FlagsToLetters(flags, buttonMode);
}

}  // namespace zel
