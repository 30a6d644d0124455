#include "copy/button_watch.h"

#include <gtest/gtest.h>

#include "tests/copy/corvex_fakes.h"

namespace zel {
namespace {

class RecordingHost : public ButtonWatchHost {
 public:
  std::vector<std::string> log;
  std::function<void(uint32_t, uint8_t)> duringRun;
  void StartPollTimer() override { log.push_back("poll on"); }
  void StopPollTimer() override { log.push_back("poll off"); }
  void StartRescanTimer() override { log.push_back("rescan on"); }
  void StopRescanTimer() override { log.push_back("rescan off"); }
  void BeginButtonRun() override { log.push_back("begin"); }
  void RunCopy(uint32_t disk, uint8_t direction) override {
    log.push_back("run " + std::to_string(disk) + " dir " + std::to_string(direction));
    if (duringRun) duringRun(disk, direction);
  }
  void EndButtonRun() override { log.push_back("end"); }
  void RefreshConfiguration() override { log.push_back("refresh"); }
};

// Results the next discovery passes give, in order (0 once they run out).
std::vector<long> g_discoveryResults;
int g_discoveries = 0;
long ScriptedDiscovery(DiskList&) {
  ++g_discoveries;
  if (g_discoveries <= static_cast<int>(g_discoveryResults.size())) return g_discoveryResults[g_discoveries - 1];
  return 0;
}

class ButtonWatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Platform p;
    p.deviceTree = &tree;
    scoped = std::make_unique<ScopedPorts>(p);
    g_discoveryResults.clear();
    g_discoveries = 0;
    CopyRunBusy() = false;
  }
  void AddDisk(uint32_t node, bool present) {
    DiskRecord& d = disks.disks[disks.count++];
    d.deviceNode = node;
    d.present = present ? 1 : 0;
  }
  std::unique_ptr<ButtonWatch> Watch(uint8_t mode) {
    return std::make_unique<ButtonWatch>(host, latch, disks, &ScriptedDiscovery, mode);
  }

  DiskList disks;
  test::SiblingTree tree;
  test::FakeLatch latch;
  RecordingHost host;
  std::unique_ptr<ScopedPorts> scoped;
};

TEST_F(ButtonWatchTest, OneButtonModeIgnoresTheSecondButton) {
  AddDisk(100, true);
  latch.status[0] = 0xF9;  // both bits 1 and 2 clear
  Watch(1)->Poll();
  EXPECT_EQ(host.log, (std::vector<std::string>{"poll off", "begin", "run 0 dir 1", "poll on", "end"}));
  EXPECT_EQ(latch.log, (std::vector<std::string>{"read 0", "write 0 fb"}));
}

TEST_F(ButtonWatchTest, TwoButtonsBothPressedRunBackupThenRestore) {
  AddDisk(100, true);
  latch.status[0] = 0xF9;
  Watch(2)->Poll();
  EXPECT_EQ(host.log, (std::vector<std::string>{"poll off", "begin", "run 0 dir 1", "poll on", "end",
                                                "poll off", "begin", "run 0 dir 2", "poll on", "end"}));
  // Each acknowledgement is the byte read in this tick with its own bit set.
  EXPECT_EQ(latch.log, (std::vector<std::string>{"read 0", "write 0 fb", "write 0 fd"}));
}

TEST_F(ButtonWatchTest, UnreadableOrReleasedStartsNothing) {
  AddDisk(100, true);   // no latch entry: unreadable, 0xFF
  AddDisk(200, true);
  latch.status[1] = 0xFE;  // bit 0 is not a button
  AddDisk(300, false);
  latch.status[2] = 0x00;  // not present: never read
  Watch(2)->Poll();
  EXPECT_TRUE(host.log.empty());
  EXPECT_EQ(latch.log, (std::vector<std::string>{"read 0", "read 1"}));
}

