// A raw disk over an image file (sparse where never written), with the
// geometry a real disk would report. For the formatter's checks against
// dosfstools and mtools and for the format benchmark.
#pragma once
#include <string>

#include "ports/storage_port.h"

namespace zel::test {

class ImageDisk : public RawDevice {
 public:
  // Creates or reopens `path` and sets its size to `sectors` (a sparse file
  // when new). `ok()` tells whether that worked.
  ImageDisk(const std::string& path, uint64_t sectors, uint32_t heads, uint32_t sectorsPerTrack);
  ~ImageDisk() override;
  ImageDisk(const ImageDisk&) = delete;
  ImageDisk& operator=(const ImageDisk&) = delete;
  bool ok() const { return fd_ >= 0; }
  // Flushes what was written to the file's storage; true on success.
  bool Sync();

  long Read(uint64_t offset, void* buf, uint32_t bytes) override;
  long Write(uint64_t offset, const void* buf, uint32_t bytes) override;
  long Geometry(DiskGeometry& out) override;
  long Lock() override { return 0; }
  long Dismount() override { return 0; }
  long Unlock() override { return 0; }

 private:
  int fd_ = -1;
  uint64_t sectors_;
  uint32_t heads_, spt_;
};

}  // namespace zel::test
