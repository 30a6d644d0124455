#include "platform/linux/config_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace zel::linux_adapters {
namespace fs = std::filesystem;

std::string UserConfigFile(const std::string& name) {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config != nullptr && config[0] == '/') return std::string(config) + "/zel/" + name;
  const char* home = std::getenv("HOME");
  return std::string(home != nullptr ? home : "") + "/.config/zel/" + name;
}

bool ReplaceFileWhole(const std::string& file, const std::string& text, std::string& error) {
  std::error_code ec;
  fs::create_directories(fs::path(file).parent_path(), ec);
  const std::string temporary = file + ".new";
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  bool ok = fd >= 0;
  if (ok) {
    size_t done = 0;
    while (ok && done < text.size()) {
      const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
      ok = n > 0 || (n < 0 && errno == EINTR);
      if (n > 0) done += static_cast<size_t>(n);
    }
    ok = ok && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
  }
  ok = ok && std::rename(temporary.c_str(), file.c_str()) == 0;
  if (!ok) {
    error = file + ": " + std::strerror(errno);
    ::unlink(temporary.c_str());
    return false;
  }
  // The rename itself reaches the disk with the directory.
  const int dir = ::open(fs::path(file).parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return true;
}

ConfigFileLock::ConfigFileLock(const std::string& file) {
  std::error_code ec;
  fs::create_directories(fs::path(file).parent_path(), ec);
  fd_ = ::open((file + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd_ < 0) return;
  while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
  }
}

ConfigFileLock::~ConfigFileLock() {
  if (fd_ >= 0) ::close(fd_);  // closing lets the lock go
}

}  // namespace zel::linux_adapters
