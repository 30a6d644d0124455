// Small helpers over host files shared by the POSIX adapters.
#pragma once
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <memory>
#include <string>

namespace zel {

// An open descriptor, closed when the owner goes away.
class UniqueFd {
 public:
  explicit UniqueFd(int fd = -1) : fd_(fd) {}
  ~UniqueFd() { Reset(); }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
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
// removed again unless Commit puts it in the target's place.
class TempFile {
 public:
  explicit TempFile(const std::string& target);
  ~TempFile();
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  int Fd() const { return fd_.Get(); }
  bool Valid() const { return fd_.Valid(); }
  int Error() const { return error_; }  // errno of the creation
  const std::string& Path() const { return path_; }
  // Closes the file and renames it to the target: over an existing file when
  // `replace`, otherwise only while the name is free (EEXIST when it is not).
  // 0 or an errno.
  int Commit(bool replace = true);

 private:
  std::string target_;
  std::string path_;
  UniqueFd fd_;
  int error_ = 0;
  bool committed_ = false;
};

// FILETIME (100 ns units since 1601) and host times.
uint64_t FileTimeOf(const struct timespec& ts);
struct timespec TimespecOf(uint64_t fileTime);

// Appends what is left of the open file `fd`, at most `maxBytes`, to `out` (a
// string or a byte vector), read straight into it. A regular file of known
// size is asked for a byte more than that size, so that one read meets its
// end: it reads short only there. Files of no stated size (an empty file, a
// pipe, a file of /proc) are read 4 KiB first, then in 64 KiB steps, until a
// read gives nothing. 0, or the errno of a failed read (what was read stays
// in `out`).
template <class Buffer>
int ReadToEnd(int fd, Buffer& out, uint64_t maxBytes = UINT64_MAX) {
  constexpr uint64_t kStep = 64 * 1024;
  struct stat st;
  const bool sized = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0;
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

// Writes all bytes; 0 or an errno.
int WriteAll(int fd, const uint8_t* data, size_t size);

}  // namespace zel
