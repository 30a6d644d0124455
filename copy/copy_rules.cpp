#include "copy/copy_rules.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

#include "common/partial_name.h"
#include "common/texts.h"
#include "common/work_queue.h"
#include "copy/run_ahead.h"
#include "copy/task_flags.h"
#include "copy/task_paths.h"
#include "copy/user_message.h"
#include "ports/platform.h"

namespace zel {
namespace {

constexpr unsigned kCountThreads = 4;

bool IsDots(const std::wstring& name) { return name == L"." || name == L".."; }
bool IsDirectory(const FindData& entry) { return (entry.attributes & kAttrDirectory) != 0; }
std::wstring Join(const std::wstring& dir, const std::wstring& name) {
  std::wstring path;
  path.reserve(dir.size() + 1 + name.size());
  path += dir;
  path += L'\\';
  path += name;
  return path;
}

// A bare drive such as "E:" is taken as there without asking the file system.
bool IsBareDrive(const std::wstring& path) { return path.size() == 2; }

int Percent(uint64_t processed, uint64_t total) {
  if (total == 0) return 0;
  const uint64_t percent = processed * 100 / total;
  return percent > 100 ? 100 : static_cast<int>(percent);
}

// The directory not to walk into: the run's destination, named from the
// walked tree, when it lies inside that tree (through another drive letter
// too); empty otherwise.
std::wstring KeepOutOf(const std::wstring& walked, const std::wstring& destination) {
  return PathInside(walked, destination);
}

bool Enters(const std::wstring& dir, const std::wstring& keepOut) {
  return keepOut.empty() || !PathWithin(dir, keepOut);
}

// A name as the system compares names: ASCII letters without regard to case.
std::wstring Folded(const std::wstring& name) {
  std::wstring out = name;
  for (wchar_t& c : out) {
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
  }
  return out;
}

bool IsAscii(const std::wstring& name) {
  for (wchar_t c : name) {
    if (c > 0x7F) return false;
  }
  return true;
}

// A file's own entry, when it exists.
bool LookUp(FileSystemPort& fs, const std::wstring& path, FindData& entry) {
  long error = 0;
  return fs.FindFirst(path, entry, error, FindAttributes::kAll) != nullptr;
}

// A partial file that a killed copy left in a target directory, or a
// directory it was still making there, with everything in it.
void RemoveLeftover(FileSystemPort& fs, const std::wstring& path, bool directory) {
  if (directory) {
    fs.RemoveTree(path);
  } else if (fs.DeleteFile(path) == kErrorAccessDenied) {
    fs.SetAttributes(path, kAttrArchive);
    fs.DeleteFile(path);
  }
}

// How a target directory came to be: there before the copy pass, or made by it.
enum class Made { kNo, kYes };

// One source directory's entries in the order the file system keeps them,
// "." and ".." and partial files and directories left out.
std::vector<CountedEntry> ReadSource(FileSystemPort& fs, const std::wstring& dir) {
  std::vector<CountedEntry> out;
  FindData entry;
  long error = 0;
  auto find = fs.FindFirst(Join(dir, L"*"), entry, error, FindAttributes::kWithoutHiddenAndSystem, DotEntries::kLeftOut);
  if (!find) return out;
  do {
    const bool directory = IsDirectory(entry);
    if (IsPartialName(entry.name) || (directory && IsDots(entry.name))) continue;
    out.push_back(CountedEntry{std::move(entry.name), entry.size, entry.lastWriteTime, directory});
  } while (find->Next(entry) == kErrorSuccess);
  return out;
}

// What the copy pass knows of one target directory. A directory this pass
// has just made is empty, so nothing in it is looked up. Any other is read
// once: its partial files are removed and the rest are kept by name, so that
// a missing target costs no look of its own.
class TargetDirectory {
 public:
  TargetDirectory(FileSystemPort& fs, const std::wstring& dir, bool made, uint16_t flags)
      : fs_(fs), dir_(dir), made_(made) {
    if (made_) return;
    // Without the newer bit every existing target's hidden bit decides;
    // with it, only those of files that are newer, looked at one by one.
    const FindAttributes wanted =
        (flags & kTaskNewer) != 0 ? FindAttributes::kWithoutHiddenAndSystem : FindAttributes::kAll;
    withHidden_ = wanted == FindAttributes::kAll;
    FindData entry;
    long error = 0;
    auto find = fs.FindFirst(Join(dir, L"*"), entry, error, wanted, DotEntries::kLeftOut);
    if (!find) return;
    do {
      if (IsPartialName(entry.name)) {
        RemoveLeftover(fs, Join(dir, entry.name), IsDirectory(entry));
      } else if (!IsDots(entry.name)) {
        entries_.emplace(Folded(entry.name), std::move(entry));
      }
    } while (find->Next(entry) == kErrorSuccess);
  }

