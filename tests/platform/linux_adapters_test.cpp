// The Linux device tree over a sysfs-shaped directory: a USB enclosure with
// two units, one of them partitioned, and an internal disk.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/linux/linux_ports.h"

namespace zel {
namespace {

namespace fs = std::filesystem;

class LinuxTree : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::path(::testing::TempDir()) / "zel_sysfs";
    fs::remove_all(root_);
    const fs::path usb = root_ / "devices/pci0/usb1/1-2";
    Write(usb / "idVendor", "3f1a");
    Write(usb / "idProduct", "0c35");
    Write(usb / "bcdDevice", "0100");
    Write(usb / "busnum", "1");
    Write(usb / "product", "One Touch");
    AddDisk("sdc", usb / "1-2:1.0/host6/target6:0:0/6:0:0:1/block", "ZELTECH", "ONE TOUCH DISK");
    AddDisk("sdb", usb / "1-2:1.0/host6/target6:0:0/6:0:0:0/block", "ZELTECH", "ONE TOUCH DISK");
    Write(usb / "1-2:1.0/host6/target6:0:0/6:0:0:0/block/sdb/sdb1/partition", "1");
    AddDisk("sda", root_ / "devices/pci0/ata1/host0/target0:0:0/0:0:0:0/block", "ATA", "ST380011A");
    AddDisk("loop0", root_ / "devices/virtual/block", "", "");
    fs::create_directories(root_ / "bus/usb/devices");
    fs::create_directory_symlink(usb, root_ / "bus/usb/devices/1-2");
    fs::create_directories(root_ / "bus/usb/devices/1-2:1.0");  // an interface, not a device
  }
  void TearDown() override { fs::remove_all(root_); }
  static void Write(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file) << text << "\n";
  }
  void AddDisk(const std::string& name, const fs::path& blockDir, const std::string& vendor, const std::string& model) {
    Write(blockDir / name / "dev", "8:0");
    if (!vendor.empty()) {
      Write(blockDir / name / "device/vendor", vendor + "  ");
      Write(blockDir / name / "device/model", model);
    }
    fs::create_directories(root_ / "block");
    fs::create_directory_symlink(blockDir / name, root_ / "block" / name);
  }
  fs::path root_;
};

TEST_F(LinuxTree, EnclosureUnitsAreChildrenOfTheirUsbDevice) {
  linux_adapters::SysfsNodes nodes(root_.string());
  linux_adapters::LinuxDeviceTree tree(nodes);
  const auto usb = tree.PresentInterfaces(kGuidDevInterfaceUsbDevice, 64);
  ASSERT_EQ(usb.size(), 1u);
  std::wstring id;
  ASSERT_TRUE(tree.Property(usb[0].inst, DeviceProperty::HardwareId, 1024, id));
  EXPECT_EQ(id, L"USB\\VID_3F1A&PID_0C35&REV_0100");

  const auto disks = tree.PresentInterfaces(kGuidDevInterfaceDisk, 64);
  ASSERT_EQ(disks.size(), 3u);  // sda, sdb, sdc; no loop device
  EXPECT_EQ(disks[1].path, L"/dev/sdb");
  DevInst child = 0, sibling = 0, parent = 0;
  ASSERT_EQ(tree.FirstChild(usb[0].inst, child), 0u);
  EXPECT_EQ(child, disks[1].inst);  // LUN 0 first
  ASSERT_EQ(tree.NextSibling(child, sibling), 0u);
  EXPECT_EQ(sibling, disks[2].inst);
  EXPECT_EQ(tree.NextSibling(sibling, sibling), 13u);
  ASSERT_EQ(tree.Parent(disks[2].inst, parent), 0u);
  EXPECT_EQ(parent, usb[0].inst);
  EXPECT_EQ(tree.Parent(disks[0].inst, parent), 13u);  // the internal disk has no USB device above it

  std::wstring name;
  ASSERT_TRUE(tree.Property(disks[1].inst, DeviceProperty::FriendlyName, 80, name));
  EXPECT_EQ(name, L"ZELTECH ONE TOUCH DISK USB Device");
  ASSERT_TRUE(tree.Property(disks[0].inst, DeviceProperty::FriendlyName, 80, name));
  EXPECT_EQ(name, L"ATA ST380011A");
  EXPECT_FALSE(tree.Property(disks[1].inst, DeviceProperty::FriendlyName, 40, name));  // does not fit

  const auto volumes = tree.PresentInterfaces(kGuidDevInterfaceVolume, 64);
  ASSERT_EQ(volumes.size(), 1u);
  EXPECT_EQ(volumes[0].path, L"/dev/sdb1");
  ASSERT_EQ(tree.FirstChild(disks[1].inst, child), 0u);
  EXPECT_EQ(child, volumes[0].inst);
  ASSERT_EQ(tree.Parent(volumes[0].inst, parent), 0u);
  EXPECT_EQ(parent, disks[1].inst);
  EXPECT_TRUE(tree.EnumeratorDevices(L"USB", 64).empty());
}

TEST(LinuxDrives, LettersFromTheEnvironmentText) {
  const auto letters = linux_adapters::ParseDriveLetters("e=/media/zel;F=/mnt/private dir;bad;GG=/x;H=");
  ASSERT_EQ(letters.size(), 2u);
  EXPECT_EQ(letters.at(L'E'), "/media/zel");
  EXPECT_EQ(letters.at(L'F'), "/mnt/private dir");
  const linux_adapters::SysfsNodes nodes;
  EXPECT_EQ(linux_adapters::DeviceNode(nodes, L"/dev/sdb1"), "/dev/sdb1");
  EXPECT_EQ(linux_adapters::DeviceNode(nodes, L"\\\\?\\usbstor#disk"), "");
  EXPECT_EQ(linux_adapters::ErrorFromErrno(ENOENT), 2);
  EXPECT_EQ(linux_adapters::ErrorFromErrno(EACCES), 5);
}

}  // namespace
}  // namespace zel
