#include "platform/posix/dos_attributes.h"

#include <sys/xattr.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "ports/file_system_port.h"
#include "platform/posix/posix_errors.h"

namespace zel {
namespace {

constexpr const char* kXattrName = "user.DOSATTRIB";
// Only hidden and system are stored; archive is always on for files, as Wine
// has it, so both builds see the same attributes on the same files.
constexpr uint32_t kStoredBits = kAttrHidden | kAttrSystem;

// Parses the leading "0x..." of the attribute's value.
bool ParseStored(const char* text, ssize_t n, uint32_t& bits) {
  if (n <= 2 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X')) return false;
  char buf[32];
  ssize_t len = n < 31 ? n : 31;
  for (ssize_t i = 0; i < len; ++i) buf[i] = text[i];
  buf[len] = 0;
  char* end = nullptr;
  unsigned long v = std::strtoul(buf + 2, &end, 16);
  if (end == buf + 2) return false;
  bits = static_cast<uint32_t>(v) & kStoredBits;
  return true;
}

}  // namespace

uint32_t DosAttributesOfMode(const struct stat& st) {
  uint32_t a = S_ISDIR(st.st_mode) ? kAttrDirectory : kAttrArchive;
  if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) a |= kAttrReadOnly;
  return a;
}

uint32_t DosAttributesOf(int fd, const struct stat& st) {
  char text[64];
  uint32_t bits = 0;
  ssize_t n = fgetxattr(fd, kXattrName, text, sizeof text);
  if (n > 0) ParseStored(text, n, bits);
  return DosAttributesOfMode(st) | bits;
}

uint32_t DosAttributesAt(const char* path, const struct stat& st) {
  char text[64];
  uint32_t bits = 0;
  ssize_t n = getxattr(path, kXattrName, text, sizeof text);
  if (n > 0) ParseStored(text, n, bits);
  return DosAttributesOfMode(st) | bits;
}

long SetDosAttributes(const char* path, uint32_t attributes) {
  struct stat st;
  if (stat(path, &st) != 0) return SystemErrorFromErrno(errno);

  const mode_t writeBits = S_IWUSR | S_IWGRP | S_IWOTH;
  const mode_t before = st.st_mode & 07777;
  mode_t mode = before;
  if (attributes & kAttrReadOnly) {
    mode &= ~writeBits;
  } else if ((mode & writeBits) == 0) {
    mode |= S_IWUSR;
  }
  // The extended attribute needs write access: it is set while the file is writable.
  if ((mode & writeBits) != 0 && mode != before && chmod(path, mode) != 0) return SystemErrorFromErrno(errno);

  long result = kErrorSuccess;
  const uint32_t wanted = attributes & kStoredBits;
  if (wanted != 0) {
    char value[16];
    int len = std::snprintf(value, sizeof value, "0x%x", static_cast<unsigned>(wanted));
    if (setxattr(path, kXattrName, value, static_cast<size_t>(len), 0) != 0) result = SystemErrorFromErrno(errno);
  } else if (removexattr(path, kXattrName) != 0 && errno != ENODATA && errno != ENOTSUP) {
    // None there, or a file system that keeps none: nothing to clear.
    result = SystemErrorFromErrno(errno);
  }

  if ((mode & writeBits) == 0 && mode != before && chmod(path, mode) != 0) return SystemErrorFromErrno(errno);
  return result;
}

void CopyDosAttributes(int fromFd, int toFd) {
  // Most files carry no extended attribute at all; the list says so without
  // a failed look for the one we keep.
  if (flistxattr(fromFd, nullptr, 0) == 0) return;
  char text[64];
  ssize_t n = fgetxattr(fromFd, kXattrName, text, sizeof text);
  if (n > 0) fsetxattr(toFd, kXattrName, text, static_cast<size_t>(n), 0);
}

}  // namespace zel
