#include "copy/disk_overview.h"

#include <cstdarg>
#include <cwchar>

#include "copy/bridge_registers.h"
#include "copy/button_latch.h"
#include "copy/button_watch.h"
#include "copy/task_flags.h"

namespace zel {
namespace {

constexpr uint8_t kPressAcknowledged = 0x02;

std::wstring Format(const wchar_t* format, ...) {
  wchar_t line[256];
  va_list args;
  va_start(args, format);
  const int n = std::vswprintf(line, 256, format, args);
  va_end(args);
  return n < 0 ? std::wstring() : std::wstring(line, static_cast<size_t>(n));
}

OverviewItem VolumeItem(const DiskRecord& d, uint16_t v) {
  const VolumeEntry& e = d.volumes[v];
  const unsigned number = v + 1u;
  if (e.driveLetter == 0) return {Format(L"Partition%02u ", number), {}};
  const wchar_t letter = static_cast<wchar_t>(e.driveLetter);
  OverviewItem item{d.fixedMedia == 1 ? Format(L"Partition%02u (%lc:)", number, letter) : Format(L"(%lc:)", letter),
                    {}};
  item.children.push_back({L"File System Type: " + FieldText(e.fileSystem), {}});
  item.children.push_back({L"Label : " + FieldText(e.label), {}});
  // The sizes are shown as the signed numbers they were always printed as.
  item.children.push_back({Format(L"Total Size : %d Mbytes", static_cast<int>(e.totalMb)), {}});
  item.children.push_back({Format(L"Free Size : %d Mbytes", static_cast<int>(e.freeMb)), {}});
  return item;
}

}  // namespace

std::vector<OverviewItem> DiskOverviewItems(const DiskList& disks) {
  std::vector<OverviewItem> items;
  for (uint32_t i = 0; i < disks.count && i < kMaxDisks; ++i) {
    const DiskRecord& d = disks.disks[i];
    OverviewItem disk{L"Disk" + Format(L"%02u", i) + L" - " + FieldText(d.friendlyName) + (d.present ? L" *" : L""),
                      {}};
    for (uint16_t v = 0; v < d.volumeCount && v < kMaxVolumes; ++v) disk.children.push_back(VolumeItem(d, v));
    items.push_back(std::move(disk));
  }
  return items;
}

bool DiskOverview::ShowsExecute() const { return buttonMode_ != kButtonModeTwo; }

void DiskOverview::Select(const DiskList& disks, uint32_t rootItem) {
  for (uint32_t i = 0; i < disks.count && i < kMaxDisks; ++i) {
    const DiskRecord& d = disks.disks[i];
    if (rootItem == 0 || d.treeItem != rootItem) continue;
    enabled_ = d.present != 0;
    if (enabled_) selected_ = static_cast<uint8_t>(i);
    return;
  }
  enabled_ = false;
}

void DiskOverview::Refreshed(const DiskList& disks) {
  enabled_ = enabled_ && selected_ < disks.count && selected_ < kMaxDisks && disks.disks[selected_].present != 0;
}

void ExecuteOnDisk(const DiskList& disks, uint8_t disk, BridgeRegisters& bridge, ButtonLatch& latch,
                   const std::function<void()>& runCopy) {
  CopyRunBusy() = true;
  if (disk < disks.count) SetBusyIndication(disks.disks[disk], bridge);
  runCopy();
  latch.Write(disk, kPressAcknowledged);
  CopyRunBusy() = false;
}

}  // namespace zel
