#include "copy/button_latch.h"

#include "common/disk_record.h"
#include "common/transport.h"

namespace zel {

uint8_t TransportButtonLatch::Read(uint32_t diskIndex) {
  const DiskList& disks = GlobalDiskList();
  if (diskIndex >= kMaxDisks) return 0xFF;
  if (Ports().family == SystemFamily::Win98) return ReadButtonStatusAspi(disks.disks[diskIndex].aspiHostAdapter);
  return ReadButtonStatus(diskIndex);
}

void TransportButtonLatch::Write(uint32_t diskIndex, uint8_t value) {
  const DiskList& disks = GlobalDiskList();
  if (diskIndex >= kMaxDisks) return;
  const DiskRecord& disk = disks.disks[diskIndex];
  if (Ports().family == SystemFamily::Win98) {
    WriteButtonStatusAspi(disk.aspiHostAdapter, value);
  } else if (disk.volumes[0].driveLetter != 0) {
    // A disk without a lettered first volume has no path for the write.
    WriteButtonStatus(static_cast<wchar_t>(disk.volumes[0].driveLetter), value);
  }
}

}  // namespace zel
