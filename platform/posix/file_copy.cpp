#include "platform/posix/file_copy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <vector>

#include "platform/file_system_port.h"
#include "platform/posix/dos_attributes.h"
#include "platform/posix/host_file.h"
#include "platform/posix/posix_errors.h"

namespace zel {
namespace {

constexpr size_t kChunk = 1 << 20;
constexpr long kErrorSharingViolation = 32;

// Reads and writes to the end of `in`, no more than `room` bytes: a file
// that does not fit fills the room and then fails as a full disk does.
int CopyContentsWithin(int in, int out, uint64_t room) {
  std::vector<uint8_t> buf(kChunk);
  for (;;) {
    ssize_t n = read(in, buf.data(), buf.size());
    if (n == 0) return 0;
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    size_t take = static_cast<size_t>(n);
    const bool full = take > room;
    if (full) take = static_cast<size_t>(room);
    if (int err = WriteAll(out, buf.data(), take)) return err;
    room -= take;
    if (full) return ENOSPC;
  }
}

// Copies the `size` bytes the file had when it was opened, in the kernel
// where it can; 0 or an errno.
int CopyContents(int in, int out, uint64_t size) {
  uint64_t done = 0;
  while (done < size) {
    ssize_t n = copy_file_range(in, nullptr, out, nullptr, kChunk * 64, 0);
    if (n > 0) {
      done += static_cast<uint64_t>(n);
      continue;
    }
    if (n == 0) return 0;
    if (errno == EINTR) continue;
    if (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP) break;
    return errno;
  }
  if (done >= size) return 0;
  // Another file system or an old kernel: plain reads and writes from where
  // the kernel copy stopped.
  return CopyContentsWithin(in, out, UINT64_MAX);
}

}  // namespace

long CopyHostFile(const std::string& from, const std::string& to, bool failIfExists, uint64_t* freeBytes) {
  UniqueFd in(open(from.c_str(), O_RDONLY | O_CLOEXEC));
  if (!in.Valid()) return SystemErrorFromErrno(errno);
  struct stat src;
  if (fstat(in.Get(), &src) != 0) return SystemErrorFromErrno(errno);
  if (S_ISDIR(src.st_mode)) return kErrorAccessDenied;

  struct stat old;
  const bool replacing = stat(to.c_str(), &old) == 0;
  if (replacing) {
    if (failIfExists) return kErrorFileExists;
    if (S_ISDIR(old.st_mode) || (old.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return kErrorAccessDenied;
    if (old.st_dev == src.st_dev && old.st_ino == src.st_ino) return kErrorSharingViolation;
  }

  // A new target is written in place and removed again if the copy fails; an
  // existing one is replaced only by whole new contents, so a failed copy
  // leaves the earlier file as it was.
  NewFile out(to, replacing);
  if (!out.Valid()) return out.Error() == ENOENT ? kErrorPathNotFound : SystemErrorFromErrno(out.Error());
  int err = freeBytes ? CopyContentsWithin(in.Get(), out.Fd(), *freeBytes) : CopyContents(in.Get(), out.Fd(), static_cast<uint64_t>(src.st_size));
  if (err) return SystemErrorFromErrno(err);

  // Attribute text first: it needs write access, which a read-only mode takes away.
  CopyDosAttributes(in.Get(), out.Fd());
  if (fchmod(out.Fd(), src.st_mode & 07777) != 0) return SystemErrorFromErrno(errno);
  const struct timespec times[2] = {src.st_atim, src.st_mtim};
  if (futimens(out.Fd(), times) != 0) return SystemErrorFromErrno(errno);
  if ((err = out.Commit()) != 0) return SystemErrorFromErrno(err);

  if (freeBytes) {
    const uint64_t written = static_cast<uint64_t>(src.st_size);
    *freeBytes -= written < *freeBytes ? written : *freeBytes;
    if (replacing) *freeBytes += static_cast<uint64_t>(old.st_size);
  }
  return kErrorSuccess;
}

}  // namespace zel
