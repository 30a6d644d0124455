#include "copy/disk_overview.h"

#include <gtest/gtest.h>

#include "copy/bridge_registers.h"
#include "copy/button_latch.h"
#include "copy/button_watch.h"
#include "copy/task_flags.h"

namespace zel {
namespace {

DiskList Machine() {
  DiskList disks;
  disks.count = 3;
  DiskRecord& fixed = disks.disks[0];
  SetFieldText(fixed.friendlyName, L"WDC WD800");
  fixed.fixedMedia = 1;
  fixed.volumeCount = 2;
  fixed.volumes[0].driveLetter = u'C';
  SetFieldText(fixed.volumes[0].fileSystem, L"NTFS");
  SetFieldText(fixed.volumes[0].label, L"SYSTEM");
  fixed.volumes[0].totalMb = 76000;
  fixed.volumes[0].freeMb = 1234;
  DiskRecord& box = disks.disks[1];
  SetFieldText(box.friendlyName, L"Brindle USB");
  box.present = 1;
  box.volumeCount = 1;
  box.volumes[0].driveLetter = u'E';
  DiskRecord& other = disks.disks[2];
  SetFieldText(other.friendlyName, L"Stick");
  return disks;
}

TEST(DiskOverview, TreeTextsFollowTheMediaAndLetters) {
  DiskList disks = Machine();
  disks.disks[0].volumes[1].driveLetter = 0;
  const std::vector<OverviewItem> items = DiskOverviewItems(disks);
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[0].text, L"Disk00 - WDC WD800");
  EXPECT_EQ(items[1].text, L"Disk01 - Brindle USB *");
  EXPECT_TRUE(items[2].children.empty());
  ASSERT_EQ(items[0].children.size(), 2u);
  const OverviewItem& c = items[0].children[0];
  EXPECT_EQ(c.text, L"Partition01 (C:)");
  ASSERT_EQ(c.children.size(), 4u);
  EXPECT_EQ(c.children[0].text, L"File System Type: NTFS");
  EXPECT_EQ(c.children[1].text, L"Label : SYSTEM");
  EXPECT_EQ(c.children[2].text, L"Total Size : 76000 Mbytes");
  EXPECT_EQ(c.children[3].text, L"Free Size : 1234 Mbytes");
  EXPECT_EQ(items[0].children[1].text, L"Partition02 ");
  EXPECT_TRUE(items[0].children[1].children.empty());
  EXPECT_EQ(items[1].children[0].text, L"(E:)");  // removable media
}

TEST(DiskOverview, SelectionEnablesOnlyPresentDisksAndKeepsTheLastOne) {
  DiskList disks = Machine();
  disks.disks[0].treeItem = 100;
  disks.disks[1].treeItem = 200;
  disks.disks[2].treeItem = 300;
  DiskOverview overview(kButtonModeOne);
  EXPECT_TRUE(overview.ShowsExecute());
  EXPECT_FALSE(overview.ActionsEnabled());
  overview.Select(disks, 200);
  EXPECT_TRUE(overview.ActionsEnabled());
  EXPECT_EQ(overview.SelectedDisk(), 1);
  overview.Select(disks, 300);
  EXPECT_FALSE(overview.ActionsEnabled());
  EXPECT_EQ(overview.SelectedDisk(), 1);
  overview.Select(disks, 0);
  EXPECT_FALSE(overview.ActionsEnabled());

  disks.disks[1].present = 0;  // no enclosure at all: never enabled
  for (uint32_t item : {100u, 200u, 300u}) {
    overview.Select(disks, item);
    EXPECT_FALSE(overview.ActionsEnabled());
  }
  EXPECT_TRUE(DiskOverview(kButtonModeTwo).ShowsBackupRestore());
  EXPECT_FALSE(DiskOverview(kButtonModeTwo).ShowsExecute());
}

TEST(DiskOverview, RefreshKeepsTheSelectedDiskWhileItIsStillAnEnclosure) {
  DiskList disks = Machine();
  disks.disks[1].treeItem = 200;
  DiskOverview overview(kButtonModeTwo);
  overview.Refreshed(disks);  // nothing selected yet: nothing to keep
  EXPECT_FALSE(overview.ActionsEnabled());
  overview.Select(disks, 200);
  disks.disks[1].treeItem = 900;  // the tree was filled again: new items
  overview.Refreshed(disks);
  EXPECT_TRUE(overview.ActionsEnabled());
  EXPECT_EQ(overview.SelectedDisk(), 1);

  disks.count = 1;  // pulled out: the index now lies past the list
  overview.Refreshed(disks);
  EXPECT_FALSE(overview.ActionsEnabled());
  EXPECT_EQ(overview.SelectedDisk(), 1);
  disks.count = 3;  // plugged in again: the user selects it anew
  overview.Refreshed(disks);
  EXPECT_FALSE(overview.ActionsEnabled());

  overview.Select(disks, 900);
  disks.disks[1].present = 0;  // another disk took the index
  overview.Refreshed(disks);
  EXPECT_FALSE(overview.ActionsEnabled());
}

struct Recorder : BridgeRegisters, ButtonLatch {
  bool Read(wchar_t letter, uint8_t sub, uint16_t address, uint16_t, uint8_t* out) override {
    log.push_back("read " + std::string(1, static_cast<char>(letter)) + " " + std::to_string(sub) + " " +
                  std::to_string(address));
    *out = 0x41;
    return true;
  }
  bool Write(wchar_t letter, uint8_t sub, uint16_t address, uint8_t parameter, uint8_t value) override {
    log.push_back("write " + std::string(1, static_cast<char>(letter)) + " " + std::to_string(sub) + " " +
                  std::to_string(address) + " " + std::to_string(parameter) + " " + std::to_string(value));
    return true;
  }
  uint8_t Read(uint32_t) override { return 0xFF; }
  void Write(uint32_t disk, uint8_t value) override {
    log.push_back("status " + std::to_string(disk) + " " + std::to_string(value));
  }
  std::vector<std::string> log;
};

TEST(DiskOverview, ExecuteMarksBusyAroundTheRunAndAcknowledgesAfter) {
  const DiskList disks = Machine();
  Recorder r;
  bool busyDuringRun = false;
  ExecuteOnDisk(disks, 1, r, r, [&] {
    busyDuringRun = CopyRunBusy();
    r.log.push_back("run");
  });
  EXPECT_TRUE(busyDuringRun);
  EXPECT_FALSE(CopyRunBusy());
  EXPECT_EQ(r.log, (std::vector<std::string>{"read E 0 2", "write E 0 2 0 73", "run", "status 1 2"}));
}

}  // namespace
}  // namespace zel
