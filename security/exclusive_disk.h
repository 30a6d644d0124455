// The current device's whole-disk device opened for laying out a part, with
// every mounted volume of the device locked and dismounted for as long as
// it is open. Writes past the device's capacity are refused.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "ports/storage_port.h"

namespace zel {

class ExclusiveDisk {
 public:
  enum class Result { Opened, VolumeBusy, CannotOpen };

  // Locks and dismounts the volumes of `volumeLetters` in order (a volume
  // that cannot be opened is skipped; a failed lock is tried once more on a
  // fresh handle), then opens `diskPath`. On anything but Opened, every
  // volume taken so far is released again.
  static Result Open(const std::wstring& diskPath, const std::string& volumeLetters,
                     uint64_t capacitySectors, std::unique_ptr<ExclusiveDisk>& out);

  ~ExclusiveDisk();  // unlocks and closes every kept volume, closes the disk
  ExclusiveDisk(const ExclusiveDisk&) = delete;
  ExclusiveDisk& operator=(const ExclusiveDisk&) = delete;

  RawDevice& Disk() { return *guarded_; }

 private:
  ExclusiveDisk() = default;
  std::vector<std::unique_ptr<RawDevice>> volumes_;
  std::unique_ptr<RawDevice> guarded_;
};

// The volume path of a drive letter, "\\\\.\\E:".
std::wstring VolumePath(char driveLetter);

}  // namespace zel
