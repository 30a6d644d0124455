// The button watch on the simulated enclosure: the latch is read and written
// through the vendor transport and the emulated bridge, the sibling units
// come from the simulated device tree.
#include <gtest/gtest.h>

#include <filesystem>

#include "common/discovery.h"
#include "common/hardware_list.h"
#include "common/transport.h"
#include "common/text.h"
#include "copy/button_latch.h"
#include "copy/button_watch.h"
#include "platform/sim/bridge.h"
#include "platform/sim/machine_builder.h"
#include "platform/sim/sim_ports.h"
#include "platform/sim/view.h"
#include "tests/support/sim_machine.h"
#include <fstream>

namespace zel {
namespace {

class RunLog : public ButtonWatchHost {
 public:
  std::vector<std::pair<uint32_t, uint8_t>> runs;
  bool rescanning = false;
  int refreshes = 0;
  void StartPollTimer() override {}
  void StopPollTimer() override {}
  void StartRescanTimer() override { rescanning = true; }
  void StopRescanTimer() override { rescanning = false; }
  void RunCopy(uint32_t disk, uint8_t direction) override { runs.emplace_back(disk, direction); }
  void RefreshConfiguration() override { ++refreshes; }
};

class SimButtonWatch : public test::SimMachineTest {
 protected:
  void Make(bool twoButton) {
    sim::CreateOptions options;
    options.twoButton = twoButton;
    CreateOnHost(options);
  }

  // The global disk list as discovery leaves it for the machine's enclosure
  // units: device node, present flag, interface path, first volume's letter.
  void ListEnclosureDisks() {
    sim::View view;
    std::string error;
    ASSERT_TRUE(view.Load(dir, error)) << error;
    DiskList& list = GlobalDiskList();
    list = DiskList{};
    for (const sim::ViewDisk& d : view.disks) {
      DiskRecord& r = list.disks[list.count++];
      r.deviceNode = d.inst;
      r.present = d.enclosure ? 1 : 0;
      SetFieldText(r.interfacePath, d.interfacePath);
      for (const sim::ViewVolume& v : view.volumes) {
        if (v.disk == &d && v.volume->letter) {
          r.volumes[0].driveLetter = static_cast<char16_t>(v.volume->letter);
          r.volumeCount = 1;
        }
      }
    }
  }
  uint8_t Latch(int enclosure = 0) {
    sim::Machine m;
    std::string error;
    EXPECT_TRUE(sim::LoadMachine(dir, m, error)) << error;
    return sim::LoadBridgeState(m, m.enclosures.at(enclosure)).button;
  }
  int IndexOf(const wchar_t* interfaceFragment) {
    const DiskList& list = GlobalDiskList();
    for (uint32_t i = 0; i < list.count; ++i) {
      if (FieldText(list.disks[i].interfacePath).find(interfaceFragment) != std::wstring::npos) return static_cast<int>(i);
    }
    return -1;
  }

