#include "platform/sim/image_io.h"

#include <algorithm>

#ifdef _WIN32
#include <fstream>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <mutex>
#endif

namespace zel::sim {
namespace {

constexpr long kNotReady = 21;
constexpr long kWriteFault = 29;

}  // namespace

#ifdef _WIN32

long ReadImageFile(const std::string& path, uint64_t offset, uint8_t* buf, uint32_t bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return kNotReady;
  std::fill(buf, buf + bytes, 0);
  in.seekg(static_cast<std::streamoff>(offset));
  in.read(reinterpret_cast<char*>(buf), bytes);
  return 0;
}

long WriteImageFile(const std::string& path, uint64_t offset, const uint8_t* buf, uint32_t bytes) {
  std::fstream out(path, std::ios::binary | std::ios::in | std::ios::out);
  if (!out) return kNotReady;
  out.seekp(static_cast<std::streamoff>(offset));
  out.write(reinterpret_cast<const char*>(buf), bytes);
  out.flush();
  return out ? 0 : kWriteFault;
}

#else

namespace {

struct OpenImage {
  int fd = -1;
  dev_t device = 0;
  ino_t inode = 0;
};

constexpr size_t kMostHeld = 8;

std::mutex imagesMutex;
std::map<std::string, OpenImage> images;

// The open image at `path`, opened again when the path names another file
// than the one held; -1 when it cannot be opened. imagesMutex is held.
int ImageFd(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return -1;
  // A process that works on many machines in turn (a test run) holds only
  // the images of the last few.
  if (images.size() >= kMostHeld && images.count(path) == 0) {
    for (auto& [name, image] : images) {
      if (image.fd >= 0) close(image.fd);
    }
    images.clear();
  }
  OpenImage& held = images[path];
  if (held.fd >= 0 && held.device == st.st_dev && held.inode == st.st_ino) return held.fd;
  if (held.fd >= 0) close(held.fd);
  held.fd = open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (held.fd < 0) held.fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  struct stat opened;
  if (held.fd >= 0 && fstat(held.fd, &opened) == 0) {
    held.device = opened.st_dev;
    held.inode = opened.st_ino;
  }
  return held.fd;
}

}  // namespace

long ReadImageFile(const std::string& path, uint64_t offset, uint8_t* buf, uint32_t bytes) {
  std::lock_guard<std::mutex> lock(imagesMutex);
  const int fd = ImageFd(path);
  if (fd < 0) return kNotReady;
  std::fill(buf, buf + bytes, 0);
  uint32_t done = 0;
  while (done < bytes) {
    const ssize_t n = pread(fd, buf + done, bytes - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;  // the sparse tail: zeros
    done += static_cast<uint32_t>(n);
  }
  return 0;
}

long WriteImageFile(const std::string& path, uint64_t offset, const uint8_t* buf, uint32_t bytes) {
  std::lock_guard<std::mutex> lock(imagesMutex);
  const int fd = ImageFd(path);
  if (fd < 0) return kNotReady;
  uint32_t done = 0;
  while (done < bytes) {
    const ssize_t n = pwrite(fd, buf + done, bytes - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return kWriteFault;
    done += static_cast<uint32_t>(n);
  }
  return 0;
}

#endif

}  // namespace zel::sim
