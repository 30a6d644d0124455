// What makes a task's pair of paths one that can be saved, loaded and run.
#pragma once
#include <cstddef>
#include <string>

namespace zel {

// The longest path a task can hold, counted in UTF-16 units (a character
// outside the basic plane is two); the task file keeps one more for the
// terminator.
inline constexpr size_t kMaxTaskPathUnits = 259;

enum class TaskPathProblem {
  kNone,
  kSourceEmpty,
  kDestinationEmpty,
  kSourceTooLong,
  kDestinationTooLong,
  kDestinationInsideSource,  // a run would copy the destination into itself
  kSourceInsideDestination,  // the same for a restore or the way back of a synchronise
};

size_t Utf16Units(const std::wstring& path);

// The path as the file system sees it: the drive letter in upper case, "/"
// read as "\", repeated and trailing separators, "." and ".." folded. Case
// elsewhere is kept (the comparisons below ignore it).
std::wstring CanonicalTaskPath(const std::wstring& path);

// True when `inner` is `outer` or lies below it. Both are compared as
// canonical paths, without regard to case, whole names only ("E:\Data2" is
// not below "E:\Data").
bool PathWithin(const std::wstring& inner, const std::wstring& outer);

// `inner` named as a path below `outer` when the place it leads to is `outer`'s
// place or lies inside it, on the same drive or through another drive letter
// that is a folder of `outer`'s drive (FileSystemPort::Location); empty when
// it is not.
std::wstring PathInside(const std::wstring& outer, const std::wstring& inner);

// The first reason why a task with these paths must not be added or kept
// after an edit; kNone when it can be.
TaskPathProblem CheckTaskPaths(const std::wstring& source, const std::wstring& destination);

// An English sentence for the problem, with the limit where there is one.
std::wstring TaskPathProblemText(TaskPathProblem problem);

}  // namespace zel