  bool Made() const { return made_; }

  // The target of `name`, false when there is none. `complete` tells whether
  // its hidden and system bits are in the entry.
  bool Find(const std::wstring& name, FindData& out, bool& complete) const {
    complete = withHidden_;
    if (made_) return false;
    auto it = entries_.find(Folded(name));
    if (it != entries_.end() && it->second.name == name) {
      out = it->second;
      return true;
    }
    // Only a name the fold tells apart for certain is missing without a look.
    if (it == entries_.end() && IsAscii(name)) return false;
    complete = true;
    return LookUp(fs_, Join(dir_, name), out);
  }

  // Whether `name` is there as a directory of exactly that name.
  bool HasDirectory(const std::wstring& name) const {
    if (made_) return false;
    auto it = entries_.find(Folded(name));
    return it != entries_.end() && it->second.name == name && IsDirectory(it->second);
  }

  // Whether nothing is there under `name` in any case, for certain.
  bool Free(const std::wstring& name) const {
    return made_ || (entries_.find(Folded(name)) == entries_.end() && IsAscii(name));
  }

 private:
  FileSystemPort& fs_;
  std::wstring dir_;
  bool made_;
  bool withHidden_ = true;
  std::unordered_map<std::wstring, FindData> entries_;
};

// What one copy's result means for the run: the file counts as copied, or as
// not copied and is shown; a full disk stops the run instead.
void CountCopy(long result, const std::wstring& sourceFile, uint64_t size, RunState& state, CopyView& view) {
  if (result == kErrorSuccess) {
    state.bytesCopied += size;
    state.filesCopied += 1;
    return;
  }
  if (result == kErrorDiskFull) {
    ShowMessage(view.Owner(), TextW(L"MsgStr26", L"The target disk is full!"), kCaptionError, L"Error Message",
                kMbIconError);
    state.stop = true;
    return;
  }
  state.filesNotCopied += 1;
  view.FileNotCopied(sourceFile, result);
}

void CopyOneFile(FileSystemPort& fs, const std::wstring& from, const std::wstring& to, const CountedEntry& source,
                 const TargetDirectory& targets, uint16_t flags, RunState& state, CopyView& view) {
  const std::wstring sourceFile = Join(from, source.name);
  const std::wstring targetFile = Join(to, source.name);
  state.taskBytesProcessed += source.size;
  view.SetItemText(kCopyTextFile, sourceFile);

  FindData target;
  bool complete = true;
  bool exists = targets.Find(source.name, target, complete);
  const bool newer = (flags & kTaskNewer) != 0;
  // A file that is not newer is skipped whatever its target's attributes:
  // a guarded one would have its attributes put back as they were.
  if (exists && newer && !(source.lastWriteTime > target.lastWriteTime)) return;
  if (exists && !complete) {
    target.attributes = fs.GetAttributes(targetFile);
    exists = target.attributes != kInvalidAttributes;
  }
  const uint32_t guarded = kAttrReadOnly | kAttrHidden;
  const bool cleared = exists && (target.attributes & guarded) != 0;
  if (cleared) {
    if ((flags & kTaskOverwrite) == 0) return;
    fs.SetAttributes(targetFile, target.attributes & ~guarded);
  }
  auto putBack = [&] {
    if (cleared) fs.SetAttributes(targetFile, target.attributes);
  };

  // A target known to be missing is made without replacing; one that has
  // appeared since is replaced as any other.
  long result = exists ? kErrorFileExists : fs.CopyFile(sourceFile, targetFile, true);
  if (result == kErrorFileExists) result = fs.CopyFile(sourceFile, targetFile, false);
  // The old file is still there: it keeps the attributes it had.
  if (result != kErrorSuccess) putBack();
  CountCopy(result, sourceFile, source.size, state, view);
}

void CopyTree(FileSystemPort& fs, const std::wstring& from, const std::wstring& to, Made made, uint16_t taskFlags,
              RunState& state, CopyView& view, const std::wstring& keepOut);

}  // namespace

uint32_t CountFiles(const std::wstring& path, uint16_t taskFlags, RunState& state, const std::wstring& keepOutPath) {
  FileSystemPort* fs = Ports().files;
  state.counted.Clear();
  if (fs == nullptr) return 0;
  const std::wstring keepOut = KeepOutOf(path, keepOutPath);
  state.counted.Start(path, keepOutPath, taskFlags, keepOut);
  // The count and the total do not depend on the order in which the
  // directories are read, so a few threads share the reading. What they read
  // is kept for the copy pass.
  std::atomic<uint32_t> count{0};
  WorkQueue<std::wstring> walk;
  walk.Push(path);
  walk.Run(WorkQueue<std::wstring>::Threads(kCountThreads), [&](const std::wstring& dir) {
    std::vector<CountedEntry> entries = ReadSource(*fs, dir);
    uint32_t files = 0;
    uint64_t bytes = 0;
    for (const CountedEntry& entry : entries) {
      if (entry.directory) {
        const std::wstring sub = Join(dir, entry.name);
        if ((taskFlags & kTaskSubdirs) != 0 && Enters(sub, keepOut)) walk.Push(sub);
      } else {
        files += 1;
        bytes += entry.size;
      }
    }
    count += files;
    state.taskBytesTotal += bytes;
    state.counted.Add(dir, std::move(entries));
  });
  if (count == 0) state.counted.Clear();
  return count;
}

void CopyDirectory(const std::wstring& from, const std::wstring& to, uint16_t taskFlags, RunState& state,
                   CopyView& view) {
  FileSystemPort* fs = Ports().files;
  if (fs == nullptr) return;
  // The walk of the counting pass serves this copy only when it was of this tree.
  if (!state.counted.Covers(from, to, taskFlags)) state.counted.Clear();
  if (!IsBareDrive(from) && fs->GetAttributes(from) == kInvalidAttributes) {
    state.counted.Clear();
    ShowMessage(view.Owner(), TextW(L"MsgStr23", L"Can not find source directory:") + from, kCaptionError,
                L"Error Message", kMbIconError);
    return;
  }
  bool madeTo = false;
  // Where the counting pass found the target is where it still is, unless the
  // target has to be made first. Finding it takes a look at every directory
  // of both paths.
  std::wstring keepOut = state.counted.Covers(from, to, taskFlags) ? state.counted.KeptOut() : KeepOutOf(from, to);
  if (!IsBareDrive(to) && fs->GetAttributes(to) == kInvalidAttributes) {
    const std::wstring ask = TextW(L"MsgStr24", L"Can not find target directory:") + to +
                             TextW(L"MsgStr25", L". Do you want to create it?");
    if (ShowMessage(view.Owner(), ask, kCaptionError, L"Error Message", kMbYesNo | kMbIconInformation) != kIdYes) {
      state.counted.Clear();
      return;
    }
    madeTo = CreatePath(to) != 0 && fs->GetAttributes(to) != kInvalidAttributes;
    keepOut = KeepOutOf(from, to);
  }
  CopyTree(*fs, from, to, madeTo ? Made::kYes : Made::kNo, taskFlags, state, view, keepOut);
  state.counted.Clear();
}

namespace {

// A tree the copy pass makes under a partial name, where nobody sees it. It
// is walked first: its directories are made at once and its files become
// jobs, which a few threads copy ahead of the pass (a file's copy keeps one
// processor busy). The pass takes their outcomes in the order of the walk,
// counting and showing them as it would one after the other, and stops
// where it would. What was copied ahead of a stop, and the directories the
// pass never came to, are removed again. Should a copy find no room or its
// name taken, others copied ahead may have caused it: they are removed and
// the rest is copied one file after the other.
class UnseenTree {
 public:
  UnseenTree(FileSystemPort& fs, const std::wstring& from, const std::wstring& to, uint16_t taskFlags,
             RunState& state, CopyView& view, const std::wstring& keepOut)
      : fs_(fs), flags_(taskFlags), state_(state), view_(view), keepOut_(keepOut) {
    dirs_.push_back(Dir{from, to, true, {}, false});
    Walk(0);
  }

