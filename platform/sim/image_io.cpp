#include "platform/sim/image_io.h"

#include <algorithm>
#include <cstring>

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

// Runs of zeros are passed over a block at a time; the block that holds the
// first (or last) other byte is then looked through byte by byte.
constexpr size_t kZeroBlock = 256;
const uint8_t kZeros[kZeroBlock] = {};

bool AllZero(const uint8_t* p, size_t n) { return std::memcmp(p, kZeros, n) == 0; }

const uint8_t* FirstNotZero(const uint8_t* from, const uint8_t* to) {
  while (static_cast<size_t>(to - from) >= kZeroBlock && AllZero(from, kZeroBlock)) from += kZeroBlock;
  while (from < to && *from == 0) ++from;
  return from;
}

const uint8_t* AfterLastNotZero(const uint8_t* from, const uint8_t* to) {
  while (static_cast<size_t>(to - from) >= kZeroBlock && AllZero(to - kZeroBlock, kZeroBlock)) to -= kZeroBlock;
  while (to > from && to[-1] == 0) --to;
  return to;
}

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
  struct stat st;
  const uint64_t size = fstat(fd, &st) == 0 ? static_cast<uint64_t>(st.st_size) : 0;
  uint64_t at = offset;
  const uint64_t end = offset + bytes;
  while (at < end) {
    uint64_t stop = end;
    bool hole = false;
    if (at < size) {
      // The image is sparse: a hole already reads as zeros, so zeros meant
      // for it (a format clearing its tables, an erase) are left unwritten
      // and the file takes no room for them. Where the host cannot tell,
      // everything is written.
      const off_t data = lseek(fd, static_cast<off_t>(at), SEEK_DATA);
      if (data < 0 && errno == ENXIO) {
        hole = true;
        stop = std::min(end, size);
      } else if (data > static_cast<off_t>(at)) {
        hole = true;
        stop = std::min(end, std::min(size, static_cast<uint64_t>(data)));
      } else if (data == static_cast<off_t>(at)) {
        const off_t next = lseek(fd, static_cast<off_t>(at), SEEK_HOLE);
        if (next > static_cast<off_t>(at)) stop = std::min(end, static_cast<uint64_t>(next));
      }
    }
    const uint8_t* from = buf + (at - offset);
    const uint8_t* to = buf + (stop - offset);
    if (hole) {
      // Only the span from the first byte that is not zero to the last.
      const uint8_t* first = FirstNotZero(from, to);
      const uint8_t* last = first == to ? to : AfterLastNotZero(first, to);
      at += static_cast<uint64_t>(first - from);
      to = last;
      from = first;
    }
    while (from < to) {
      const ssize_t n = pwrite(fd, from, static_cast<size_t>(to - from), static_cast<off_t>(at));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return kWriteFault;
      from += n;
      at += static_cast<uint64_t>(n);
    }
    at = stop;
  }
  return 0;
}

#endif

}  // namespace zel::sim
