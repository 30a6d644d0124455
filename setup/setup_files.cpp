#include "setup/setup_files.h"

#include "setup/setup_paths.h"

namespace zel::setup {
namespace {

constexpr uint32_t kAttrReparsePoint = 0x400;

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

std::vector<std::wstring> Names(const std::wstring& path, size_t from) {
  std::vector<std::wstring> names;
  std::wstring name;
  for (size_t i = from; i <= path.size(); ++i) {
    if (i == path.size() || IsSeparator(path[i])) {
      if (!name.empty()) names.push_back(name);
      name.clear();
    } else {
      name.push_back(path[i]);
    }
  }
  return names;
}

// Characters of a full path's root: "C:\", "\\server\share\" or "\".
size_t RootLength(const std::wstring& path) {
  if (path.size() >= 2 && path[1] == L':') return path.size() >= 3 && IsSeparator(path[2]) ? 3 : 2;
  if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
    size_t seen = 0, i = 2;
    for (; i < path.size() && seen < 2; ++i) {
      if (IsSeparator(path[i])) ++seen;
    }
    return i;
  }
  return !path.empty() && IsSeparator(path[0]) ? 1 : 0;
}

bool IsDots(const std::wstring& name) { return name == L"." || name == L".."; }

// The entries of a directory other than "." and "..". False when it cannot
// be read.
bool ListDirectory(FileSystemPort& files, const std::wstring& pattern, std::vector<FindData>& out) {
  FindData entry;
  long error = 0;
  auto find = files.FindFirst(pattern, entry, error, FindAttributes::kAll, DotEntries::kLeftOut);
  if (!find) return error == kErrorFileNotFound || error == kErrorNoMoreFiles;
  do {
    if (!IsDots(entry.name)) out.push_back(entry);
  } while (find->Next(entry) == 0);
  return true;
}

}  // namespace

Result SetupFiles::MakePath(const std::wstring& base, const std::wstring& sub) {
  std::wstring path = base;
  size_t from = 0;
  if (base.empty()) {
    from = RootLength(sub);
    path = sub.substr(0, from);
  }
  Result result = kOk;
  for (const std::wstring& name : Names(sub, from)) {
    if (Result r = JoinPath(path, name, path); r != kOk) return r;
    const uint32_t attributes = files_.GetAttributes(path);
    if (attributes == kInvalidAttributes) {
      const long e = files_.CreateDirectory(path);
      if (e != 0 && e != kErrorAlreadyExists) result = kMakeDirFailed;
    } else if (!(attributes & kAttrDirectory)) {
      result = kMakeDirFailed;
    }
  }
  return result;
}

Result SetupFiles::Copy(const std::wstring& base, const std::wstring& sub, const std::wstring& source,
                        const std::vector<std::wstring>& names, int mode) {
  if (source.empty()) return kNothingToCopy;
  if (mode != kCopyNames && mode != kCopyPatterns && mode != kCopyFiles && mode != kCopyTree) {
    return kUnknownCopyMode;
  }
  std::wstring target = sub;
  if (!base.empty()) {
    if (Result r = JoinPath(base, sub, target); r != kOk) return r;
  }
  MakePath(base, sub);
  const uint32_t attributes = files_.GetAttributes(target);
  if (attributes == kInvalidAttributes || !(attributes & kAttrDirectory)) return kTargetDirFailed;
  return CopyInto(target, source, names, mode);
}