  void Copy() {
    constexpr size_t kWindow = 64;
    const unsigned helpers = WorkQueue<std::wstring>::Threads(kCopyThreads) - 1;
    if (helpers > 0 && files_.size() > 1) {
      ahead_ = std::make_unique<RunAhead>(files_.size(), kWindow, helpers, [this](size_t i) {
        return fs_.CopyFile(Source(i), Target(i), true, TargetName::kAtOnce);
      });
    }
    Take(0);
    if (ahead_) {
      ahead_->Stop();
      for (size_t i = 0; i < files_.size(); ++i) {
        if (!files_[i].taken && ahead_->Ran(i) && ahead_->Result(i) == kErrorSuccess) {
          RemoveLeftover(fs_, Target(i), false);
        }
      }
    }
    // Deepest first; a directory holds nothing but what was removed above.
    for (size_t d = dirs_.size(); d-- > 1;) {
      if (dirs_[d].made && !dirs_[d].reached) fs_.RemoveTree(dirs_[d].to);
    }
  }

 private:
  static constexpr unsigned kCopyThreads = 2;
  struct Dir {
    std::wstring from, to;
    bool made;
    std::vector<std::pair<bool, size_t>> entries;  // a directory?, its index in dirs_ or files_
    bool reached;
  };
  // Named in its directory only: a large tree's names are held once.
  struct File {
    size_t dir;
    std::wstring name;
    uint64_t size;
    bool taken;
  };

