#include "copy/task_paths.h"

#include <cwctype>
#include <vector>

#include "common/text.h"
#include "ports/file_system_port.h"
#include "ports/platform.h"

namespace zel {
namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool HasDrive(const std::wstring& path) {
  return path.size() >= 2 && path[1] == L':' && std::iswalpha(static_cast<wint_t>(path[0]));
}

bool SameName(const std::wstring& a, const std::wstring& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::towupper(static_cast<wint_t>(a[i])) != std::towupper(static_cast<wint_t>(b[i]))) return false;
  }
  return true;
}

}  // namespace

size_t Utf16Units(const std::wstring& path) { return WideToUtf16(path).size(); }

std::wstring CanonicalTaskPath(const std::wstring& path) {
  std::wstring head;
  size_t at = 0;
  if (HasDrive(path)) {
    head = {static_cast<wchar_t>(std::towupper(static_cast<wint_t>(path[0]))), L':'};
    at = 2;
  }
  const bool rooted = at < path.size() && IsSeparator(path[at]);
  std::vector<std::wstring> names;
  while (at < path.size()) {
    while (at < path.size() && IsSeparator(path[at])) ++at;
    size_t end = at;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    std::wstring name = path.substr(at, end - at);
    at = end;
    if (name.empty() || name == L".") continue;
    if (name == L".." && !names.empty() && names.back() != L"..") {
      names.pop_back();
    } else if (name != L".." || !rooted) {
      names.push_back(name);
    }
  }
  std::wstring out = head;
  if (rooted) out += L'\\';
  for (size_t i = 0; i < names.size(); ++i) {
    if (i > 0) out += L'\\';
    out += names[i];
  }
  return out;
}

bool PathWithin(const std::wstring& inner, const std::wstring& outer) {
  const std::wstring in = CanonicalTaskPath(inner), out = CanonicalTaskPath(outer);
  if (in.size() < out.size() || !SameName(in.substr(0, out.size()), out)) return false;
  if (in.size() == out.size()) return true;
  // "E:" and "E:\" hold every path of the drive.
  return IsSeparator(out.back()) || out.back() == L':' || in[out.size()] == L'\\';
}

std::wstring PathInside(const std::wstring& outer, const std::wstring& inner) {
  if (outer.empty() || inner.empty()) return {};
  if (PathWithin(inner, outer)) return CanonicalTaskPath(inner);
  FileSystemPort* fs = Ports().files;
  if (fs == nullptr) return {};
  const std::wstring out = CanonicalTaskPath(fs->Location(outer));
  const std::wstring in = CanonicalTaskPath(fs->Location(inner));
  if (out.empty() || in.empty() || !PathWithin(in, out)) return {};
  std::wstring rest = in.substr(out.size());
  while (!rest.empty() && rest.front() == L'\\') rest.erase(0, 1);
  std::wstring named = CanonicalTaskPath(outer);
  if (rest.empty()) return named;
  if (named.empty() || named.back() != L'\\') named += L'\\';
  return named + rest;
}

TaskPathProblem CheckTaskPaths(const std::wstring& source, const std::wstring& destination) {
  if (source.empty()) return TaskPathProblem::kSourceEmpty;
  if (destination.empty()) return TaskPathProblem::kDestinationEmpty;
  if (Utf16Units(source) > kMaxTaskPathUnits) return TaskPathProblem::kSourceTooLong;
  if (Utf16Units(destination) > kMaxTaskPathUnits) return TaskPathProblem::kDestinationTooLong;
  if (!PathInside(source, destination).empty()) return TaskPathProblem::kDestinationInsideSource;
  if (!PathInside(destination, source).empty()) return TaskPathProblem::kSourceInsideDestination;
  return TaskPathProblem::kNone;
}

std::wstring TaskPathProblemText(TaskPathProblem problem) {
  const std::wstring limit = std::to_wstring(kMaxTaskPathUnits);
  switch (problem) {
    case TaskPathProblem::kNone: return L"";
    case TaskPathProblem::kSourceEmpty: return L"the source directory is empty";
    case TaskPathProblem::kDestinationEmpty: return L"the destination directory is empty";
    case TaskPathProblem::kSourceTooLong:
      return L"the source directory is longer than " + limit + L" UTF-16 characters";
    case TaskPathProblem::kDestinationTooLong:
      return L"the destination directory is longer than " + limit + L" UTF-16 characters";
    case TaskPathProblem::kDestinationInsideSource:
      return L"the destination directory lies inside the source directory";
    case TaskPathProblem::kSourceInsideDestination:
      return L"the source directory lies inside the destination directory";
  }
  return L"";
}

}  // namespace zel
