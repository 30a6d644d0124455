// Discovery, drive letters and the guard against writing under a mounted
// file system, over sysfs trees of a real enclosure, a two-LUN enclosure, an
// internal disk and a USB stick (see sysfs/).
#include <gtest/gtest.h>

#include <filesystem>
#include <cstdlib>
#include <fstream>

#include "common/discovery.h"
#include "common/hardware_list.h"
#include "platform/linux/linux_ports.h"
#include "platform/posix/posix_profile.h"
#include "tests/platform/sysfs_fixture.h"

namespace zel {
namespace {

namespace fs = std::filesystem;
using testing_sysfs::SysfsMachine;

// The adapters over one machine, with the enclosure's identifier listed.
class OnMachine {
 public:
  explicit OnMachine(SysfsMachine& m) : nodes_(m.Roots()), tree_(nodes_), storage_(nodes_) {
    const fs::path config = m.Root() / "config.ini";
    std::ofstream(config) << "[HardwareID]\nDeviceCount=1\nDevice00=usb\\vid_3f1a&pid_0c35\n";
    Platform p;
    p.profile = &profile_;
    p.deviceTree = &tree_;
    p.storage = &storage_;
    p.family = SystemFamily::Nt;
    scoped_ = std::make_unique<ScopedPorts>(p);
    LoadHardwareList(config.wstring());
  }
  ~OnMachine() { FreeHardwareList(); }
  linux_adapters::SysfsNodes& Nodes() { return nodes_; }
  linux_adapters::LinuxDeviceTree& Tree() { return tree_; }
  linux_adapters::LinuxStorage& Storage() { return storage_; }
  DiskList Discover() {
    DiskList list;
    EXPECT_EQ(DiscoverNt(list), 0);
    return list;
  }

