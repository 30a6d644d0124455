#include "platform/posix/file_system_posix.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <utility>
#include <vector>

#include "common/text.h"
#include "platform/posix/dos_attributes.h"
#include "platform/posix/file_copy.h"
#include "platform/posix/host_file.h"
#include "platform/posix/posix_errors.h"

namespace zel {
namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool HasDrive(const std::wstring& path) {
  return path.size() >= 2 && path[1] == L':' && std::iswalpha(static_cast<wint_t>(path[0]));
}

// `path` in UTF-8 with the host's separators, added to the end of `out`.
void AppendHostForm(std::wstring_view path, std::string& out) {
  const size_t from = out.size();
  AppendUtf8(path, out);
  for (size_t i = from; i < out.size(); ++i) {
    if (out[i] == '\\') out[i] = '/';
  }
}

bool HasWildcard(const std::wstring& s) { return s.find_first_of(L"*?") != std::wstring::npos; }

// Matches the system's way: * any run, ? one character, without regard to case;
// "*.*" is every name.
bool WildcardMatch(const std::wstring& pattern, const std::wstring& name) {
  if (pattern == L"*" || pattern == L"*.*") return true;
  size_t p = 0, n = 0, star = std::wstring::npos, mark = 0;
  auto same = [](wchar_t a, wchar_t b) {
    return std::towupper(static_cast<wint_t>(a)) == std::towupper(static_cast<wint_t>(b));
  };
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == L'?' || same(pattern[p], name[n]))) {
      ++p;
      ++n;
    } else if (p < pattern.size() && pattern[p] == L'*') {
      star = p++;
      mark = n;
    } else if (star != std::wstring::npos) {
      p = star + 1;
      n = ++mark;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == L'*') ++p;
  return p == pattern.size();
}

// The entry of a file with its stat data; hidden and system are looked up in
// the file's extended attribute only when they are wanted.
void FillFindData(const std::string& hostPath, const struct stat& st, const std::wstring& name,
                  FindAttributes wanted, FindData& out) {
  out.attributes = wanted == FindAttributes::kAll ? DosAttributesAt(hostPath.c_str(), st) : DosAttributesOfMode(st);
  out.creationTime = FileTimeOf(st.st_ctim);
  out.lastAccessTime = FileTimeOf(st.st_atim);
  out.lastWriteTime = FileTimeOf(st.st_mtim);
  out.size = S_ISDIR(st.st_mode) ? 0 : static_cast<uint64_t>(st.st_size);
  out.name = name;
}

// The entries of one open directory, read in blocks straight from the
// kernel. The directory's own status, taken when it is opened, serves as
// the "." entry; without the dot entries it is not taken.
class PosixFindHandle : public FindHandle {
 public:
  PosixFindHandle(UniqueFd dir, const struct stat& self, std::string hostDir, std::wstring pattern, bool withoutDots,
                  FindAttributes wanted)
      : dir_(std::move(dir)), self_(self), hostDir_(std::move(hostDir)), pattern_(std::move(pattern)),
        withoutDots_(withoutDots), wanted_(wanted), block_(new char[kBlockBytes]) {}

  long Next(FindData& out) override {
    for (;;) {
      if (at_ == filled_) {
        const ssize_t n = getdents64(dir_.Get(), block_.get(), kBlockBytes);
        if (n < 0) return SystemErrorFromErrno(errno);
        if (n == 0) return kErrorNoMoreFiles;
        at_ = 0;
        filled_ = static_cast<size_t>(n);
      }
      const auto* e = reinterpret_cast<const struct dirent64*>(block_.get() + at_);
      at_ += e->d_reclen;
      const char* name = e->d_name;
      const bool self = std::strcmp(name, ".") == 0;
      if (withoutDots_ && (self || std::strcmp(name, "..") == 0)) continue;
      const std::wstring wide = Utf8ToWide(name);
      if (!WildcardMatch(pattern_, wide)) continue;
      struct stat st = self_;
      // Links are followed as the system's drive mapping does; a dangling one is left out.
      if (!self && fstatat(dir_.Get(), name, &st, 0) != 0) continue;
      FillFindData(wanted_ == FindAttributes::kAll ? hostDir_ + "/" + name : std::string(), st, wide, wanted_, out);
      return kErrorSuccess;
    }
  }

 private:
  static constexpr size_t kBlockBytes = 32768;
  UniqueFd dir_;
  struct stat self_;
  std::string hostDir_;
  std::wstring pattern_;
  bool withoutDots_;
  FindAttributes wanted_;
  std::unique_ptr<char[]> block_;
  size_t at_ = 0, filled_ = 0;
};

