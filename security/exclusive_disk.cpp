#include "security/exclusive_disk.h"

#include "ports/platform.h"
#include "ports/system_errors.h"
#include "security/fat_layout.h"

namespace zel {
namespace {


// Forwards to the disk but refuses any access that would reach past its
// capacity, so no write can land outside the device being laid out.
class CapacityGuard : public RawDevice {
 public:
  CapacityGuard(std::unique_ptr<RawDevice> disk, uint64_t sectors)
      : disk_(std::move(disk)), limit_(sectors * kSectorBytes) {}
  long Read(uint64_t offset, void* buf, uint32_t bytes) override {
    return Fits(offset, bytes) ? disk_->Read(offset, buf, bytes) : kErrorSectorNotFound;
  }
  long Write(uint64_t offset, const void* buf, uint32_t bytes) override {
    return Fits(offset, bytes) ? disk_->Write(offset, buf, bytes) : kErrorSectorNotFound;
  }
  long Geometry(DiskGeometry& out) override { return disk_->Geometry(out); }
  long Lock() override { return disk_->Lock(); }
  long Dismount() override { return disk_->Dismount(); }
  long Unlock() override { return disk_->Unlock(); }

 private:
  bool Fits(uint64_t offset, uint32_t bytes) const {
    return offset <= limit_ && bytes <= limit_ - offset;
  }
  std::unique_ptr<RawDevice> disk_;
  uint64_t limit_;
};

}  // namespace

std::wstring VolumePath(char driveLetter) {
  return std::wstring(L"\\\\.\\") + static_cast<wchar_t>(driveLetter) + L":";
}

ExclusiveDisk::Result ExclusiveDisk::Open(const std::wstring& diskPath,
                                          const std::string& volumeLetters,
                                          uint64_t capacitySectors,
                                          std::unique_ptr<ExclusiveDisk>& out) {
  out.reset();
  StoragePort* storage = Ports().storage;
  if (!storage) return Result::CannotOpen;
  std::unique_ptr<ExclusiveDisk> d(new ExclusiveDisk());
  for (char letter : volumeLetters) {
    long error = 0;
    std::unique_ptr<RawDevice> volume = storage->OpenRaw(VolumePath(letter), error);
    if (!volume) continue;
    if (volume->Lock() != 0) {
      volume.reset();
      volume = storage->OpenRaw(VolumePath(letter), error);
      if (!volume || volume->Lock() != 0) return Result::VolumeBusy;
    }
    // Kept from here on, so that it is unlocked again whatever follows.
    d->volumes_.push_back(std::move(volume));
    if (d->volumes_.back()->Dismount() != 0) return Result::VolumeBusy;
  }
  long error = 0;
  std::unique_ptr<RawDevice> disk = storage->OpenRaw(diskPath, error);
  if (!disk) return Result::CannotOpen;
  d->guarded_ = std::make_unique<CapacityGuard>(std::move(disk), capacitySectors);
  out = std::move(d);
  return Result::Opened;
}

ExclusiveDisk::~ExclusiveDisk() {
  guarded_.reset();
  for (auto& volume : volumes_) {
    volume->Unlock();
    volume.reset();
  }
}

}  // namespace zel