 private:
  linux_adapters::SysfsNodes nodes_;
  linux_adapters::LinuxDeviceTree tree_;
  linux_adapters::LinuxStorage storage_;
  posix::PosixProfile profile_;
  std::unique_ptr<ScopedPorts> scoped_;
};

TEST(LinuxDiscovery, EnclosureDiskIsPresentWithItsMountedPartition) {
  SysfsMachine m({"enclosure.tree"});
  const std::string dir = m.Mount("sdb1");
  fs::create_directories(m.Root() / "dev/disk/by-label");
  fs::create_symlink("../../sdb1", m.Root() / "dev/disk/by-label/ONE\\x20TOUCH");
  OnMachine on(m);
  on.Nodes().SetDriveLetters({{L'E', dir}, {L'F', "/nowhere"}});
  const DiskList list = on.Discover();
  ASSERT_EQ(list.count, 2u);
  const DiskRecord& internal = list.disks[0];
  const DiskRecord& enclosure = list.disks[1];
  EXPECT_EQ(internal.present, 0);
  EXPECT_EQ(FieldText(internal.friendlyName), L"ATA ST9160821AS");
  EXPECT_EQ(internal.identity, m.Signature("sda"));
  EXPECT_EQ(internal.volumeCount, 1u);
  EXPECT_EQ(internal.volumes[0].driveLetter, 0);  // not mounted: an entry without a letter

  EXPECT_EQ(enclosure.present, 1);
  EXPECT_EQ(enclosure.fixedMedia, 1);
  EXPECT_EQ(FieldText(enclosure.friendlyName), L"ZELTECH ONE TOUCH DISK USB Device");
  EXPECT_EQ(FieldText(enclosure.interfacePath), L"/dev/sdb");
  EXPECT_EQ(enclosure.identity, m.Signature("sdb"));
  EXPECT_EQ(enclosure.diskSize, 38913ull * 255 * 63 * 512);  // whole cylinders of 625142448 sectors
  ASSERT_EQ(enclosure.volumeCount, 1u);
  EXPECT_EQ(enclosure.volumes[0].driveLetter, u'E');
  EXPECT_EQ(FieldText(enclosure.volumes[0].label), L"ONE TOUCH");
  EXPECT_EQ(FieldText(enclosure.volumes[0].fileSystem), L"FAT32");
  EXPECT_GT(enclosure.volumes[0].totalMb, 0u);
}

TEST(LinuxDiscovery, BothUnitsOfATwoLunEnclosureArePresentInUnitOrder) {
  SysfsMachine m({"two-lun.tree"});
  OnMachine on(m);
  const DiskList list = on.Discover();
  ASSERT_EQ(list.count, 2u);
  EXPECT_EQ(list.disks[0].present, 1);
  EXPECT_EQ(list.disks[1].present, 1);
  const auto usb = on.Tree().PresentInterfaces(kGuidDevInterfaceUsbDevice, 64);
  ASSERT_EQ(usb.size(), 1u);
  DevInst first = 0, second = 0;
  ASSERT_EQ(on.Tree().FirstChild(usb[0].inst, first), 0u);
  ASSERT_EQ(on.Tree().NextSibling(first, second), 0u);
  EXPECT_EQ(on.Nodes().PathOf(first).substr(on.Nodes().PathOf(first).size() - 3), "sdd");  // LUN 0
  EXPECT_EQ(on.Nodes().PathOf(second).substr(on.Nodes().PathOf(second).size() - 3), "sdc");  // LUN 1
  EXPECT_NE(on.Tree().NextSibling(second, second), 0u);
}

TEST(LinuxDiscovery, InternalDiskAndForeignStickAreListedButNotPresent) {
  SysfsMachine m({"internal-disk.tree", "usb-stick.tree"});
  OnMachine on(m);
  const DiskList list = on.Discover();
  ASSERT_EQ(list.count, 2u);
  const DiskRecord& stick = list.disks[0];     // sde
  const DiskRecord& internal = list.disks[1];  // vda
  EXPECT_EQ(FieldText(stick.interfacePath), L"/dev/sde");
  EXPECT_EQ(stick.present, 0);
  EXPECT_EQ(stick.fixedMedia, 0);  // removable media
  EXPECT_EQ(FieldText(internal.interfacePath), L"/dev/vda");
  EXPECT_EQ(internal.present, 0);
  EXPECT_EQ(internal.fixedMedia, 1);
  EXPECT_EQ(internal.volumeCount, 0u);  // a file system on the whole disk, no table
  std::wstring id;
  const auto usb = on.Tree().PresentInterfaces(kGuidDevInterfaceUsbDevice, 64);
  ASSERT_EQ(usb.size(), 1u);
  ASSERT_TRUE(on.Tree().Property(usb[0].inst, DeviceProperty::HardwareId, 1024, id));
  EXPECT_EQ(id, L"USB\\VID_0951&PID_1666&REV_0110");
}

TEST(LinuxDriveLetters, FileKeepsLettersAcrossRunsAndGivesNewMountsTheFirstFreeOne) {
  SysfsMachine m({"enclosure.tree", "two-lun.tree"});
  linux_adapters::SysfsNodes nodes(m.Roots());
  const std::string file = (m.Root() / "config/zel/drives").string();
  const std::string a = m.Mount("sdb1");
  const std::string b = m.Mount("sda1", "ext4");
  m.Mount("sda1", "ext4");  // a second mount of the same partition gets no second letter
  linux_adapters::LetterMap letters;
  std::string error;
  ASSERT_TRUE(linux_adapters::LoadDriveLetters(nodes, file, letters, error)) << error;
  EXPECT_EQ(letters, (linux_adapters::LetterMap{{L'D', a}, {L'E', b}}));

  // Edited by hand: D: given to another directory; the enclosure's partition
  // moves to the next free letter, and a new mount follows it.
  {
    std::ofstream edit(file);
    edit << "# mine\nD=/srv/archive\nE=" << b << "\nbad line\n";
  }
  const std::string c = m.Mount("sdd1");
  ASSERT_TRUE(linux_adapters::LoadDriveLetters(nodes, file, letters, error)) << error;
  EXPECT_EQ(letters, (linux_adapters::LetterMap{{L'D', "/srv/archive"}, {L'E', b}, {L'F', a}, {L'G', c}}));

  // The next run reads the same letters back without writing.
  const auto written = fs::last_write_time(file);
  linux_adapters::LetterMap again;
  ASSERT_TRUE(linux_adapters::LoadDriveLetters(nodes, file, again, error));
  EXPECT_EQ(again, letters);
  EXPECT_EQ(fs::last_write_time(file), written);
  EXPECT_FALSE(fs::exists(file + ".new"));
}

TEST(LinuxDriveLetters, OnlyLettersWithAVolumeMountedNowAreDrives) {
  if (std::getenv("ZEL_DRIVES") != nullptr) GTEST_SKIP() << "ZEL_DRIVES names every letter a drive";
  SysfsMachine m({"enclosure.tree"});
  const std::string mounted = m.Mount("sdb1");
  const fs::path empty = m.Root() / "media/gone";  // an empty mount point left behind
  fs::create_directories(empty);
  linux_adapters::SysfsNodes nodes(m.Roots());
  nodes.SetDriveLetters({{L'D', empty.string()}, {L'E', mounted}});
  const std::vector<DriveMapping> drives = linux_adapters::MountedDriveMap(nodes);
  ASSERT_EQ(drives.size(), 1u);
  EXPECT_EQ(drives[0].letter, L'E');
  EXPECT_EQ(drives[0].hostDirectory, mounted);
}

TEST(LinuxDriveLetters, NoLetterIsGivenPastZ) {
  linux_adapters::LetterMap letters;
  for (wchar_t l = L'D'; l <= L'Y'; ++l) letters[l] = "/m/" + std::to_string(l);
  EXPECT_EQ(linux_adapters::ExtendDriveLetters(letters, {"/m/68", "/a", "/b"}), std::vector<wchar_t>{L'Z'});
  EXPECT_EQ(letters.at(L'Z'), "/a");
  EXPECT_EQ(letters.size(), 23u);
}

TEST(LinuxDriveLetters, AFileThatCannotBeWrittenIsReported) {
  SysfsMachine m({"enclosure.tree"});
  m.Mount("sdb1");
  linux_adapters::SysfsNodes nodes(m.Roots());
  std::ofstream(m.Root() / "blocker") << "a file where the directory should be";
  linux_adapters::LetterMap letters;
  std::string error;
  EXPECT_FALSE(linux_adapters::LoadDriveLetters(nodes, (m.Root() / "blocker/zel/drives").string(), letters, error));
  EXPECT_NE(error.find("cannot write the drive letters"), std::string::npos);
  EXPECT_EQ(letters.size(), 1u);  // still given for this run
}

std::string Bytes(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(LinuxStorageGuard, AWholeDiskIsNotOpenedWhileAnyPartitionIsMountedLetterOrNot) {
  SysfsMachine m({"enclosure.tree"});
  linux_adapters::SysfsNodes nodes(m.Roots());
  nodes.SetDriveLetters({});  // the mounted partition has no letter
  linux_adapters::LinuxStorage storage(nodes);
  const std::string before = Bytes(m.DevFile("sdb"));
  m.Mount("sdb1");
  long error = 0;
  EXPECT_EQ(storage.OpenRaw(L"/dev/sdb", error), nullptr);
  EXPECT_EQ(error, 170);
  EXPECT_NE(linux_adapters::DeviceAccessNotice().find("/dev/sdb1 is mounted"), std::string::npos);
  EXPECT_TRUE(Bytes(m.DevFile("sdb")) == before) << "the disk changed";
  // The other disk, with nothing mounted, opens.
  auto internal = storage.OpenRaw(L"/dev/sda", error);
  ASSERT_NE(internal, nullptr);
  EXPECT_EQ(error, 0);
}

}  // namespace
}  // namespace zel