  std::wstring Source(size_t i) const { return Join(dirs_[files_[i].dir].from, files_[i].name); }
  std::wstring Target(size_t i) const { return Join(dirs_[files_[i].dir].to, files_[i].name); }

  void Walk(size_t d) {
    std::vector<CountedEntry> entries;
    if (!state_.counted.Take(dirs_[d].from, entries)) entries = ReadSource(fs_, dirs_[d].from);
    for (CountedEntry& entry : entries) {
      if (!entry.directory) {
        dirs_[d].entries.emplace_back(false, files_.size());
        files_.push_back(File{d, std::move(entry.name), entry.size, false});
        continue;
      }
      const std::wstring from = Join(dirs_[d].from, entry.name), to = Join(dirs_[d].to, entry.name);
      if ((flags_ & kTaskSubdirs) != 0 && Enters(from, keepOut_)) {
        const size_t sub = dirs_.size();
        dirs_[d].entries.emplace_back(true, sub);
        // One that cannot be made is copied into as any other target directory.
        const bool made = fs_.CreateDirectory(to) == kErrorSuccess;
        dirs_.push_back(Dir{from, to, made, {}, false});
        if (made) Walk(sub);
      }
    }
  }

  // Takes the outcomes of directory `d`'s files in order, as CopyTree copies them.
  void Take(size_t d) {
    dirs_[d].reached = true;
    for (size_t k = 0; k < dirs_[d].entries.size(); ++k) {
      const auto [directory, index] = dirs_[d].entries[k];
      if (directory && dirs_[index].made) {
        Take(index);
      } else if (directory) {
        dirs_[index].reached = true;
        CopyTree(fs_, dirs_[index].from, dirs_[index].to, Made::kNo, flags_, state_, view_, keepOut_);
      } else {
        if (state_.stop) return;
        File& file = files_[index];
        const std::wstring source = Source(index);
        state_.taskBytesProcessed += file.size;
        view_.SetItemText(kCopyTextFile, source);
        long result = ahead_ ? ahead_->Take(index) : CopyNow(index);
        if (ahead_ && (result == kErrorDiskFull || result == kErrorFileExists)) {
          UndoAhead(index);
          result = CopyNow(index);
        }
        file.taken = true;
        CountCopy(result, source, file.size, state_, view_);
      }
      view_.SetProgress(Percent(state_.taskBytesProcessed, state_.taskBytesTotal));
    }
  }

  // The copies started after file `i` are removed, and no more run ahead.
  void UndoAhead(size_t i) {
    ahead_->Stop();
    for (size_t j = i + 1; j < files_.size(); ++j) {
      if (ahead_->Ran(j) && ahead_->Result(j) == kErrorSuccess) RemoveLeftover(fs_, Target(j), false);
    }
    ahead_.reset();
  }

  long CopyNow(size_t i) {
    const long result = fs_.CopyFile(Source(i), Target(i), true, TargetName::kAtOnce);
    return result == kErrorFileExists ? fs_.CopyFile(Source(i), Target(i), false) : result;
  }

