#include "copy/copy_rules.h"

#include <atomic>

#include "common/partial_name.h"
#include "common/texts.h"
#include "common/work_queue.h"
#include "copy/task_flags.h"
#include "copy/task_paths.h"
#include "copy/user_message.h"
#include "ports/platform.h"

namespace zel {
namespace {

constexpr unsigned kCountThreads = 4;

bool IsDots(const std::wstring& name) { return name == L"." || name == L".."; }
bool IsDirectory(const FindData& entry) { return (entry.attributes & kAttrDirectory) != 0; }
std::wstring Join(const std::wstring& dir, const std::wstring& name) { return dir + L"\\" + name; }

// A bare drive such as "E:" is taken as there without asking the file system.
bool IsBareDrive(const std::wstring& path) { return path.size() == 2; }

int Percent(uint64_t processed, uint64_t total) {
  if (total == 0) return 0;
  const uint64_t percent = processed * 100 / total;
  return percent > 100 ? 100 : static_cast<int>(percent);
}

// The directory not to walk into: the run's destination when it lies inside
// the walked tree; empty otherwise.
std::wstring KeepOutOf(const std::wstring& walked, const std::wstring& destination) {
  return !destination.empty() && PathWithin(destination, walked) ? CanonicalTaskPath(destination) : std::wstring();
}

bool Enters(const std::wstring& dir, const std::wstring& keepOut) {
  return keepOut.empty() || !PathWithin(dir, keepOut);
}

// Files that a killed copy left under a partial name in `dir`.
void RemoveLeftovers(FileSystemPort& fs, const std::wstring& dir) {
  FindData entry;
  long error = 0;
  auto find = fs.FindFirst(Join(dir, L"~zel????.tmp"), entry, error, FindAttributes::kWithoutHiddenAndSystem);
  if (!find) return;
  do {
    if (IsDirectory(entry) || !IsPartialName(entry.name)) continue;
    const std::wstring path = Join(dir, entry.name);
    if (fs.DeleteFile(path) == kErrorAccessDenied) {
      fs.SetAttributes(path, kAttrArchive);
      fs.DeleteFile(path);
    }
  } while (find->Next(entry) == kErrorSuccess);
}

// The destination file's own entry, when it exists.
bool LookUp(FileSystemPort& fs, const std::wstring& path, FindData& entry) {
  long error = 0;
  return fs.FindFirst(path, entry, error, FindAttributes::kAll) != nullptr;
}

void CopyOneFile(FileSystemPort& fs, const std::wstring& from, const std::wstring& to, const FindData& source,
                 uint16_t flags, RunState& state, CopyView& view) {
  const std::wstring sourceFile = Join(from, source.name);
  const std::wstring targetFile = Join(to, source.name);
  state.taskBytesProcessed += source.size;
  view.SetItemText(kCopyTextFile, sourceFile);

  FindData target;
  const bool exists = LookUp(fs, targetFile, target);
  const uint32_t guarded = kAttrReadOnly | kAttrHidden;
  const bool cleared = exists && (target.attributes & guarded) != 0;
  if (cleared) {
    if ((flags & kTaskOverwrite) == 0) return;
    fs.SetAttributes(targetFile, target.attributes & ~guarded);
  }
  auto putBack = [&] {
    if (cleared) fs.SetAttributes(targetFile, target.attributes);
  };
  if (exists && (flags & kTaskNewer) != 0 && !(source.lastWriteTime > target.lastWriteTime)) {
    putBack();
    return;
  }

  const long result = fs.CopyFile(sourceFile, targetFile, false);
  if (result == kErrorSuccess) {
    state.bytesCopied += source.size;
    state.filesCopied += 1;
    return;
  }
  // The old file is still there: it keeps the attributes it had.
  putBack();
  if (result == kErrorDiskFull) {
    ShowMessage(view.Owner(), TextW(L"MsgStr26", L"The target disk is full!"), kCaptionError, L"Error Message",
                kMbIconError);
    state.stop = true;
    return;
  }
  state.filesNotCopied += 1;
  view.FileNotCopied(sourceFile, result);
}

void CopyTree(FileSystemPort& fs, const std::wstring& from, const std::wstring& to, uint16_t taskFlags,
              RunState& state, CopyView& view, const std::wstring& keepOut);

}  // namespace

uint32_t CountFiles(const std::wstring& path, uint16_t taskFlags, RunState& state, const std::wstring& keepOutPath) {
  FileSystemPort* fs = Ports().files;
  if (fs == nullptr) return 0;
  const std::wstring keepOut = KeepOutOf(path, keepOutPath);
  // The count and the total do not depend on the order in which the
  // directories are read, so a few threads share the reading.
  std::atomic<uint32_t> count{0};
  WorkQueue<std::wstring> walk;
  walk.Push(path);
  walk.Run(WorkQueue<std::wstring>::Threads(kCountThreads), [&](const std::wstring& dir) {
    FindData entry;
    long error = 0;
    auto find = fs->FindFirst(Join(dir, L"*"), entry, error, FindAttributes::kWithoutHiddenAndSystem);
    if (!find) return;
    uint32_t files = 0;
    uint64_t bytes = 0;
    do {
      if (IsDirectory(entry)) {
        const std::wstring sub = Join(dir, entry.name);
        if (!IsDots(entry.name) && (taskFlags & kTaskSubdirs) != 0 && Enters(sub, keepOut)) walk.Push(sub);
      } else if (!IsPartialName(entry.name)) {
        files += 1;
        bytes += entry.size;
      }
    } while (find->Next(entry) == kErrorSuccess);
    count += files;
    state.taskBytesTotal += bytes;
  });
  return count;
}

void CopyDirectory(const std::wstring& from, const std::wstring& to, uint16_t taskFlags, RunState& state,
                   CopyView& view) {
  FileSystemPort* fs = Ports().files;
  if (fs == nullptr) return;
  if (!IsBareDrive(from) && fs->GetAttributes(from) == kInvalidAttributes) {
    ShowMessage(view.Owner(), TextW(L"MsgStr23", L"Can not find source directory:") + from, kCaptionError,
                L"Error Message", kMbIconError);
    return;
  }
  if (!IsBareDrive(to) && fs->GetAttributes(to) == kInvalidAttributes) {
    const std::wstring ask = TextW(L"MsgStr24", L"Can not find target directory:") + to +
                             TextW(L"MsgStr25", L". Do you want to create it?");
    if (ShowMessage(view.Owner(), ask, kCaptionError, L"Error Message", kMbYesNo | kMbIconInformation) != kIdYes) {
      return;
    }
    CreatePath(to);
  }
  CopyTree(*fs, from, to, taskFlags, state, view, KeepOutOf(from, to));
}

namespace {

void CopyTree(FileSystemPort& fs, const std::wstring& from, const std::wstring& to, uint16_t taskFlags,
              RunState& state, CopyView& view, const std::wstring& keepOut) {
  RemoveLeftovers(fs, to);
  FindData entry;
  long error = 0;
  auto find = fs.FindFirst(Join(from, L"*"), entry, error, FindAttributes::kWithoutHiddenAndSystem);
  if (!find) return;
  do {
    if (IsDirectory(entry)) {
      const std::wstring subFrom = Join(from, entry.name);
      if (!IsDots(entry.name) && (taskFlags & kTaskSubdirs) != 0 && Enters(subFrom, keepOut)) {
        const std::wstring subTo = Join(to, entry.name);
        fs.CreateDirectory(subTo);
        CopyTree(fs, subFrom, subTo, taskFlags, state, view, keepOut);
      }
    } else if (!IsPartialName(entry.name)) {
      if (state.stop) return;
      CopyOneFile(fs, from, to, entry, taskFlags, state, view);
    }
    view.SetProgress(Percent(state.taskBytesProcessed, state.taskBytesTotal));
  } while (find->Next(entry) == kErrorSuccess);
}

}  // namespace

int CreatePath(const std::wstring& path) {
  FileSystemPort* fs = Ports().files;
  if (fs == nullptr) return 0;
  size_t cut = std::wstring::npos;
  for (size_t i = path.size(); i-- > 0;) {
    if (path[i] == L':') return 1;  // a drive counts as there
    if (path[i] == L'\\') {
      cut = i;
      break;
    }
  }
  if (cut == std::wstring::npos) return 0;
  const std::wstring parent = path.substr(0, cut);
  if (fs->GetAttributes(parent) == kInvalidAttributes && !CreatePath(parent)) return 0;
  return fs->CreateDirectory(path) == kErrorSuccess ? 1 : 0;
}

}  // namespace zel
