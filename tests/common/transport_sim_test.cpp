// The transport against the emulated bridge.
#include <gtest/gtest.h>

#include <cstdlib>

#include "common/bytes.h"
#include "common/discovery.h"
#include "common/scsi_send.h"
#include "common/transport.h"
#include "tests/support/sim_machine.h"

namespace zel {
namespace {

using test::SimMachineTest;

class TransportSim : public SimMachineTest {
 protected:
  void SetUp() override {
    SimMachineTest::SetUp();
    Create();
    ASSERT_EQ(DiscoverNt(GlobalDiskList()), 0);
    ASSERT_EQ(GlobalDiskList().disks[1].present, 1);
  }
  void TearDown() override {
    GlobalDiskList() = DiskList{};
    SimMachineTest::TearDown();
  }
  // One command through the simulated port, to the enclosure's interface path.
  bool Send(VendorCommand c, std::vector<uint8_t>& data, uint8_t& status) {
    ScsiRequest request;
    request.command = c;
    request.data = data.empty() ? nullptr : data.data();
    const std::wstring path = FieldText(GlobalDiskList().disks[1].interfacePath);
    if (simPorts->scsi.Execute(ScsiTarget::Interface(path, true), request) != 0) return false;
    status = request.status;
    return true;
  }
};

TEST_F(TransportSim, PressFromAnotherProcessShowsAtTheNextRead) {
  EXPECT_EQ(ReadButtonStatus(1), 0xFF);
#ifdef ZELSIM_PATH
  const std::string command = std::string(ZELSIM_PATH) + " press '" + dir + "' --button 1";
  ASSERT_EQ(std::system(command.c_str()), 0);
#else
  std::string error;
  ASSERT_TRUE(sim::PressButton(dir, 1, 1, error)) << error;
#endif
  EXPECT_EQ(ReadButtonStatus(1), 0xFD);
  WriteButtonStatus(L'E', 0xFD | 0x02);
  EXPECT_EQ(ReadButtonStatus(1), 0xFF);
  EXPECT_EQ(ReadButtonStatus(0), 0xFF);  // the internal disk does not speak the vendor commands
}

TEST_F(TransportSim, FailuresOfTheStatusRead) {
  Fault("busy");  // CHECK CONDITION with a successful control call
  EXPECT_EQ(ReadButtonStatus(1), 0xFF);
  uint8_t reg = 0;
  EXPECT_FALSE(ReadBridgeRegister(L'E', 0, 2, 1, &reg));
  Fault("busy", "0");
  Fault("status-read-fails");
  EXPECT_EQ(ReadButtonStatus(1), 0xFF);
  Fault("status-read-fails", "0");
  SetFieldText(GlobalDiskList().disks[1].interfacePath, L"\\\\?\\usbstor#disk#gone#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}");
  EXPECT_EQ(ReadButtonStatus(1), 0xFF);
}

TEST_F(TransportSim, BusyBitOfRegisterTwoRoundTrips) {
  uint8_t reg = 0xAA;
  ASSERT_TRUE(ReadBridgeRegister(L'E', 0, 2, 1, &reg));
  EXPECT_EQ(reg, 0);
  ASSERT_TRUE(WriteBridgeRegister(L'E', 0, 2, 0, reg | 0x08));
  ASSERT_TRUE(ReadBridgeRegister(L'E', 0, 2, 1, &reg));
  EXPECT_EQ(reg, 0x08);
  Fault("command-fails", "E3");
  EXPECT_FALSE(WriteBridgeRegister(L'E', 0, 2, 0, 0));
  EXPECT_TRUE(ReadBridgeRegister(L'E', 0, 2, 1, &reg));
  EXPECT_FALSE(ReadBridgeRegister(L'C', 0, 2, 1, &reg));  // not an enclosure
  EXPECT_FALSE(ReadBridgeRegister(L'Q', 0, 2, 1, &reg));  // no such drive
}

VendorCommand Cmd(std::initializer_list<uint8_t> cdb, DataDirection dir, uint32_t length, uint32_t room, bool whole) {
  VendorCommand c;
  size_t i = 0;
  for (uint8_t b : cdb) {
    if (i < c.cdb.size()) c.cdb[i++] = b;
  }
  c.direction = dir;
  c.dataLength = length;
  c.dataRoom = room;
  c.sendWhole = whole;
  return c;
}

TEST_F(TransportSim, SecurityAndPowerCommands) {
  const auto in = DataDirection::In, out = DataDirection::Out;
  const std::vector<uint8_t> secret = {'s', 'e', 'c', 'r', 'e', 't', ' ', ' ', ' ', ' ', ' ', ' '};
  std::vector<uint8_t> blankThenSecret(24, 0xA5);
  std::copy(secret.begin(), secret.end(), blankThenSecret.begin() + 12);
  std::vector<uint8_t> wrong(12, ' ');
  struct Step {
    VendorCommand command;
    std::vector<uint8_t> data;
    uint8_t status;
    std::vector<uint8_t> reply;
  };
  const std::vector<Step> steps = {
      {Cmd({0xE5}, in, 1, 6, false), {0}, 0, {0x00}},
      {Cmd({0x25}, in, 8, 8, false), std::vector<uint8_t>(8), 0, {0, 1, 0xFF, 0xFF, 0, 0, 2, 0}},
      {Cmd({0xE6}, out, 4, 6, true), {0, 1, 0, 0}, 0, {0, 1, 0, 0}},  // public disk 65536 sectors
      {Cmd({0x25}, in, 8, 8, false), std::vector<uint8_t>(8), 0, {0, 0, 0xFF, 0xFF, 0, 0, 2, 0}},
      {Cmd({0xE8}, out, 24, 26, true), blankThenSecret, 0, blankThenSecret},
      {Cmd({0xE9}, in, 0, 2, true), {}, 0, {}},
      {Cmd({0xE5}, in, 1, 6, false), {0}, 0, {0x07}},
      {Cmd({0xEA}, out, 12, 14, true), wrong, 2, wrong},  // the bridge refuses the password
      {Cmd({0xEA}, out, 12, 14, true), secret, 0, secret},
      {Cmd({0xE5}, in, 1, 6, false), {0}, 0, {0x05}},
      {Cmd({0xE7}, in, 0, 2, true), {}, 0, {}},
      {Cmd({0xE5}, in, 1, 6, false), {0}, 0, {0x00}},
      {Cmd({0xEB, 0x04, 0x40, 0x0B}, in, 0, 2, true), {}, 0, {}},
      {Cmd({0xEB, 0x03}, in, 0, 2, true), {}, 0, {}},
      {Cmd({0xEB, 0x01}, in, 3, 6, false), {0, 0, 0}, 0, {0x02, 0x0B, 0x40}},
      {Cmd({0xEB, 0x06}, in, 0, 2, true), {}, 0, {}},
      {Cmd({0xEB, 0x01}, in, 3, 6, false), {0, 0, 0}, 0, {0x03, 0x0B, 0x40}},
      {Cmd({0xEB, 0x09}, in, 0, 2, true), {}, 2, {}},
  };
  for (size_t i = 0; i < steps.size(); ++i) {
    std::vector<uint8_t> data = steps[i].data;
    uint8_t status = 0xEE;
    ASSERT_TRUE(Send(steps[i].command, data, status)) << i;
    EXPECT_EQ(status, steps[i].status) << "step " << i;
    if (status == 0) {
      EXPECT_EQ(data, steps[i].reply) << "step " << i;
    }
  }
}

TEST_F(TransportSim, PartitioningMakesTheRawPrivateDiskReachable) {
  Platform& ports = Ports();
  long error = 0;
  EXPECT_EQ(ports.storage->OpenRaw(L"\\\\.\\PhysicalDrive2", error), nullptr);
  uint8_t size[4] = {0, 1, 0, 0};
  ASSERT_TRUE(SendScsi(ScsiTarget::Interface(FieldText(GlobalDiskList().disks[1].interfacePath), true),
                       Cmd({0xE6}, DataDirection::Out, 4, 6, true), size));
  auto raw = ports.storage->OpenRaw(L"\\\\.\\PhysicalDrive2", error);
  ASSERT_NE(raw, nullptr) << error;
  std::vector<uint8_t> sector(512, 0x5C);
  EXPECT_EQ(raw->Write(0, sector.data(), 512), 0);
  EXPECT_EQ(raw->Write(65535ull * 512, sector.data(), 512), 0);
  EXPECT_EQ(raw->Write(65536ull * 512, sector.data(), 512), 27);  // past the private disk
  EXPECT_EQ(raw->Read(1, sector.data(), 512), 87);                 // whole sectors only
  auto whole = ports.storage->OpenRaw(L"\\\\.\\PhysicalDrive1", error);
  ASSERT_NE(whole, nullptr);
  std::vector<uint8_t> back(512, 0);
  EXPECT_EQ(whole->Read(0, back.data(), 512), 0);
  EXPECT_EQ(back[510], 0x55);  // the public disk's own table is untouched
  auto volume = ports.storage->OpenRaw(L"\\\\.\\E:", error);
  ASSERT_NE(volume, nullptr);
  EXPECT_EQ(volume->Lock(), 0);
  EXPECT_EQ(volume->Dismount(), 0);
  EXPECT_EQ(volume->Read(0, back.data(), 512), 0);
  EXPECT_EQ(GetLe32(back.data() + 67), 0x5A450002u);  // the boot sector's serial
  EXPECT_EQ(volume->Unlock(), 0);
}

}  // namespace
}  // namespace zel