  FileSystemPort& fs_;
  const uint16_t flags_;
  RunState& state_;
  CopyView& view_;
  const std::wstring& keepOut_;
  std::vector<Dir> dirs_;
  std::vector<File> files_;
  std::unique_ptr<RunAhead> ahead_;
};

// A new directory beside the others of `parent` under a partial name; false
// when none can be made.
bool MakePartialDirectory(FileSystemPort& fs, const std::wstring& parent, std::wstring& out) {
  // Numbers differ between runs and between the directories of one run; a
  // name that is taken (by another run or a leftover) is passed over.
  static std::atomic<uint32_t> next{static_cast<uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count())};
  for (int attempt = 0; attempt < 64; ++attempt) {
    out = parent;
    out += L'\\';
    AppendPartialName(next++, out);
    const long result = fs.CreateDirectory(out);
    if (result == kErrorSuccess) return true;
    if (result != kErrorAlreadyExists) return false;
  }
  return false;
}

// A directory made under its own name and copied into. An existing directory
// is fine; one that cannot be made fails its files.
void CopyIntoDirectoryOfItsOwnName(FileSystemPort& fs, const std::wstring& from, const std::wstring& to,
                                   uint16_t taskFlags, RunState& state, CopyView& view, const std::wstring& keepOut) {
  const bool made = fs.CreateDirectory(to) == kErrorSuccess;
  CopyTree(fs, from, to, made ? Made::kYes : Made::kNo, taskFlags, state, view, keepOut);
}

// A directory the copy pass makes is made and filled under a partial name and
// takes its own name only once its files are in (or the run stops), so that
// the files in it can be written under their own names at once: a run killed
// meanwhile leaves only the partial directory, never taken for a copy, which
// a later run into `parent` removes. Should the name have been taken
// meanwhile, the files copied into it count as not copied.
void CopyIntoNewDirectory(FileSystemPort& fs, const std::wstring& from, const std::wstring& parent,
                          const std::wstring& to, uint16_t taskFlags, RunState& state, CopyView& view,
                          const std::wstring& keepOut) {
  std::wstring partial;
  if (!MakePartialDirectory(fs, parent, partial)) {
    CopyIntoDirectoryOfItsOwnName(fs, from, to, taskFlags, state, view, keepOut);
    return;
  }
  const uint32_t filesBefore = state.filesCopied;
  const uint64_t bytesBefore = state.bytesCopied;
  UnseenTree(fs, from, partial, taskFlags, state, view, keepOut).Copy();
  const long moved = fs.MoveDirectory(partial, to);
  if (moved == kErrorSuccess) return;
  fs.RemoveTree(partial);
  const uint32_t lost = state.filesCopied - filesBefore;
  state.filesCopied -= lost;
  state.bytesCopied = bytesBefore;
  state.filesNotCopied += lost;
  if (lost != 0) view.FileNotCopied(from, moved);
}

void CopyTree(FileSystemPort& fs, const std::wstring& from, const std::wstring& to, Made made, uint16_t taskFlags,
              RunState& state, CopyView& view, const std::wstring& keepOut) {
  const TargetDirectory targets(fs, to, made != Made::kNo, taskFlags);
  std::vector<CountedEntry> entries;
  if (!state.counted.Take(from, entries)) entries = ReadSource(fs, from);
  for (const CountedEntry& entry : entries) {
    if (entry.directory) {
      const std::wstring subFrom = Join(from, entry.name);
      if ((taskFlags & kTaskSubdirs) != 0 && Enters(subFrom, keepOut)) {
        const std::wstring subTo = Join(to, entry.name);
        if (targets.HasDirectory(entry.name)) {
          CopyTree(fs, subFrom, subTo, Made::kNo, taskFlags, state, view, keepOut);
        } else if (!targets.Free(entry.name)) {
          // Something of that name may be there in another case.
          CopyIntoDirectoryOfItsOwnName(fs, subFrom, subTo, taskFlags, state, view, keepOut);
        } else {
          CopyIntoNewDirectory(fs, subFrom, to, subTo, taskFlags, state, view, keepOut);
        }
      }
    } else {
      if (state.stop) return;
      CopyOneFile(fs, from, to, entry, targets, taskFlags, state, view);
    }
    view.SetProgress(Percent(state.taskBytesProcessed, state.taskBytesTotal));
  }
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
