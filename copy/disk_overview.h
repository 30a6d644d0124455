// The configuration window's decisions: the texts and nesting of the disk
// tree, which disk a selected item belongs to, which action buttons are
// shown and enabled, and the steps of Execute around a copy run.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/disk_record.h"

namespace zel {

class BridgeRegisters;
class ButtonLatch;

struct OverviewItem {
  std::wstring text;
  std::vector<OverviewItem> children;
};

// One root item per disk of the list, in list order: the disk line, under it
// one item per volume entry, and under a lettered entry its four detail lines.
std::vector<OverviewItem> DiskOverviewItems(const DiskList& disks);

class DiskOverview {
 public:
  explicit DiskOverview(uint8_t buttonMode) : buttonMode_(buttonMode) {}

  // Button mode 1 shows Execute; button mode 2 shows Backup and Restore.
  bool ShowsExecute() const;
  bool ShowsBackupRestore() const { return !ShowsExecute(); }

  // A tree item was selected; `rootItem` is the root item above it (or the
  // item itself), matched against the handles stored in the disk records.
  // A present disk enables the actions and becomes the selected disk; any
  // other item disables them and keeps the selected disk as it was.
  void Select(const DiskList& disks, uint32_t rootItem);
  // The tree was filled again from a changed disk list. The selected disk
  // stays; the actions stay enabled only while the disk at that index is
  // still a present enclosure, so they never act on a disk that has gone.
  void Refreshed(const DiskList& disks);
  bool ActionsEnabled() const { return enabled_; }
  uint8_t SelectedDisk() const { return selected_; }

 private:
  uint8_t buttonMode_;
  uint8_t selected_ = 0;
  bool enabled_ = false;
};

// Execute on one disk: holds off the button watch, sets the disk's busy bit,
// calls `runCopy` (the copy run and its progress window, which clears the
// bit when it ends), acknowledges the press with button status 0x02 and lets
// the button watch go again.
void ExecuteOnDisk(const DiskList& disks, uint8_t disk, BridgeRegisters& bridge, ButtonLatch& latch,
                   const std::function<void()>& runCopy);

}  // namespace zel