// Removes every entry of the open directory `dir`, what is below its
// directories first; links are removed, never followed. The sizes of the
// files removed are added to `bytes`. 0 or the errno of the first failure.
int RemoveEntriesBelow(int dir, uint64_t& bytes) {
  std::vector<std::pair<std::string, bool>> entries;  // name, is a directory
  {
    const int copy = dup(dir);
    DIR* d = copy >= 0 ? fdopendir(copy) : nullptr;
    if (d == nullptr) {
      const int err = errno;
      if (copy >= 0) close(copy);
      return err;
    }
    while (const struct dirent* e = readdir(d)) {
      if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
      bool directory = e->d_type == DT_DIR;
      struct stat st;
      if (e->d_type == DT_UNKNOWN && fstatat(dir, e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
        directory = S_ISDIR(st.st_mode);
      }
      entries.emplace_back(e->d_name, directory);
    }
    closedir(d);
  }
  int first = 0;
  for (const auto& [name, directory] : entries) {
    int err = 0;
    if (directory) {
      const UniqueFd sub(openat(dir, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
      err = sub.Valid() ? RemoveEntriesBelow(sub.Get(), bytes) : errno;
      if (unlinkat(dir, name.c_str(), AT_REMOVEDIR) != 0 && err == 0) err = errno;
    } else {
      struct stat st;
      const bool sized = fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode);
      if (unlinkat(dir, name.c_str(), 0) != 0) {
        err = errno;
      } else if (sized) {
        bytes += static_cast<uint64_t>(st.st_size);
      }
    }
    if (first == 0) first = err;
  }
  return first;
}

// A handle that has given out its one entry.
class SingleFindHandle : public FindHandle {
 public:
  long Next(FindData&) override { return kErrorNoMoreFiles; }
};

}  // namespace

PosixFileSystem::PosixFileSystem(std::map<wchar_t, std::string> drives) {
  for (auto& [letter, dir] : drives) {
    std::string d = dir;
    while (d.size() > 1 && d.back() == '/') d.pop_back();
    drives_[static_cast<wchar_t>(std::towupper(static_cast<wint_t>(letter)))] = d;
  }
}

wchar_t PosixFileSystem::DriveOf(const std::wstring& path) {
  return HasDrive(path) ? static_cast<wchar_t>(std::towupper(static_cast<wint_t>(path[0]))) : 0;
}

bool PosixFileSystem::HostPath(const std::wstring& path, std::string& out) const {
  out.clear();
  if (!HasDrive(path)) {
    AppendHostForm(path, out);
    return true;
  }
  auto it = drives_.find(DriveOf(path));
  if (it == drives_.end()) return false;
  size_t rest = 2;
  while (rest < path.size() && IsSeparator(path[rest])) ++rest;
  // Made in one piece: this runs twice for every file a copy touches.
  out.reserve(it->second.size() + 1 + 3 * (path.size() - rest));
  out += it->second;
  if (rest == path.size()) return true;
  if (out != "/") out += '/';
  AppendHostForm(std::wstring_view(path).substr(rest), out);
  return true;
}

void PosixFileSystem::SetFreeSpaceLimit(wchar_t letter, uint64_t bytes) {
  SetFreeSpaceLimit(letter, [bytes] { return bytes; });
}

void PosixFileSystem::SetFreeSpaceLimit(wchar_t letter, std::function<uint64_t()> freeBytes) {
  std::lock_guard<std::mutex> lock(limitsMutex_);
  freeLimits_[static_cast<wchar_t>(std::towupper(static_cast<wint_t>(letter)))] = FreeSpace{std::move(freeBytes), 0};
}

uint64_t* PosixFileSystem::FreeBytesOf(const std::wstring& path) {
  auto limit = freeLimits_.find(DriveOf(path));
  if (limit == freeLimits_.end()) return nullptr;
  FreeSpace& space = limit->second;
  if (space.count) {
    space.bytes = space.count();
    space.count = nullptr;
  }
  return &space.bytes;
}

std::unique_ptr<FindHandle> PosixFileSystem::FindFirst(const std::wstring& pattern, FindData& first, long& error,
                                                       FindAttributes wanted, DotEntries dots) {
  size_t cut = pattern.find_last_of(L"\\/");
  std::wstring dir, last;
  if (cut != std::wstring::npos) {
    dir = pattern.substr(0, cut + 1);
    last = pattern.substr(cut + 1);
  } else if (HasDrive(pattern)) {
    dir = pattern.substr(0, 2);
    last = pattern.substr(2);
  } else {
    dir = L".";
    last = pattern;
  }

  if (!HasWildcard(last)) {
    std::string host;
    struct stat st;
    if (last.empty() || !HostPath(pattern, host)) {
      error = kErrorPathNotFound;
      return nullptr;
    }
    if (stat(host.c_str(), &st) != 0) {
      error = errno == ENOENT ? kErrorFileNotFound : kErrorPathNotFound;
      return nullptr;
    }
    FillFindData(host, st, last, wanted, first);
    error = kErrorSuccess;
    return std::make_unique<SingleFindHandle>();
  }

  std::string hostDir;
  if (!HostPath(dir, hostDir)) {
    error = kErrorPathNotFound;
    return nullptr;
  }
  while (hostDir.size() > 1 && hostDir.back() == '/') hostDir.pop_back();
  // A drive's root has no "." and ".." entries, as on the system.
  const bool driveRoot = HasDrive(dir) && (dir.size() == 2 || (dir.size() == 3 && IsSeparator(dir[2])));
  const bool withoutDots = driveRoot || dots == DotEntries::kLeftOut;
  UniqueFd d(open(hostDir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  struct stat self {};
  if (!d.Valid() || (!withoutDots && fstat(d.Get(), &self) != 0)) {
    error = errno == EACCES ? kErrorAccessDenied : kErrorPathNotFound;
    return nullptr;
  }
  auto handle = std::make_unique<PosixFindHandle>(std::move(d), self, hostDir, last, withoutDots, wanted);
  error = handle->Next(first);
  if (error == kErrorNoMoreFiles) error = kErrorFileNotFound;
  if (error != kErrorSuccess) return nullptr;
  return handle;
}

uint32_t PosixFileSystem::GetAttributes(const std::wstring& path) {
  std::string host;
  struct stat st;
  if (!HostPath(path, host) || stat(host.c_str(), &st) != 0) return kInvalidAttributes;
  return DosAttributesAt(host.c_str(), st);
}

long PosixFileSystem::SetAttributes(const std::wstring& path, uint32_t attributes) {
  std::string host;
  if (!HostPath(path, host)) return kErrorPathNotFound;
  return SetDosAttributes(host.c_str(), attributes);
}

long PosixFileSystem::CopyFile(const std::wstring& from, const std::wstring& to, bool failIfExists,
                               TargetName naming) {
  std::string hostFrom, hostTo;
  if (!HostPath(from, hostFrom) || !HostPath(to, hostTo)) return kErrorPathNotFound;
  // The volume's space is held only while it is taken and given back, so
  // that copies to one volume can run at once.
  uint64_t* freeBytes = nullptr;
  {
    std::lock_guard<std::mutex> lock(limitsMutex_);
    freeBytes = FreeBytesOf(to);
  }
  const bool atOnce = naming == TargetName::kAtOnce;
  if (freeBytes == nullptr) return CopyHostFile(hostFrom, hostTo, failIfExists, nullptr, atOnce);
  VolumeSpace space{limitsMutex_, *freeBytes};
  return CopyHostFile(hostFrom, hostTo, failIfExists, &space, atOnce);
}

long PosixFileSystem::CreateDirectory(const std::wstring& path) {
  std::string host;
  if (!HostPath(path, host)) return kErrorPathNotFound;
  if (mkdir(host.c_str(), 0777) == 0) return kErrorSuccess;
  if (errno == EEXIST) return kErrorAlreadyExists;
  if (errno == ENOENT) return kErrorPathNotFound;
  return SystemErrorFromErrno(errno);
}

long PosixFileSystem::MoveDirectory(const std::wstring& from, const std::wstring& to) {
  std::string hostFrom, hostTo;
  if (!HostPath(from, hostFrom) || !HostPath(to, hostTo)) return kErrorPathNotFound;
  if (renameat2(AT_FDCWD, hostFrom.c_str(), AT_FDCWD, hostTo.c_str(), RENAME_NOREPLACE) == 0) return kErrorSuccess;
  if (errno == EEXIST) return kErrorAlreadyExists;
  if (errno != EINVAL && errno != ENOSYS) return SystemErrorFromErrno(errno);
  // A file system that cannot rename without replacing: the name is looked
  // at first, and a rename never puts a directory over a file or over a
  // directory that is not empty.
  struct stat st;
  if (lstat(hostTo.c_str(), &st) == 0) return kErrorAlreadyExists;
  return rename(hostFrom.c_str(), hostTo.c_str()) == 0 ? kErrorSuccess : SystemErrorFromErrno(errno);
}

long PosixFileSystem::RemoveTree(const std::wstring& path) {
  std::string host;
  if (!HostPath(path, host)) return kErrorPathNotFound;
  const UniqueFd dir(open(host.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (!dir.Valid()) {
    // A link to a directory is removed itself.
    if (errno != ELOOP && errno != ENOTDIR) return SystemErrorFromErrno(errno);
    return unlink(host.c_str()) == 0 ? kErrorSuccess : SystemErrorFromErrno(errno);
  }
  uint64_t bytes = 0;
  const int err = RemoveEntriesBelow(dir.Get(), bytes);
  GiveBack(path, bytes);
  if (rmdir(host.c_str()) != 0 && err == 0) return SystemErrorFromErrno(errno);
  return err == 0 ? kErrorSuccess : SystemErrorFromErrno(err);
}

long PosixFileSystem::ReadFile(const std::wstring& path, uint64_t maxBytes, std::vector<uint8_t>& out) {
  std::string host;
  if (!HostPath(path, host)) return kErrorPathNotFound;
  UniqueFd fd(open(host.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.Valid()) return SystemErrorFromErrno(errno);
  out.clear();
  if (const int error = ReadToEnd(fd.Get(), out, maxBytes); error != 0) {
    out.clear();
    return SystemErrorFromErrno(error);
  }
  return kErrorSuccess;
}

long PosixFileSystem::WriteFile(const std::wstring& path, const std::vector<uint8_t>& bytes) {
  std::string host;
  if (!HostPath(path, host)) return kErrorPathNotFound;
  struct stat old;
  const bool replacing = stat(host.c_str(), &old) == 0;
  if (replacing && (S_ISDIR(old.st_mode) || (old.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)) {
    return kErrorAccessDenied;
  }
  std::lock_guard<std::mutex> lock(limitsMutex_);
  uint64_t* freeBytes = FreeBytesOf(path);
  if (freeBytes != nullptr && bytes.size() > *freeBytes) return kErrorDiskFull;

  TempFile tmp(host);
  if (!tmp.Valid()) return tmp.Error() == ENOENT ? kErrorPathNotFound : SystemErrorFromErrno(tmp.Error());
  if (int err = WriteAll(tmp.Fd(), bytes.data(), bytes.size())) return SystemErrorFromErrno(err);
  const mode_t mask = umask(0);
  umask(mask);
  if (fchmod(tmp.Fd(), 0666 & ~mask) != 0 || fsync(tmp.Fd()) != 0) return SystemErrorFromErrno(errno);
  if (int err = tmp.Commit()) return SystemErrorFromErrno(err);
  if (freeBytes != nullptr) {
    *freeBytes -= bytes.size();
    if (replacing) *freeBytes += static_cast<uint64_t>(old.st_size);
  }
  return kErrorSuccess;
}

long PosixFileSystem::DeleteFile(const std::wstring& path) {
  std::string host;
  struct stat st;
  if (!HostPath(path, host)) return kErrorPathNotFound;
  if (stat(host.c_str(), &st) != 0) return SystemErrorFromErrno(errno);
  if (S_ISDIR(st.st_mode) || (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return kErrorAccessDenied;
  if (unlink(host.c_str()) != 0) return SystemErrorFromErrno(errno);
  GiveBack(path, static_cast<uint64_t>(st.st_size));
  return kErrorSuccess;
}

void PosixFileSystem::GiveBack(const std::wstring& path, uint64_t bytes) {
  std::lock_guard<std::mutex> lock(limitsMutex_);
  // A volume whose files are not counted yet will count without them.
  if (auto limit = freeLimits_.find(DriveOf(path)); limit != freeLimits_.end() && !limit->second.count) {
    limit->second.bytes += bytes;
  }
}

long PosixFileSystem::SetLastWriteTime(const std::wstring& path, uint64_t fileTime) {
  std::string host;
  if (!HostPath(path, host)) return kErrorPathNotFound;
  struct timespec times[2];
  times[0].tv_sec = 0;
  times[0].tv_nsec = UTIME_OMIT;
  times[1] = TimespecOf(fileTime);
  if (utimensat(AT_FDCWD, host.c_str(), times, 0) != 0) return SystemErrorFromErrno(errno);
  return kErrorSuccess;
}

std::wstring PosixFileSystem::Location(const std::wstring& path) {
  std::string host;
  if (!HostPath(path, host) || host.empty()) return path;
  // The part that does not exist yet is taken as written below the nearest
  // parent that does.
  std::string rest;
  while (true) {
    if (std::string out; RealPath(host, out)) {
      if (!rest.empty()) out += (out == "/" ? "" : "/") + rest;
      return Utf8ToWide(out);
    }
    const size_t slash = host.find_last_of('/');
    if (host == ".") return path;
    if (slash == std::string::npos) {
      rest = rest.empty() ? host : host + "/" + rest;
      host = ".";
    } else if (slash == 0) {
      if (host == "/") return path;
      rest = rest.empty() ? host.substr(1) : host.substr(1) + "/" + rest;
      host = "/";
    } else {
      const std::string name = host.substr(slash + 1);
      if (!name.empty()) rest = rest.empty() ? name : name + "/" + rest;
      host.resize(slash);
    }
  }
}

}  // namespace zel
