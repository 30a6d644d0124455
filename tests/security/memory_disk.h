// A raw disk held in memory for the formatter's tests: sectors never written
// read back as `fill`, every write is recorded, and a read or write can be
// made to fail.
#pragma once
#include <array>
#include <cstring>
#include <map>
#include <optional>
#include <set>

#include "ports/storage_port.h"

namespace zel::test {

class MemoryDisk : public RawDevice {
 public:
  MemoryDisk(uint64_t sectors, uint32_t heads, uint32_t sectorsPerTrack, uint8_t fill = 0xE5)
      : sectors_(sectors), heads_(heads), spt_(sectorsPerTrack), fill_(fill) {}

  long Read(uint64_t offset, void* buf, uint32_t bytes) override {
    if (!InRange(offset, bytes) || Covers(failReadAt, offset, bytes)) return 27;
    auto* p = static_cast<uint8_t*>(buf);
    for (uint32_t i = 0; i < bytes / 512; ++i) {
      auto it = data_.find(offset / 512 + i);
      if (it == data_.end()) std::memset(p + 512 * i, fill_, 512);
      else std::memcpy(p + 512 * i, it->second.data(), 512);
    }
    return 0;
  }
  long Write(uint64_t offset, const void* buf, uint32_t bytes) override {
    ++writeCalls;
    if (!InRange(offset, bytes) || Covers(failWriteAt, offset, bytes)) return 29;
    const auto* p = static_cast<const uint8_t*>(buf);
    for (uint32_t i = 0; i < bytes / 512; ++i) {
      std::memcpy(data_[offset / 512 + i].data(), p + 512 * i, 512);
      written.insert(offset / 512 + i);
    }
    return 0;
  }
  long Geometry(DiskGeometry& g) override {
    if (failGeometry) return 1;
    g.tracksPerCylinder = heads_;
    g.sectorsPerTrack = spt_;
    g.bytesPerSector = 512;
    g.mediaType = kMediaFixed;
    g.cylinders = static_cast<int64_t>(sectors_ / (heads_ * spt_));
    return 0;
  }
  long Lock() override { return 0; }
  long Dismount() override { return 0; }
  long Unlock() override { return 0; }

  std::array<uint8_t, 512> Sector(uint64_t s) {
    std::array<uint8_t, 512> out;
    Read(s * 512, out.data(), 512);
    return out;
  }

  std::set<uint64_t> written;
  int writeCalls = 0;
  std::optional<uint64_t> failReadAt, failWriteAt;
  bool failGeometry = false;

 private:
  static bool Covers(const std::optional<uint64_t>& sector, uint64_t offset, uint32_t bytes) {
    return sector && *sector >= offset / 512 && *sector < (offset + bytes) / 512;
  }
  bool InRange(uint64_t offset, uint32_t bytes) const {
    return offset % 512 == 0 && bytes % 512 == 0 && offset / 512 + bytes / 512 <= sectors_;
  }
  uint64_t sectors_;
  uint32_t heads_, spt_;
  uint8_t fill_;
  std::map<uint64_t, std::array<uint8_t, 512>> data_;
};

}  // namespace zel::test
