#include <windows.h>

#include <cwchar>
#include <utility>
#include <vector>

#include "platform/win32/file_system_win32.h"

#include "common/partial_name.h"
#include "platform/win32/win32_handles.h"

namespace zel {
namespace {

uint64_t Join(const FILETIME& ft) {
  return (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

void Fill(const WIN32_FIND_DATAW& w, FindAttributes wanted, FindData& out) {
  out.attributes = w.dwFileAttributes;
  if (wanted == FindAttributes::kWithoutHiddenAndSystem) out.attributes &= ~(kAttrHidden | kAttrSystem);
  out.creationTime = Join(w.ftCreationTime);
  out.lastAccessTime = Join(w.ftLastAccessTime);
  out.lastWriteTime = Join(w.ftLastWriteTime);
  out.size = (static_cast<uint64_t>(w.nFileSizeHigh) << 32) | w.nFileSizeLow;
  out.name = w.cFileName;
}

long LastError() { return static_cast<long>(GetLastError()); }

bool IsDotEntry(const WIN32_FIND_DATAW& w) {
  return (w.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
         (std::wcscmp(w.cFileName, L".") == 0 || std::wcscmp(w.cFileName, L"..") == 0);
}

class Win32FindHandle : public FindHandle {
 public:
  Win32FindHandle(HANDLE h, FindAttributes wanted, DotEntries dots) : find_(h), wanted_(wanted), dots_(dots) {}
  long Next(FindData& out) override {
    WIN32_FIND_DATAW w;
    if (!NextWanted(w)) return LastError();
    Fill(w, wanted_, out);
    return kErrorSuccess;
  }
  // The next entry the caller wants into `w`; false at the end.
  bool NextWanted(WIN32_FIND_DATAW& w) {
    do {
      if (!FindNextFileW(find_.get(), &w)) return false;
    } while (dots_ == DotEntries::kLeftOut && IsDotEntry(w));
    return true;
  }

 private:
  win32::FindHandleOwner find_;
  FindAttributes wanted_;
  DotEntries dots_;
};

// Names beside `target` for new contents that are not yet whole: short 8.3
// names, so that a folder deep enough to hold only short names still takes
// them. `create` makes the file under a name and fails with
// ERROR_FILE_EXISTS or ERROR_ALREADY_EXISTS while the name is taken; the
// next name is tried then.
template <typename Create>
long CreatePartial(const std::wstring& target, std::wstring& partial, Create create) {
  static volatile LONG next = 0;
  size_t cut = target.find_last_of(L"\\/:");
  const std::wstring dir = cut == std::wstring::npos ? std::wstring() : target.substr(0, cut + 1);
  const uint32_t base = static_cast<uint32_t>(GetCurrentProcessId()) * 40503u;
  long err = ERROR_FILE_EXISTS;
  for (int attempt = 0; attempt < 64 && (err == ERROR_FILE_EXISTS || err == ERROR_ALREADY_EXISTS); ++attempt) {
    partial = dir + PartialName(base + static_cast<uint32_t>(InterlockedIncrement(&next)));
    err = create(partial);
  }
  return err;
}

// Puts whole new contents in place of the target.
long Replace(const std::wstring& partial, const std::wstring& target) {
  if (MoveFileExW(partial.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) return kErrorSuccess;
  long err = LastError();
  DeleteFileW(partial.c_str());
  return err;
}

}  // namespace

std::unique_ptr<FindHandle> Win32FileSystem::FindFirst(const std::wstring& pattern, FindData& first, long& error,
                                                       FindAttributes wanted, DotEntries dots) {
  WIN32_FIND_DATAW w;
  HANDLE h = FindFirstFileW(pattern.c_str(), &w);
  if (h == INVALID_HANDLE_VALUE) {
    error = LastError();
    return nullptr;
  }
  auto handle = std::make_unique<Win32FindHandle>(h, wanted, dots);
  if (dots == DotEntries::kLeftOut && IsDotEntry(w) && !handle->NextWanted(w)) {
    const long last = LastError();
    error = last == ERROR_NO_MORE_FILES ? kErrorFileNotFound : last;
    return nullptr;
  }
  Fill(w, wanted, first);
  error = kErrorSuccess;
  return handle;
}

uint32_t Win32FileSystem::GetAttributes(const std::wstring& path) {
  return GetFileAttributesW(path.c_str());
}

long Win32FileSystem::SetAttributes(const std::wstring& path, uint32_t attributes) {
  return SetFileAttributesW(path.c_str(), attributes) ? kErrorSuccess : LastError();
}

long Win32FileSystem::CopyFile(const std::wstring& from, const std::wstring& to, bool failIfExists,
                               TargetName naming) {
  if (naming == TargetName::kAtOnce && failIfExists) {
    // Nobody sees the target's directory yet: the system copy may write
    // under the target's name, as long as a copy cut short is removed.
    if (CopyFileW(from.c_str(), to.c_str(), TRUE)) return kErrorSuccess;
    const long err = LastError();
    if (err == ERROR_FILE_EXISTS || err == ERROR_ALREADY_EXISTS) return kErrorFileExists;
    SetFileAttributesW(to.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(to.c_str());
    return err;
  }
  // The system copy writes into the target as it goes; a copy cut short (a
  // full disk) would leave a piece under the target's name. It copies to a
  // name of its own instead and takes the target's place only when whole.
  const DWORD existing = GetFileAttributesW(to.c_str());
  if (existing != INVALID_FILE_ATTRIBUTES) {
    if (failIfExists) return kErrorFileExists;
    if (existing & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) return kErrorAccessDenied;
  }
  std::wstring partial;
  const long err = CreatePartial(to, partial, [&](const std::wstring& name) -> long {
    if (CopyFileW(from.c_str(), name.c_str(), TRUE)) return kErrorSuccess;
    const long copyErr = LastError();
    if (copyErr != ERROR_FILE_EXISTS) DeleteFileW(name.c_str());
    return copyErr;
  });
  if (err != kErrorSuccess) return err;
  return Replace(partial, to);
}

long Win32FileSystem::CreateDirectory(const std::wstring& path) {
  return CreateDirectoryW(path.c_str(), nullptr) ? kErrorSuccess : LastError();
}

long Win32FileSystem::MoveDirectory(const std::wstring& from, const std::wstring& to) {
  // A directory just filled may still be open to a scanner or an indexer
  // for a moment: such a refusal is tried again for up to a second.
  for (int attempt = 0;; ++attempt) {
    if (MoveFileExW(from.c_str(), to.c_str(), 0)) return kErrorSuccess;
    const long err = LastError();
    if (err == ERROR_FILE_EXISTS) return kErrorAlreadyExists;
    if ((err != ERROR_ACCESS_DENIED && err != ERROR_SHARING_VIOLATION) || attempt == 20) return err;
    Sleep(50);
  }
}

long Win32FileSystem::RemoveTree(const std::wstring& path) {
  // The entries are read first and removed afterwards. A directory that is a
  // link (a reparse point) is removed itself, its target left alone.
  std::vector<std::pair<std::wstring, DWORD>> entries;
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &found);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = found.cFileName;
      if (name != L"." && name != L"..") entries.emplace_back(path + L"\\" + name, found.dwFileAttributes);
    } while (FindNextFileW(find, &found));
    FindClose(find);
  }
  long result = kErrorSuccess;
  for (const auto& [entry, attributes] : entries) {
    long err = kErrorSuccess;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
      err = RemoveTree(entry);
    } else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
      if (!RemoveDirectoryW(entry.c_str())) err = LastError();
    } else {
      if (attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesW(entry.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (!DeleteFileW(entry.c_str())) err = LastError();
    }
    if (result == kErrorSuccess) result = err;
  }
  if (!RemoveDirectoryW(path.c_str()) && result == kErrorSuccess) result = LastError();
  return result;
}

long Win32FileSystem::ReadFile(const std::wstring& path, uint64_t maxBytes, std::vector<uint8_t>& out) {
  win32::KernelHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return LastError();
  out.clear();
  std::vector<uint8_t> buf(64 * 1024);
  while (out.size() < maxBytes) {
    DWORD want = static_cast<DWORD>(std::min<uint64_t>(buf.size(), maxBytes - out.size()));
    DWORD got = 0;
    if (!::ReadFile(file.get(), buf.data(), want, &got, nullptr)) return LastError();
    if (got == 0) break;
    out.insert(out.end(), buf.begin(), buf.begin() + got);
  }
  return kErrorSuccess;
}

long Win32FileSystem::WriteFile(const std::wstring& path, const std::vector<uint8_t>& bytes) {
  const DWORD existing = GetFileAttributesW(path.c_str());
  if (existing != INVALID_FILE_ATTRIBUTES && (existing & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))) {
    return kErrorAccessDenied;
  }
  std::wstring partial;
  HANDLE opened = INVALID_HANDLE_VALUE;
  const long created = CreatePartial(path, partial, [&](const std::wstring& name) -> long {
    opened = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    return opened != INVALID_HANDLE_VALUE ? kErrorSuccess : LastError();
  });
  if (created != kErrorSuccess) return created;
  {
    win32::KernelHandle file(opened);
    size_t done = 0;
    while (done < bytes.size()) {
      DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 20));
      DWORD wrote = 0;
      if (!::WriteFile(file.get(), bytes.data() + done, chunk, &wrote, nullptr) || wrote == 0) {
        long err = LastError();
        file.reset();
        DeleteFileW(partial.c_str());
        return err;
      }
      done += wrote;
    }
    if (!FlushFileBuffers(file.get())) {
      long err = LastError();
      file.reset();
      DeleteFileW(partial.c_str());
      return err;
    }
  }
  return Replace(partial, path);
}

long Win32FileSystem::DeleteFile(const std::wstring& path) {
  return DeleteFileW(path.c_str()) ? kErrorSuccess : LastError();
}

long Win32FileSystem::SetLastWriteTime(const std::wstring& path, uint64_t fileTime) {
  win32::KernelHandle file(CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file) return LastError();
  FILETIME ft;
  ft.dwLowDateTime = static_cast<DWORD>(fileTime & 0xFFFFFFFF);
  ft.dwHighDateTime = static_cast<DWORD>(fileTime >> 32);
  return SetFileTime(file.get(), nullptr, nullptr, &ft) ? kErrorSuccess : LastError();
}

}  // namespace zel
