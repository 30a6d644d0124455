// A storage port whose devices are memory disks, with volumes that can
// refuse to be locked or dismounted; it records what happened to each.
#pragma once
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "memory_disk.h"
#include "ports/storage_port.h"

namespace zel::test {

class FakeStorage : public StoragePort {
 public:
  struct Volume {
    int lockFailures = 0;  // the next this many lock requests fail
    bool dismountFails = false;
    bool opens = true;
    int locks = 0, unlocks = 0, dismounts = 0, opened = 0;
    bool locked = false;
  };

  std::map<std::wstring, std::shared_ptr<MemoryDisk>> disks;
  std::map<std::wstring, Volume> volumes;
  std::vector<std::wstring> log;  // "open <path>", "lock <path>", ...

  long Geometry(const std::wstring& path, DiskGeometry& out) override {
    auto it = disks.find(path);
    return it == disks.end() ? 2 : it->second->Geometry(out);
  }
  long Layout(const std::wstring&, DriveLayout&) override { return 1; }
  long VolumeExtents(const std::wstring&, std::vector<DiskExtent>&) override { return 1; }
  long VolumeNumber(const std::wstring&, uint32_t&) override { return 1; }
  long VolumeInformation(const std::wstring&, VolumeInfo&) override { return 1; }
  long DiskFreeSpace(const std::wstring&, FreeSpace&) override { return 1; }
  long DiskFreeSpaceEx(const std::wstring&, uint64_t&, uint64_t&) override { return 1; }
  uint32_t DriveType(const std::wstring&) override { return kDriveFixed; }
  std::unique_ptr<RawDevice> OpenRaw(const std::wstring& path, long& error) override;

 private:
  class VolumeHandle;
  class DiskHandle;
};

class FakeStorage::VolumeHandle : public RawDevice {
 public:
  VolumeHandle(FakeStorage& s, std::wstring path) : s_(s), path_(std::move(path)) {}
  ~VolumeHandle() override { s_.log.push_back(L"close " + path_); }
  long Read(uint64_t, void*, uint32_t) override { return 1; }
  long Write(uint64_t, const void*, uint32_t) override { return 1; }
  long Geometry(DiskGeometry&) override { return 1; }
  long Lock() override {
    Volume& v = s_.volumes[path_];
    ++v.locks;
    s_.log.push_back(L"lock " + path_);
    if (v.lockFailures > 0) {
      --v.lockFailures;
      return 5;
    }
    v.locked = true;
    return 0;
  }
  long Dismount() override {
    Volume& v = s_.volumes[path_];
    ++v.dismounts;
    s_.log.push_back(L"dismount " + path_);
    return v.dismountFails ? 5 : 0;
  }
  long Unlock() override {
    Volume& v = s_.volumes[path_];
    ++v.unlocks;
    v.locked = false;
    s_.log.push_back(L"unlock " + path_);
    return 0;
  }

 private:
  FakeStorage& s_;
  std::wstring path_;
};

// Shares the memory disk, so that what was written outlives the handle.
class FakeStorage::DiskHandle : public RawDevice {
 public:
  DiskHandle(FakeStorage& s, std::wstring path, std::shared_ptr<MemoryDisk> d)
      : s_(s), path_(std::move(path)), d_(std::move(d)) {}
  ~DiskHandle() override { s_.log.push_back(L"close " + path_); }
  long Read(uint64_t o, void* b, uint32_t n) override { return d_->Read(o, b, n); }
  long Write(uint64_t o, const void* b, uint32_t n) override { return d_->Write(o, b, n); }
  long Geometry(DiskGeometry& g) override { return d_->Geometry(g); }
  long Lock() override { return 1; }
  long Dismount() override { return 1; }
  long Unlock() override { return 1; }

 private:
  FakeStorage& s_;
  std::wstring path_;
  std::shared_ptr<MemoryDisk> d_;
};

inline std::unique_ptr<RawDevice> FakeStorage::OpenRaw(const std::wstring& path, long& error) {
  if (auto it = disks.find(path); it != disks.end()) {
    log.push_back(L"open " + path);
    return std::make_unique<DiskHandle>(*this, path, it->second);
  }
  if (auto it = volumes.find(path); it != volumes.end() && it->second.opens) {
    ++it->second.opened;
    log.push_back(L"open " + path);
    return std::make_unique<VolumeHandle>(*this, path);
  }
  error = 2;
  return nullptr;
}

}  // namespace zel::test