Result SetupFiles::CopyInto(const std::wstring& target, const std::wstring& source,
                            const std::vector<std::wstring>& names, int mode) {
  Result result = kOk;
  auto note = [&result](Result r) {
    if (r != kOk) result = r;
  };
  auto copyEntry = [&](const std::wstring& name, bool clearTarget) {
    std::wstring from, to;
    if (Result r = JoinPath(source, name, from); r != kOk) return note(r);
    if (Result r = JoinPath(target, name, to); r != kOk) return note(r);
    note(CopyOne(from, to, clearTarget));
  };

  if (mode == kCopyNames) {
    if (names.empty()) return kNothingToCopy;
    for (const std::wstring& name : names) {
      std::wstring from;
      if (Result r = JoinPath(source, name, from); r != kOk) {
        note(r);
      } else if (files_.GetAttributes(from) == kInvalidAttributes) {
        note(kNothingMatched);
      } else {
        copyEntry(name, true);
      }
    }
    return result;
  }

  if (mode == kCopyPatterns) {
    if (names.empty()) return kEmptyNameList;
    for (const std::wstring& pattern : names) {
      std::wstring search;
      std::vector<FindData> entries;
      if (Result r = JoinPath(source, pattern, search); r != kOk) {
        note(r);
        continue;
      }
      ListDirectory(files_, search, entries);
      bool matched = false;
      for (const FindData& entry : entries) {
        if (entry.attributes & kAttrDirectory) continue;
        matched = true;
        copyEntry(entry.name, false);
      }
      if (!matched) note(kNothingMatched);
    }
    return result;
  }

  const uint32_t sourceAttributes = files_.GetAttributes(source);
  if (sourceAttributes == kInvalidAttributes || !(sourceAttributes & kAttrDirectory)) return kNothingMatched;
  std::wstring search;
  if (Result r = JoinPath(source, L"*", search); r != kOk) return r;
  std::vector<FindData> entries;
  if (!ListDirectory(files_, search, entries)) return kCopyFailed;
  for (const FindData& entry : entries) {
    if (!(entry.attributes & kAttrDirectory)) copyEntry(entry.name, false);
  }
  if (mode == kCopyTree) {
    for (const FindData& entry : entries) {
      if (!(entry.attributes & kAttrDirectory)) continue;
      std::wstring from;
      if (Result r = JoinPath(source, entry.name, from); r != kOk) {
        note(r);
        continue;
      }
      note(Copy(target, entry.name, from, {}, kCopyTree));
    }
  }
  return result;
}

Result SetupFiles::CopyOne(const std::wstring& from, const std::wstring& to, bool clearTarget) {
  if (clearTarget && files_.GetAttributes(to) != kInvalidAttributes) files_.SetAttributes(to, kAttrNormal);
  return files_.CopyFile(from, to, false) == 0 ? kOk : kCopyFailed;
}

Result SetupFiles::RemoveTree(const std::wstring& dir) {
  const uint32_t attributes = files_.GetAttributes(dir);
  if (attributes == kInvalidAttributes || !(attributes & kAttrDirectory)) return kNoSuchDirectory;
  if (attributes & kAttrReparsePoint) {
    const long e = host_.RemoveDirectory(dir);
    return e == 0 ? kOk : static_cast<Result>(e);
  }
  Result result = kOk;
  std::wstring search;
  if (Result r = JoinPath(dir, L"*", search); r != kOk) return r;
  std::vector<FindData> entries;
  ListDirectory(files_, search, entries);
  for (const FindData& entry : entries) {
    std::wstring path;
    if (Result r = JoinPath(dir, entry.name, path); r != kOk) {
      result = r;
      continue;
    }
    long e = 0;
    if ((entry.attributes & kAttrDirectory) && (entry.attributes & kAttrReparsePoint)) {
      e = host_.RemoveDirectory(path);
    } else if (entry.attributes & kAttrDirectory) {
      if (Result r = RemoveTree(path); r != kOk) result = r;
      continue;
    } else {
      if (entry.attributes & kAttrReadOnly) files_.SetAttributes(path, entry.attributes & ~kAttrReadOnly);
      e = files_.DeleteFile(path);
    }
    if (e != 0) result = static_cast<Result>(e);
  }
  if (long e = host_.RemoveDirectory(dir); e != 0) result = static_cast<Result>(e);
  return result;
}

void SetupFiles::RemoveEmptyParents(const std::wstring& base, const std::wstring& sub) {
  std::vector<std::wstring> paths;
  std::wstring path = base;
  for (const std::wstring& name : Names(sub, 0)) {
    if (JoinPath(path, name, path) != kOk) return;
    paths.push_back(path);
  }
  for (auto it = paths.rbegin(); it != paths.rend(); ++it) {
    if (files_.GetAttributes(*it) == kInvalidAttributes) continue;
    if (host_.RemoveDirectory(*it) != 0) return;
  }
}

}  // namespace zel::setup
