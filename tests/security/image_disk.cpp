#include "image_disk.h"

#include <fcntl.h>
#include <unistd.h>

namespace zel::test {

ImageDisk::ImageDisk(const std::string& path, uint64_t sectors, uint32_t heads, uint32_t spt)
    : sectors_(sectors), heads_(heads), spt_(spt) {
  fd_ = ::open(path.c_str(), O_RDWR | O_CREAT, 0644);
  if (fd_ >= 0 && ::ftruncate(fd_, static_cast<off_t>(sectors * 512)) != 0) {
    ::close(fd_);
    fd_ = -1;
  }
}

ImageDisk::~ImageDisk() {
  if (fd_ >= 0) ::close(fd_);
}

bool ImageDisk::Sync() { return ::fsync(fd_) == 0; }

long ImageDisk::Read(uint64_t offset, void* buf, uint32_t bytes) {
  if (offset + bytes > sectors_ * 512) return 27;
  return ::pread(fd_, buf, bytes, static_cast<off_t>(offset)) == static_cast<ssize_t>(bytes) ? 0 : 30;
}

long ImageDisk::Write(uint64_t offset, const void* buf, uint32_t bytes) {
  if (offset + bytes > sectors_ * 512) return 27;
  return ::pwrite(fd_, buf, bytes, static_cast<off_t>(offset)) == static_cast<ssize_t>(bytes) ? 0 : 29;
}

long ImageDisk::Geometry(DiskGeometry& g) {
  g.tracksPerCylinder = heads_;
  g.sectorsPerTrack = spt_;
  g.bytesPerSector = 512;
  g.mediaType = kMediaFixed;
  g.cylinders = static_cast<int64_t>(sectors_ / (uint64_t{heads_} * spt_));
  return 0;
}

}  // namespace zel::test
