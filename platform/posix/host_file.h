// Small helpers over host files shared by the POSIX adapters.
#pragma once
#include <sys/stat.h>
#include <unistd.h>

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

// A new file beside `target` under a hidden temporary name, removed again
// unless Commit renames it over the target.
class TempFile {
 public:
  explicit TempFile(const std::string& target);
  ~TempFile();
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  int Fd() const { return fd_.Get(); }
  bool Valid() const { return fd_.Valid(); }
  int Error() const { return error_; }  // errno of the creation
  // Closes the file and renames it over the target: 0 or an errno.
  int Commit();

 private:
  std::string target_;
  std::string path_;
  UniqueFd fd_;
  int error_ = 0;
  bool committed_ = false;
};

// New contents for `target`: under a temporary name beside it when an earlier
// file must stay until they are whole, otherwise as the target itself
// (created, never opened over another file), removed unless committed.
class NewFile {
 public:
  NewFile(const std::string& target, bool replacing);
  ~NewFile();
  NewFile(const NewFile&) = delete;
  NewFile& operator=(const NewFile&) = delete;
  int Fd() const { return replacing_ ? temp_->Fd() : fd_.Get(); }
  bool Valid() const { return replacing_ ? temp_->Valid() : fd_.Valid(); }
  int Error() const { return replacing_ ? temp_->Error() : error_; }
  // 0 or an errno.
  int Commit();

 private:
  std::string target_;
  bool replacing_;
  std::unique_ptr<TempFile> temp_;
  UniqueFd fd_;
  int error_ = 0;
  bool committed_ = false;
};

// FILETIME (100 ns units since 1601) and host times.
uint64_t FileTimeOf(const struct timespec& ts);
struct timespec TimespecOf(uint64_t fileTime);

// Writes all bytes; 0 or an errno.
int WriteAll(int fd, const uint8_t* data, size_t size);

}  // namespace zel
