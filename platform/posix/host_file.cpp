#include "platform/posix/host_file.h"

#include <fcntl.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace zel {
namespace {

constexpr int64_t kSecondsFrom1601To1970 = 11644473600LL;
constexpr uint64_t kTicksPerSecond = 10000000ULL;

std::string DirectoryOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

}  // namespace

int UniqueFd::Close() {
  if (fd_ < 0) return 0;
  int r = ::close(fd_);
  fd_ = -1;
  return r == 0 ? 0 : errno;
}

TempFile::TempFile(const std::string& target) : target_(target) {
  std::string pattern = DirectoryOf(target) + "/.zel-partial-XXXXXX";
  std::vector<char> buf(pattern.begin(), pattern.end());
  buf.push_back(0);
  int fd = mkostemp(buf.data(), O_CLOEXEC);
  if (fd < 0) {
    error_ = errno;
    return;
  }
  path_ = buf.data();
  fd_.Reset(fd);
}

TempFile::~TempFile() {
  fd_.Reset();
  if (!committed_ && !path_.empty()) ::unlink(path_.c_str());
}

int TempFile::Commit() {
  if (int err = fd_.Close()) return err;
  if (::rename(path_.c_str(), target_.c_str()) != 0) return errno;
  committed_ = true;
  return 0;
}

NewFile::NewFile(const std::string& target, bool replacing) : target_(target), replacing_(replacing) {
  if (replacing_) {
    temp_ = std::make_unique<TempFile>(target);
    return;
  }
  int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) error_ = errno;
  fd_.Reset(fd);
}

NewFile::~NewFile() {
  if (replacing_ || committed_ || !fd_.Valid()) return;
  fd_.Reset();
  ::unlink(target_.c_str());
}

int NewFile::Commit() {
  if (replacing_) return temp_->Commit();
  if (int err = fd_.Close()) {
    ::unlink(target_.c_str());
    committed_ = true;
    return err;
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

}  // namespace zel