  TransportButtonLatch latch;
  RunLog host;
};

TEST_F(SimButtonWatch, PressRunsTheDiskAndIsAcknowledged) {
  Make(false);
  ListEnclosureDisks();
  std::string error;
  ButtonWatch watch(host, latch, GlobalDiskList(), nullptr, 1);
  watch.Poll();
  EXPECT_TRUE(host.runs.empty());
  ASSERT_TRUE(sim::PressButton(dir, 1, 1, error)) << error;
  EXPECT_EQ(Latch(), 0xFD);
  watch.Poll();
  int disk = IndexOf(L"enc1d0");
  ASSERT_GE(disk, 0);
  EXPECT_EQ(host.runs, (std::vector<std::pair<uint32_t, uint8_t>>{{static_cast<uint32_t>(disk), 1}}));
  EXPECT_EQ(Latch(), 0xFF);
  watch.Poll();
  EXPECT_EQ(host.runs.size(), 1u);
}

TEST_F(SimButtonWatch, BothButtonsRunBackupThenRestoreOnce) {
  Make(true);
  ListEnclosureDisks();
  std::string error;
  ASSERT_TRUE(sim::PressButton(dir, 1, 1, error)) << error;
  ASSERT_TRUE(sim::PressButton(dir, 1, 2, error)) << error;
  EXPECT_EQ(Latch(), 0xF9);
  ButtonWatch watch(host, latch, GlobalDiskList(), nullptr, 2);
  watch.Poll();
  ASSERT_EQ(host.runs.size(), 2u);
  EXPECT_EQ(host.runs[0].second, 1);
  EXPECT_EQ(host.runs[1].second, 2);
  // The second acknowledgement writes button 1's bit as it was read (0); the
  // latch only releases, so the backup does not run again.
  EXPECT_EQ(Latch(), 0xFF);
  watch.Poll();
  EXPECT_EQ(host.runs.size(), 2u);
}

TEST_F(SimButtonWatch, SecondUnitOfTheEnclosureRunsAfterTheFirst) {
  Make(false);
  std::string error;
  ASSERT_TRUE(sim::AddLun(dir, 1, 32, error)) << error;
  ListEnclosureDisks();
  ASSERT_TRUE(sim::PressButton(dir, 1, 1, error)) << error;
  ButtonWatch watch(host, latch, GlobalDiskList(), nullptr, 1);
  watch.Poll();
  ASSERT_EQ(host.runs.size(), 2u);
  EXPECT_EQ(host.runs[0].first, static_cast<uint32_t>(IndexOf(L"enc1d0")));
  EXPECT_EQ(host.runs[1].first, static_cast<uint32_t>(IndexOf(L"enc2d0")));
  EXPECT_EQ(Latch(), 0xFF);
}

TEST_F(SimButtonWatch, UnreadableLatchStartsNothing) {
  Make(false);
  ListEnclosureDisks();
  std::string error;
  ASSERT_TRUE(sim::PressButton(dir, 1, 1, error)) << error;
  sim::Machine m;
  ASSERT_TRUE(sim::LoadMachine(dir, m, error)) << error;
  ASSERT_TRUE(sim::SetFault(m, "status-read-fails", "1", error)) << error;
  ButtonWatch watch(host, latch, GlobalDiskList(), nullptr, 1);
  watch.Poll();
  EXPECT_TRUE(host.runs.empty());
  EXPECT_EQ(Latch(), 0xFD);  // the press stays latched for a later poll
}

// A volume that needs a while to mount: discovery fails until it is ready,
// and the rescan finds the enclosure then.
TEST_F(SimButtonWatch, LateVolumeIsFoundByTheRescan) {
  Make(false);
  std::string error;
  sim::Machine m;
  ASSERT_TRUE(sim::LoadMachine(dir, m, error)) << error;
  ASSERT_TRUE(sim::SetFault(m, "not-ready", "E:2", error)) << error;
  std::filesystem::path config = std::filesystem::path(dir) / "config.ini";
  std::ofstream(config) << "[HardwareID]\nDeviceCount=1\nDevice00=USB\\VID_3F1A&PID_0C35\n";
  LoadHardwareList(config.wstring());
  GlobalDiskList() = DiskList{};
  ButtonWatch watch(host, latch, GlobalDiskList(), &DiscoverNt, 1);
  EXPECT_TRUE(watch.DeviceChange(kDeviceArrival, kDeviceTypeVolume));
  EXPECT_TRUE(host.rescanning);
  EXPECT_EQ(host.refreshes, 1);  // at once, with what the failed pass left
  watch.Rescan();
  EXPECT_TRUE(host.rescanning);
  watch.Rescan();
  EXPECT_FALSE(host.rescanning);
  EXPECT_EQ(host.refreshes, 2);
  EXPECT_GE(IndexOf(L"enc1d0"), 0);
  EXPECT_TRUE(GlobalDiskList().disks[IndexOf(L"enc1d0")].present);
  FreeHardwareList();
}

}  // namespace
}  // namespace zel
