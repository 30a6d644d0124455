#include "common/device_list.h"

#include <gtest/gtest.h>

#include "common/aspi.h"
#include "common/hardware_list.h"
#include "common/scsi_send.h"
#include "common/text.h"
#include "tests/support/sim_machine.h"

namespace zel {
namespace {

using test::SimMachineTest;

class DeviceListTest : public SimMachineTest {
 protected:
  DeviceList list_;
};

bool SetPartitionSize(const std::string& path, uint32_t sectors) {
  VendorCommand c;
  c.cdb[0] = 0xE6;
  c.direction = DataDirection::Out;
  c.dataLength = 4;
  c.dataRoom = 6;
  c.sendWhole = true;
  uint8_t data[4] = {static_cast<uint8_t>(sectors >> 24), static_cast<uint8_t>(sectors >> 16),
                     static_cast<uint8_t>(sectors >> 8), static_cast<uint8_t>(sectors)};
  return SendScsi(ScsiTarget::Interface(Utf8ToWide(path), true), c, data);
}

TEST_F(DeviceListTest, NtListsTheEnclosureAndItsPrivateDiskAfterPartitioning) {
  Create();
  ASSERT_EQ(EnumerateDevices(list_), 0);
  ASSERT_EQ(list_.entries.size(), 1u);
  const DeviceEntry& e = list_.entries[0];
  EXPECT_NE(e.interfacePath.find("enc1d0"), std::string::npos);
  EXPECT_EQ(e.friendlyName, "ZELTECH ONE TOUCH DISK USB Device");
  EXPECT_NE(e.usbDevice, 0u);
  ASSERT_EQ(e.volumeCount, 1);
  EXPECT_EQ(e.volumes[0].driveLetter, 'E');
  EXPECT_EQ(FirstDriveLetter(e), 'E');

  ASSERT_TRUE(SetPartitionSize(e.interfacePath, 65536));
  std::string error;
  ASSERT_TRUE(sim::WriteFatPartition(dir, "enc1", 65536, 65536, 0x5A454C99, 0x77, error)) << error;
  ASSERT_EQ(EnumerateDevices(list_), 0);
  ASSERT_EQ(list_.entries.size(), 2u);
  EXPECT_EQ(FirstDriveLetter(list_.entries[0]), 'E');
  EXPECT_NE(list_.entries[1].interfacePath.find("enc1d1"), std::string::npos);
  EXPECT_EQ(FirstDriveLetter(list_.entries[1]), 'F');
}

TEST_F(DeviceListTest, NothingSupportedGives55) {
  Create();
  profile.values = {{L"DeviceCount", L"1"}, {L"Device00", L"USB\\VID_0000"}};
  LoadHardwareList(L"config.ini");
  EXPECT_EQ(EnumerateDevices(list_), kErrorDeviceNotExist);
  EXPECT_TRUE(list_.entries.empty());
  FreeHardwareList();
  EXPECT_EQ(EnumerateDevicesNt(list_), 55);
}

TEST_F(DeviceListTest, MoreThanEighteenPartitionsKeepEighteenPairs) {
  Create();
  sim::Machine m = Machine();
  for (sim::SimDisk& d : m.disks) {
    if (d.id != "enc1d0") continue;
    for (int p = 0; p < 20; ++p) d.partitions.push_back({(p + 1) * 1048576ll, 1048576, 0x0C, false, true});
  }
  std::erase_if(m.volumes, [](const sim::SimVolume& v) { return v.disk == "enc1d0"; });
  for (int p = 0; p < 20; ++p) {
    sim::SimVolume v;
    v.id = "pv" + std::to_string(p);
    v.disk = "enc1d0";
    v.partition = p + 1;
    v.number = static_cast<uint32_t>(20 + p);
    v.letter = p < 10 ? static_cast<char>('G' + p) : 0;
    m.volumes.push_back(v);
  }
  Save(m);
  ASSERT_EQ(EnumerateDevices(list_), 0);
  const DeviceEntry& e = list_.entries[0];
  EXPECT_EQ(e.volumeCount, kMaxDeviceVolumes);
  EXPECT_EQ(e.volumes[0].driveLetter, 'G');
  EXPECT_EQ(e.volumes[9].driveLetter, 'P');
  EXPECT_EQ(e.volumes[17].driveLetter, '?');
  EXPECT_EQ(e.volumes[17].volumeNumber, 37);
}

TEST_F(DeviceListTest, Windows98FindsUnitsWithDistinctAdapters) {
  sim::CreateOptions o;
  o.windows98 = true;
  Create(o);
  std::string error;
  ASSERT_TRUE(sim::AddLun(dir, 1, 16, error)) << error;
  ASSERT_TRUE(LoadAspiCommandOnly());
  ASSERT_EQ(EnumerateDevices(list_), 0);
  ASSERT_EQ(list_.entries.size(), 2u);
  // "ZELTECH  ONE TOUCH DISK  ": bytes 9..24 moved one place forward, byte 24 kept.
  EXPECT_EQ(list_.entries[0].friendlyName, "ZELTECH ONE TOUCH DISK   ");
  EXPECT_EQ(list_.entries[0].aspiHostAdapter, 0);
  EXPECT_EQ(list_.entries[1].aspiHostAdapter, 1);  // same identity, adapter 0 already held
  EXPECT_EQ(list_.entries[0].driveLetter, 'E');
  EXPECT_EQ(list_.entries[1].driveLetter, 'G');
  EXPECT_NE(list_.entries[0].diskDevice, 0u);
  EXPECT_EQ(list_.entries[0].usbDevice, list_.entries[1].usbDevice);
  UnloadAspi();
}

}  // namespace
}  // namespace zel