TEST_F(ButtonWatchTest, SiblingUnitsRunInTreeOrderAndThePressedDiskIsAcknowledged) {
  AddDisk(500, false);  // another disk
  AddDisk(12, true);    // unit 1 of the enclosure
  AddDisk(14, false);   // a sibling that is not supported
  AddDisk(13, true);    // unit 2
  tree.next = {{12, 13}, {13, 14}};
  latch.status[1] = 0xFD;
  latch.status[3] = 0xFF;
  Watch(1)->Poll();
  EXPECT_EQ(host.log, (std::vector<std::string>{"poll off", "begin", "run 1 dir 1", "run 3 dir 1", "poll on",
                                                "end"}));
  EXPECT_EQ(latch.status[1], 0xFF);
}

TEST_F(ButtonWatchTest, SiblingRemovedDuringTheFirstRunIsSkippedAndThePressAcknowledged) {
  AddDisk(12, true);
  AddDisk(13, true);
  tree.next = {{12, 13}};
  latch.status[0] = 0xFD;
  // A removal during the first run rewrites the list: the second unit is gone.
  host.duringRun = [&](uint32_t, uint8_t) { disks.disks[1].present = 0; };
  Watch(1)->Poll();
  EXPECT_EQ(std::count(host.log.begin(), host.log.end(), "run 1 dir 1"), 0);
  EXPECT_EQ(std::count(host.log.begin(), host.log.end(), "run 0 dir 1"), 1);
  EXPECT_EQ(latch.log.back(), "write 0 ff");
}

TEST_F(ButtonWatchTest, BusyFlagHoldsThePollOff) {
  AddDisk(12, true);
  latch.status[0] = 0xFD;
  CopyRunBusy() = true;
  auto watch = Watch(1);
  watch->Poll();
  EXPECT_TRUE(latch.log.empty());
  CopyRunBusy() = false;
  watch->Poll();
  EXPECT_EQ(host.log[2], "run 0 dir 1");
}

TEST_F(ButtonWatchTest, TickQueuedDuringARunIsIgnored) {
  AddDisk(12, true);
  latch.status[0] = 0xFD;
  auto watch = Watch(1);
  host.duringRun = [&](uint32_t, uint8_t) {
    EXPECT_TRUE(watch->ButtonRunActive());
    watch->Poll();  // the nested loop delivers a tick that was already queued
  };
  watch->Poll();
  EXPECT_EQ(std::count(host.log.begin(), host.log.end(), "run 0 dir 1"), 1);
  EXPECT_FALSE(watch->ButtonRunActive());
}

TEST_F(ButtonWatchTest, DeviceChangeReactsToVolumesOnly) {
  auto watch = Watch(1);
  EXPECT_FALSE(watch->DeviceChange(kDeviceArrival, 5));          // a device interface (a mouse)
  EXPECT_FALSE(watch->DeviceChange(kDeviceRemoveComplete, 0));   // an OEM device
  EXPECT_TRUE(watch->DeviceChange(0x0007, 0));                   // nodes changed: nothing to do
  EXPECT_EQ(g_discoveries, 0);
  EXPECT_TRUE(host.log.empty());
  EXPECT_TRUE(watch->DeviceChange(kDeviceRemoveComplete, kDeviceTypeVolume));
  EXPECT_EQ(g_discoveries, 1);
  EXPECT_EQ(host.log, std::vector<std::string>{"refresh"});
}

TEST_F(ButtonWatchTest, LateVolumeIsRetriedUntilDiscoverySucceeds) {
  g_discoveryResults = {21, 21, 21};  // "not ready" three times, then success
  auto watch = Watch(1);
  EXPECT_TRUE(watch->DeviceChange(kDeviceArrival, kDeviceTypeVolume));
  EXPECT_EQ(host.log, (std::vector<std::string>{"rescan on", "refresh"}));
  host.log.clear();
  watch->Rescan();
  watch->Rescan();
  EXPECT_TRUE(host.log.empty());
  watch->Rescan();
  EXPECT_EQ(host.log, (std::vector<std::string>{"rescan off", "refresh"}));
  EXPECT_EQ(g_discoveries, 4);
}

}  // namespace
}  // namespace zel
