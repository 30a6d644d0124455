#include "platform/posix/file_copy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "ports/file_system_port.h"
#include "platform/posix/dos_attributes.h"
#include "platform/posix/host_file.h"
#include "platform/posix/posix_errors.h"

namespace zel {
namespace {

constexpr size_t kBufferBytes = 1 << 20;
constexpr uint64_t kKernelChunk = 1ULL << 30;

// The kernel cannot copy between these files; reads and writes can.
bool KernelCopyRefused(int err) {
  return err == EXDEV || err == ENOSYS || err == EINVAL || err == EOPNOTSUPP;
}

// Up to `want` bytes through a buffer: the bytes read (and written), 0 at
// the end of `in`, or -1 with errno.
ssize_t CopyThroughBuffer(int in, int out, std::vector<uint8_t>& buf, size_t want) {
  if (buf.empty()) buf.resize(kBufferBytes);
  const ssize_t n = read(in, buf.data(), std::min(want, buf.size()));
  if (n <= 0) return n;
  if (int err = WriteAll(out, buf.data(), static_cast<size_t>(n))) {
    errno = err;
    return -1;
  }
  return n;
}

}  // namespace

ssize_t KernelCopyRange(int in, int out, size_t bytes) { return copy_file_range(in, nullptr, out, nullptr, bytes, 0); }

int CopyFileContents(int in, int out, uint64_t size, uint64_t room, KernelCopy kernelCopy) {
  const uint64_t fits = std::min(size, room);
  std::vector<uint8_t> buf;  // only once the kernel has refused
  bool kernel = true;
  uint64_t done = 0;
  while (done < fits) {
    const size_t want = static_cast<size_t>(std::min(fits - done, kKernelChunk));
    const ssize_t n = kernel ? kernelCopy(in, out, want) : CopyThroughBuffer(in, out, buf, want);
    if (n > 0) {
      done += static_cast<uint64_t>(n);
    } else if (n == 0) {
      // The kernel's end may be a file it cannot measure; a read tells.
      if (!kernel) return 0;  // the file has become shorter
      kernel = false;
    } else if (errno == EINTR) {
      continue;
    } else if (kernel && KernelCopyRefused(errno)) {
      kernel = false;
    } else {
      return errno;
    }
  }
  return size > room ? ENOSPC : 0;
}

namespace {

// The contents of `in` (whose status is `src`) written as a new file of
// `kind` for `to` and given its name; 0 or a system error code. `relink` is
// set when a nameless file could not be linked in and the copy is to be made
// again under a name.
long WriteCopy(int in, const struct stat& src, const std::string& to, TempFile::Kind kind, bool replacing,
               uint64_t room, bool& relink) {
  // Made with the source's mode where the process's mask lets it through
  // whole, so that it need not be set again; writable by its owner until the
  // attribute text is copied.
  const mode_t mode = src.st_mode & 07777;
  TempFile out(to, (mode & 07000) == 0 ? (mode | S_IWUSR) : 0600, kind);
  if (!out.Valid()) {
    if (out.Error() == ENOENT) return kErrorPathNotFound;
    return out.Error() == EEXIST && kind == TempFile::kOwnName ? kErrorFileExists : SystemErrorFromErrno(out.Error());
  }
  if (int err = CopyFileContents(in, out.Fd(), static_cast<uint64_t>(src.st_size), room)) {
    return SystemErrorFromErrno(err);
  }

  // Attribute text first: it needs write access, which a read-only mode takes away.
  CopyDosAttributes(in, out.Fd());
  struct stat made;
  if ((fstat(out.Fd(), &made) != 0 || (made.st_mode & 07777) != mode) && fchmod(out.Fd(), mode) != 0) {
    return SystemErrorFromErrno(errno);
  }
  const struct timespec times[2] = {src.st_atim, src.st_mtim};
  if (futimens(out.Fd(), times) != 0) return SystemErrorFromErrno(errno);
  const int err = out.Commit(replacing);
  relink = err == ENOLINK && out.Nameless();
  if (err == 0) return kErrorSuccess;
  return err == EEXIST ? kErrorFileExists : SystemErrorFromErrno(err);
}

}  // namespace

long CopyHostFile(const std::string& from, const std::string& to, bool failIfExists, VolumeSpace* space,
                  bool atOnce) {
  UniqueFd in(open(from.c_str(), O_RDONLY | O_CLOEXEC));
  if (!in.Valid()) return SystemErrorFromErrno(errno);
  struct stat src;
  if (fstat(in.Get(), &src) != 0) return SystemErrorFromErrno(errno);
  if (S_ISDIR(src.st_mode)) return kErrorAccessDenied;

  // New contents go under a partial name beside the target (or none) and
  // take the target's name only when whole, so neither a failed copy nor a
  // killed process leaves a piece under it, and an existing file stays as it
  // was. A copy that must not replace asks nothing of the target: the new
  // name is taken only while it is free (see TempFile::Commit).
  struct stat old;
  const bool replacing = !failIfExists && stat(to.c_str(), &old) == 0;
  if (replacing) {
    if (S_ISDIR(old.st_mode) || (old.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return kErrorAccessDenied;
    if (old.st_dev == src.st_dev && old.st_ino == src.st_ino) return kErrorSharingViolation;
  }
  const uint64_t size = static_cast<uint64_t>(src.st_size);
  const uint64_t room = space ? space->Take(size) : UINT64_MAX;
  // A target that is not replaced is made without a name where the file
  // system allows it, or under its own where nobody sees it yet.
  const TempFile::Kind kind = replacing ? TempFile::kPartialName : atOnce ? TempFile::kOwnName : TempFile::kNameless;
  bool relink = false;
  long result = WriteCopy(in.Get(), src, to, kind, replacing, room, relink);
  if (relink) {
    // Made again under a name, from the start of the source.
    result = lseek(in.Get(), 0, SEEK_SET) == 0
                 ? WriteCopy(in.Get(), src, to, TempFile::kPartialName, replacing, room, relink)
                 : SystemErrorFromErrno(errno);
  }
  if (space != nullptr) {
    if (result != kErrorSuccess) {
      space->Give(room);
    } else if (replacing) {
      space->Give(static_cast<uint64_t>(old.st_size));
    }
  }
  return result;
}

}  // namespace zel
