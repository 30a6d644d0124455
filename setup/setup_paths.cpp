#include "setup/setup_paths.h"

#include <cwctype>
#include <vector>

namespace zel::setup {
namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// Names as the system resolves them: trailing dots and spaces fall away.
std::wstring ResolvedName(std::wstring name) {
  while (!name.empty() && (name.back() == L'.' || name.back() == L' ')) name.pop_back();
  return name;
}

std::wstring Normalized(const std::wstring& path) {
  std::wstring out;
  out.reserve(path.size());
  for (wchar_t c : path) out.push_back(IsSeparator(c) ? L'\\' : static_cast<wchar_t>(std::towlower(c)));
  while (!out.empty() && out.back() == L'\\') out.pop_back();
  return out;
}

}  // namespace

Result CheckTargetPath(const std::wstring& targetPath) {
  std::wstring path = targetPath;
  if (!path.empty() && IsSeparator(path.back())) path.pop_back();
  if (path.empty() || IsSeparator(path.front())) return kUnsafeTarget;
  std::wstring name;
  for (size_t i = 0; i <= path.size(); ++i) {
    if (i == path.size() || IsSeparator(path[i])) {
      // An empty name (a doubled separator) or one the system reads as "."
      // or ".." climbs or stays where it is.
      if (ResolvedName(name).empty()) return kUnsafeTarget;
      name.clear();
      continue;
    }
    const wchar_t c = path[i];
    if (c < 0x20 || c == L':' || c == L'*' || c == L'?' || c == L'"' || c == L'<' || c == L'>' || c == L'|') {
      return kUnsafeTarget;
    }
    name.push_back(c);
  }
  return kOk;
}

Result JoinPath(const std::wstring& base, const std::wstring& name, std::wstring& out) {
  std::wstring joined = base;
  if (!joined.empty() && !IsSeparator(joined.back())) joined.push_back(L'\\');
  joined += name;
  if (joined.size() + 1 > kPathChars) return kPathTooLong;
  out = std::move(joined);
  return kOk;
}

std::wstring ProgramFilesPath(const std::wstring& systemFolder, const std::wstring& windowsDirectory) {
  if (!systemFolder.empty()) {
    return IsSeparator(systemFolder.back()) ? systemFolder : systemFolder + L"\\";
  }
  return windowsDirectory.substr(0, 3) + L"Program Files\\";
}

std::wstring DirectoryOfCommand(const std::wstring& command) {
  const size_t cut = command.rfind(L'\\');
  if (cut == std::wstring::npos) return {};
  std::wstring dir = command.substr(0, cut);
  if (!dir.empty() && dir.front() == L'"') dir.erase(0, 1);
  return dir;
}

bool IsSameOrBelow(const std::wstring& inner, const std::wstring& outer) {
  const std::wstring a = Normalized(inner), b = Normalized(outer);
  if (a.size() < b.size() || a.compare(0, b.size(), b) != 0) return false;
  return a.size() == b.size() || a[b.size()] == L'\\' || b.empty();
}

}  // namespace zel::setup
