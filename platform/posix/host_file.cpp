#include "platform/posix/host_file.h"

#include <fcntl.h>

#include <stdio.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "common/partial_name.h"

namespace zel {
namespace {

constexpr int64_t kSecondsFrom1601To1970 = 11644473600LL;
constexpr uint64_t kTicksPerSecond = 10000000ULL;

}  // namespace

std::string DirectoryOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

int UniqueFd::Close() {
  if (fd_ < 0) return 0;
  int r = ::close(fd_);
  fd_ = -1;
  return r == 0 ? 0 : errno;
}

namespace {

// Cleared once this process finds that its files cannot be made or linked
// in without a name; from then on every new file has a partial name.
std::atomic<bool> namelessWorks{true};

// Cleared once the kernel refuses to link a file in by its handle alone
// (kernels before 6.10 allow that only to a privileged process); from then
// on a file is linked in by its handle's name under /proc.
std::atomic<bool> handleLinks{true};

// Links the open file `fd` in under `target`, never over a file there; 0 or
// the errno.
int LinkIn(int fd, const std::string& target) {
  if (handleLinks.load(std::memory_order_relaxed)) {
    if (::linkat(fd, "", AT_FDCWD, target.c_str(), AT_EMPTY_PATH) == 0) return 0;
    const int err = errno;
    // Refused for the handle alone: told by these, which the link by name
    // then meets again if it is the target's.
    if (err != ENOENT && err != EPERM && err != EINVAL) return err;
    handleLinks = false;
  }
  // Linked by its handle's name under /proc, which needs no privilege.
  const std::string handle = "/proc/self/fd/" + std::to_string(fd);
  return ::linkat(AT_FDCWD, handle.c_str(), AT_FDCWD, target.c_str(), AT_SYMLINK_FOLLOW) == 0 ? 0 : errno;
}

}  // namespace

bool TempFile::MakeNameless(const std::string& dir, mode_t mode) {
  if (!namelessWorks.load(std::memory_order_relaxed)) return false;
  const int fd = ::open(dir.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
  if (fd >= 0) {
    fd_.Reset(fd);
    nameless_ = true;
    return true;
  }
  // A file system without nameless files (or a kernel from before them,
  // which takes the flag for a directory) is told by these; any other
  // failure is the directory's and a named file meets it as well.
  if (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL) namelessWorks = false;
  return false;
}

TempFile::TempFile(const std::string& target, mode_t mode, Kind kind) : target_(target) {
  if (kind == kOwnName) {
    const int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd < 0) {
      error_ = errno;
      return;
    }
    path_ = target;
    fd_.Reset(fd);
    ownName_ = true;
    return;
  }
  std::string path = DirectoryOf(target);
  if (kind == kNameless && MakeNameless(path, mode)) return;
  // Numbers differ between processes and between the files of one process;
  // a name that is taken (by another writer or a leftover) is passed over.
  static std::atomic<uint32_t> next{0};
  static const uint32_t base = static_cast<uint32_t>(getpid()) * 40503u;
  path.reserve(path.size() + 1 + kPartialNameLength);
  path += '/';
  const size_t stem = path.size();
  error_ = EEXIST;
  for (int attempt = 0; attempt < 64 && error_ == EEXIST; ++attempt) {
    path.resize(stem);
    AppendPartialName(base + next++, path);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0) {
      path_ = std::move(path);
      fd_.Reset(fd);
      error_ = 0;
    } else {
      error_ = errno;
    }
  }
}

TempFile::~TempFile() {
  fd_.Reset();
  if (!committed_ && !path_.empty()) ::unlink(path_.c_str());
}

int TempFile::Commit(bool replace) {
  if (nameless_) {
    if (!fd_.Valid()) return EBADF;
    if (const int err = LinkIn(fd_.Get(), target_); err != 0) {
      if (err == EEXIST) return EEXIST;
      fd_.Reset();
      if (err == ENOENT || err == EPERM || err == EXDEV || err == EOPNOTSUPP) {
        // Most likely the handle's name cannot be followed here (no /proc).
        // The copy is made again under a name, which meets a directory that
        // has gone meanwhile the way any other copy does.
        namelessWorks = false;
        return ENOLINK;
      }
      return err;
    }
    committed_ = true;
    if (int err = fd_.Close()) {
      ::unlink(target_.c_str());
      return err;
    }
    return 0;
  }
  if (int err = fd_.Close()) return err;
  if (ownName_) {
    committed_ = true;
    return 0;
  }
  if (replace) {
    if (::rename(path_.c_str(), target_.c_str()) != 0) return errno;
  } else if (::renameat2(AT_FDCWD, path_.c_str(), AT_FDCWD, target_.c_str(), RENAME_NOREPLACE) != 0) {
    if (errno != EINVAL && errno != ENOSYS) return errno;
    // A file system that cannot rename without replacing: a hard link takes
    // the name only while it is free; without links the name is looked at.
    if (::link(path_.c_str(), target_.c_str()) == 0) {
      ::unlink(path_.c_str());
    } else if (errno == EEXIST) {
      return EEXIST;
    } else {
      struct stat st;
      if (::lstat(target_.c_str(), &st) == 0) return EEXIST;
      if (::rename(path_.c_str(), target_.c_str()) != 0) return errno;
    }
  }
  committed_ = true;
  return 0;
}

uint64_t FileTimeOf(const struct timespec& ts) {
  int64_t seconds = static_cast<int64_t>(ts.tv_sec) + kSecondsFrom1601To1970;
  if (seconds < 0) return 0;
  return static_cast<uint64_t>(seconds) * kTicksPerSecond + static_cast<uint64_t>(ts.tv_nsec) / 100;
}

struct timespec TimespecOf(uint64_t fileTime) {
  struct timespec ts{};
  ts.tv_sec = static_cast<time_t>(static_cast<int64_t>(fileTime / kTicksPerSecond) - kSecondsFrom1601To1970);
  ts.tv_nsec = static_cast<long>((fileTime % kTicksPerSecond) * 100);
  return ts;
}

int WriteAll(int fd, const uint8_t* data, size_t size) {
  while (size > 0) {
    ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    data += n;
    size -= static_cast<size_t>(n);
  }
  return 0;
}

bool RealPath(const std::string& path, std::string& out) {
#ifdef __linux__
  const UniqueFd fd(::open(path.c_str(), O_PATH | O_CLOEXEC));
  if (!fd.Valid()) return false;
  char buf[4096];
  const std::string link = "/proc/self/fd/" + std::to_string(fd.Get());
  const ssize_t n = ::readlink(link.c_str(), buf, sizeof buf);
  static constexpr std::string_view kDeleted = " (deleted)";
  if (n > 0 && static_cast<size_t>(n) < sizeof buf && buf[0] == '/' &&
      !std::string_view(buf, static_cast<size_t>(n)).ends_with(kDeleted)) {
    out.assign(buf, static_cast<size_t>(n));
    return true;
  }
#endif
  char* real = ::realpath(path.c_str(), nullptr);
  if (real == nullptr) return false;
  out = real;
  std::free(real);
  return true;
}

}  // namespace zel
