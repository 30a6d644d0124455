// Small helpers over host files shared by the POSIX adapters.
#pragma once
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>

namespace zel {

// An open descriptor, closed when the owner goes away.
class UniqueFd {
 public:
  explicit UniqueFd(int fd = -1) : fd_(fd) {}
  ~UniqueFd() { Reset(); }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  UniqueFd(UniqueFd&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.fd_, -1));
    return *this;
  }
  int Get() const { return fd_; }
  bool Valid() const { return fd_ >= 0; }
  // Closes now; the errno of a failed close, else 0.
  int Close();
  void Reset(int fd = -1) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
  }

 private:
  int fd_;
};

// A new file beside `target` under a partial name (common/partial_name.h),
// removed again unless Commit puts it in the target's place. It is made with
// `mode` as the process's mask (and a directory's default access list) let
// it through.
//
// A file for a target that is not to be replaced may be kNameless: where
// the file system makes files without a name (O_TMPFILE), it has none until
// Commit links it in under the target's name, so a process killed before
// then leaves nothing behind and the directory changes once, not twice.
// Elsewhere it is made under a partial name as any other.
//
// A target in a directory that is itself still under a partial name, which
// nobody takes for a copy, may be kOwnName: the file is made under the
// target's name at once (never over a file there: EEXIST), and removed again
// unless committed. A killed process leaves it inside that directory.
class TempFile {
 public:
  enum Kind { kPartialName, kNameless, kOwnName };
  explicit TempFile(const std::string& target, mode_t mode = 0600, Kind kind = kPartialName);
  ~TempFile();
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  int Fd() const { return fd_.Get(); }
  bool Valid() const { return fd_.Valid(); }
  int Error() const { return error_; }  // errno of the creation
  bool Nameless() const { return nameless_; }
  // Closes the file and renames it to the target: over an existing file when
  // `replace`, otherwise only while the name is free (EEXIST when it is not).
  // A nameless file is linked in (never over a file) by its handle, or where
  // the kernel refuses that, by the handle's name under /proc, and then
  // closed; where this process cannot link it either way (no /proc) the
  // file is dropped with ENOLINK, and later nameless files are made under
  // partial names.
  // 0 or an errno.
  int Commit(bool replace = true);

 private:
  bool MakeNameless(const std::string& dir, mode_t mode);

  std::string target_;
  std::string path_;
  UniqueFd fd_;
  int error_ = 0;
  bool nameless_ = false;
  bool ownName_ = false;
  bool committed_ = false;
};

// FILETIME (100 ns units since 1601) and host times.
uint64_t FileTimeOf(const struct timespec& ts);
struct timespec TimespecOf(uint64_t fileTime);

// A file time in nanoseconds, and the time now on the clock file times come from.
inline int64_t Nanoseconds(const struct timespec& t) {
  return static_cast<int64_t>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}
inline int64_t FileClockNow() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now().time_since_epoch())
      .count();
}

// Which version of a file one look at it saw: a write changes its size or
// times, a replacement its inode. File times come from a clock that ticks
// every few milliseconds, so two writes of the same size within one tick look
// alike: a version is trusted to tell changes apart only once both its times
// lie several ticks back.
struct FileVersion {
  static constexpr int64_t kSettleNs = 20000000;  // 20 ms

  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  int64_t modified = 0, changed = 0;  // nanoseconds
  bool operator==(const FileVersion&) const = default;

  static FileVersion Of(const struct stat& st) {
    return {st.st_dev, st.st_ino, st.st_size, Nanoseconds(st.st_mtim), Nanoseconds(st.st_ctim)};
  }
  bool Settled(int64_t now = FileClockNow()) const { return modified + kSettleNs < now && changed + kSettleNs < now; }
};

// Appends what is left of the open file `fd`, at most `maxBytes`, to `out` (a
// string or a byte vector), read straight into it. A regular file of known
// size is asked for a byte more than that size, so that one read meets its
// end: it reads short only there. Files of no stated size (an empty file, a
// pipe, a file of /proc) are read 4 KiB first, then in 64 KiB steps, until a
// read gives nothing. 0, or the errno of a failed read (what was read stays
// in `out`). A caller that has just looked at the file by its name passes
// that status as `known`, and the file is not asked again: should the name
// have been given to another file since, the read still goes to that
// file's end, only in more steps.
template <class Buffer>
int ReadToEnd(int fd, Buffer& out, uint64_t maxBytes = UINT64_MAX, const struct stat* known = nullptr) {
  constexpr uint64_t kStep = 64 * 1024;
  struct stat st;
  if (known != nullptr) st = *known;
  const bool sized = (known != nullptr || fstat(fd, &st) == 0) && S_ISREG(st.st_mode) && st.st_size > 0;
  uint64_t step = sized ? static_cast<uint64_t>(st.st_size) + 1 : 4096;
  for (uint64_t got = 0; got < maxBytes;) {
    const size_t had = out.size();
    const size_t want = static_cast<size_t>(std::min(step, maxBytes - got));
    out.resize(had + want);
    const ssize_t n = read(fd, out.data() + had, want);
    const int error = errno;
    out.resize(had + (n > 0 ? static_cast<size_t>(n) : 0));
    if (n < 0) {
      if (error == EINTR) continue;
      return error;
    }
    if (n == 0 || (sized && static_cast<size_t>(n) < want)) break;
    got += static_cast<uint64_t>(n);
    step = kStep;
  }
  return 0;
}

// The directory part of a path: "." for a bare name, "/" for the root's files.
std::string DirectoryOf(const std::string& path);

// `path` with every link resolved, as realpath gives it; false when it does
// not lead to a file. On Linux the kernel names the file an open handle
// leads to, in three calls however deep the path; realpath asks after each
// of its parts in turn.
bool RealPath(const std::string& path, std::string& out);

// Writes all bytes; 0 or an errno.
int WriteAll(int fd, const uint8_t* data, size_t size);

}  // namespace zel
