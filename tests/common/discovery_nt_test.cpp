#include <gtest/gtest.h>

#include "common/discovery.h"
#include "common/hardware_list.h"
#include "tests/support/sim_machine.h"

namespace zel {
namespace {

using test::SimMachineTest;

class DiscoveryNt : public SimMachineTest {
 protected:
  DiskList list_;
  long Run() { return DiscoverNt(list_); }
  const DiskRecord* ByLetter(wchar_t letter) {
    for (uint32_t i = 0; i < list_.count; ++i) {
      for (uint16_t k = 0; k < list_.disks[i].volumeCount; ++k) {
        if (list_.disks[i].volumes[k].driveLetter == letter) return &list_.disks[i];
      }
    }
    return nullptr;
  }
};

TEST_F(DiscoveryNt, DefaultMachineListsEveryDiskAndMarksTheEnclosure) {
  Create();
  ASSERT_EQ(Run(), 0);
  ASSERT_EQ(list_.count, 3u);  // internal disk, enclosure disk, CD-ROM after the disks
  const DiskRecord& hd = list_.disks[0];
  EXPECT_EQ(hd.identity, 0x1A2B3C4Du);
  EXPECT_EQ(hd.present, 0);
  EXPECT_EQ(hd.fixedMedia, 1);
  EXPECT_EQ(hd.diskSize, 9729ull * 255 * 63 * 512);
  EXPECT_EQ(FieldText(hd.friendlyName), L"ST380011A");
  ASSERT_EQ(hd.volumeCount, 1);
  EXPECT_EQ(hd.volumes[0].driveLetter, u'C');
  EXPECT_EQ(hd.volumes[0].bootFlag, 1);
  EXPECT_EQ(hd.volumes[0].volumeNumber, 1);
  EXPECT_EQ(FieldText(hd.volumes[0].fileSystem), L"NTFS");
  EXPECT_EQ(hd.volumes[0].totalMb, 80023749120ull / 4096 / 256);

  const DiskRecord& enc = list_.disks[1];
  EXPECT_EQ(enc.present, 1);
  EXPECT_EQ(enc.identity, 0x5A454C01u);
  EXPECT_EQ(FieldText(enc.interfacePath), simPorts->deviceTree.PresentInterfaces(kGuidDevInterfaceDisk, 64)[1].path);
  ASSERT_EQ(enc.volumeCount, 1);
  EXPECT_EQ(enc.volumes[0].driveLetter, u'E');
  EXPECT_EQ(FieldText(enc.volumes[0].label), L"ZELDISK");
  EXPECT_EQ(enc.volumes[0].totalMb, 63u);  // (64 MiB - 1 MiB) in 4 KiB clusters
  EXPECT_EQ(enc.volumes[0].freeMb, 63u);

  const DiskRecord& cd = list_.disks[2];
  EXPECT_EQ(cd.fixedMedia, 0);
  EXPECT_EQ(cd.volumes[0].driveLetter, u'D');
  EXPECT_EQ(FieldText(cd.volumes[0].fileSystem), L"CDFS");
}

// A list is emptied only as far as it holds records (and as far as the new
// ones reach): whatever it held before, a discovery gives what a first one
// gives, and a slot a shorter list leaves is emptied.
TEST_F(DiscoveryNt, AnotherDiscoveryGivesWhatAFirstOneGives) {
  Create();
  ASSERT_EQ(Run(), 0);
  ASSERT_EQ(list_.count, 3u);
  const DiskList first = list_;
  DiskRecord junk;
  junk.identity = 0xDEADBEEF;
  junk.volumeCount = 5;
  junk.volumes[3].driveLetter = u'Q';
  SetFieldText(junk.friendlyName, L"junk");
  for (uint32_t i = 0; i < 3; ++i) list_.disks[i] = junk;
  list_.count = 1;  // the others lie past the count, and are filled again all the same
  ASSERT_EQ(Run(), 0);
  ASSERT_EQ(list_.count, first.count);
  for (size_t i = 0; i < kMaxDisks; ++i) EXPECT_EQ(list_.disks[i], first.disks[i]) << "slot " << i;

  sim::Machine m = Machine();
  std::string cdrom;
  for (const sim::SimDisk& d : m.disks) {
    if (d.media == sim::Media::Cdrom) cdrom = d.id;
  }
  std::erase_if(m.disks, [&](const sim::SimDisk& d) { return d.id == cdrom; });
  std::erase_if(m.volumes, [&](const sim::SimVolume& v) { return v.disk == cdrom; });
  Save(m);
  ASSERT_EQ(Run(), 0);
  ASSERT_EQ(list_.count, 2u);
  EXPECT_EQ(list_.disks[1].identity, first.disks[1].identity);
  EXPECT_EQ(list_.disks[2], DiskRecord{});
}

TEST_F(DiscoveryNt, TwoUnitsOfOneUsbDeviceAreBothPresent) {
  Create();
  std::string error;
  ASSERT_TRUE(sim::AddLun(dir, 1, 16, error)) << error;
  ASSERT_EQ(Run(), 0);
  ASSERT_EQ(list_.count, 4u);
  ASSERT_NE(ByLetter(L'E'), nullptr);
  ASSERT_NE(ByLetter(L'G'), nullptr);  // F stays with the first unit's private disk
  EXPECT_EQ(ByLetter(L'E')->present, 1);
  EXPECT_EQ(ByLetter(L'G')->present, 1);
  EXPECT_EQ(ByLetter(L'C')->present, 0);
}

TEST_F(DiscoveryNt, RecognisedPartitionWithoutVolumeKeepsAnEmptyEntry) {
  Create();
  sim::Machine m = Machine();
  for (sim::SimDisk& d : m.disks) {
    if (d.id != "hd0") continue;
    d.partitions = {{32256, 1000000000, 0x07, true, true},
                    {1000032256, 9000000000, 0x05, false, false},  // extended
                    {1000064512, 4000000000, 0x07, false, true}};  // logical, not mounted
  }
  Save(m);
  ASSERT_EQ(Run(), 0);
  const DiskRecord& hd = list_.disks[0];
  ASSERT_EQ(hd.volumeCount, 2);
  EXPECT_EQ(hd.volumes[0].driveLetter, u'C');
  EXPECT_EQ(hd.volumes[1].driveLetter, 0);
  EXPECT_EQ(hd.volumes[1].volumeNumber, 0);
}

TEST_F(DiscoveryNt, RemovableDiskTakesItsLetterFromTheMountedDeviceTable) {
  Create();
  sim::Machine m = Machine();
  for (sim::SimDisk& d : m.disks) {
    if (d.enclosure == "enc1") d.media = sim::Media::Removable;
  }
  Save(m);
  ASSERT_EQ(Run(), 0);
  const DiskRecord& enc = list_.disks[1];
  EXPECT_EQ(enc.fixedMedia, 0);
  EXPECT_EQ(enc.identity, 0u);
  ASSERT_EQ(enc.volumeCount, 1);
  EXPECT_EQ(enc.volumes[0].driveLetter, u'E');
  EXPECT_EQ(FieldText(enc.volumes[0].label), L"ZELDISK");
  const auto volumes = simPorts->deviceTree.PresentInterfaces(kGuidDevInterfaceVolume, 64);
  ASSERT_LT(enc.volumeInterfaceIndex, volumes.size());
  EXPECT_NE(volumes[enc.volumeInterfaceIndex].path.find(L"enc1d0"), std::wstring::npos);
  EXPECT_EQ(enc.present, 1);

  // Without its table entry the disk keeps one entry and no letter.
  simPorts->registry.DeleteValue(RegRoot::LocalMachine, L"SYSTEM\\MountedDevices", L"\\DosDevices\\E:");
  ASSERT_EQ(Run(), 0);
  EXPECT_EQ(list_.disks[1].volumeCount, 1);
  EXPECT_EQ(list_.disks[1].volumes[0].driveLetter, 0);
}

TEST_F(DiscoveryNt, CdromWithoutLetterLeavesItsSlotToTheNext) {
  Create();
  sim::Machine m = Machine();
  sim::SimDisk empty;
  empty.id = "cdA";
  empty.media = sim::Media::Cdrom;
  m.disks.insert(m.disks.begin(), empty);  // first in interface order, no volume at all
  sim::SimDisk blank = empty;
  blank.id = "cdB";
  m.disks.insert(m.disks.begin() + 1, blank);
  sim::SimVolume noLetter;
  noLetter.id = "blank";
  noLetter.disk = "cdB";
  noLetter.partition = 0;  // a medium without a drive letter
  m.volumes.push_back(noLetter);
  Save(m);
  ASSERT_EQ(Run(), 0);
  ASSERT_EQ(list_.count, 3u);
  EXPECT_EQ(list_.disks[2].volumes[0].driveLetter, u'D');
  EXPECT_EQ(list_.disks[3], DiskRecord{});
}

TEST_F(DiscoveryNt, HardwareListDecidesWhatIsPresent) {
  struct Case {
    const wchar_t* count;
    const wchar_t* entry;
    uint8_t present;
  } cases[] = {
      {L"1", L"usb\\vid_3f1a&pid_0c35", 1},  // lower-case prefix
      {L"1", L"USB\\VID_3F1A", 1},
      {L"1", L"USB\\VID_3F1A&PID_0C36", 0},
      {L"1", L"", 0},  // an empty entry matches nothing
      {L"0", L"USB\\VID_3F1A&PID_0C35", 0},
      {L"-5", L"USB\\VID_3F1A&PID_0C35", 0},
      {L"many", L"USB\\VID_3F1A&PID_0C35", 0},
  };
  Create();
  for (const Case& c : cases) {
    profile.values = {{L"DeviceCount", c.count}, {L"Device00", c.entry}};
    LoadHardwareList(L"config.ini");
    ASSERT_EQ(Run(), 0);
    EXPECT_EQ(list_.disks[1].present, c.present) << c.count << " " << c.entry;
    EXPECT_EQ(list_.count, 3u);
  }
  // The 8-bit tools read the same list through the 8-bit profile calls.
  profile.values = {{L"DeviceCount", L"1"}, {L"Device00", L"usb\\vid_3f1a&pid_0c36"}};
  LoadHardwareListA("config.ini");
  EXPECT_TRUE(MatchHardwareId(L"USB\\VID_3F1A&PID_0C36&REV_0100"));
  EXPECT_FALSE(MatchHardwareId(L"USB\\VID_3F1A&PID_0C35&REV_0100"));
  profile.values = {{L"DeviceCount", L"2000000000"}};
  LoadHardwareList(L"config.ini");
  EXPECT_EQ(HardwareListSize(), static_cast<size_t>(kMaxHardwareIds));
  EXPECT_FALSE(MatchHardwareId(L"USB\\VID_3F1A&PID_0C35&REV_0100"));  // "BADID" entries
}

TEST_F(DiscoveryNt, FreeSpaceFailureEndsThePassWithItsCode) {
  Create();
  Fault("not-ready", "E:1");
  EXPECT_EQ(Run(), 21);
  for (uint32_t i = 0; i < kMaxDisks; ++i) EXPECT_EQ(list_.disks[i].present, 0);
  EXPECT_EQ(Run(), 0);  // mounted by the next pass
  EXPECT_EQ(list_.disks[1].present, 1);
}

TEST_F(DiscoveryNt, VistaSearchesTheTableWithTheDiskPath) {
  Create();
  sim::Machine m = Machine();
  m.version = {6, 0, 6000};
  for (sim::SimDisk& d : m.disks) {
    if (d.enclosure == "enc1") d.media = sim::Media::Removable;
  }
  Save(m);
  const std::wstring diskPath = simPorts->deviceTree.PresentInterfaces(kGuidDevInterfaceDisk, 64)[1].path;
  RegValue v = RegString(L"\\DosDevices\\K:", L"\\??\\" + diskPath.substr(4));
  v.data.resize(v.data.size() - 2);  // stored without the terminator
  ASSERT_EQ(simPorts->registry.WriteValue(RegRoot::LocalMachine, L"SYSTEM\\MountedDevices", v), 0);
  ASSERT_EQ(Run(), 0);
  EXPECT_EQ(list_.disks[1].volumes[0].driveLetter, u'K');
}

TEST_F(DiscoveryNt, ManyDisksVolumesAndInterfacesStayInBounds) {
  Create();
  sim::Machine m = Machine();
  sim::SimDisk big;
  big.id = "big";
  big.bytes = 100ull << 30;
  big.signature = 0xB16;
  for (int p = 0; p < 20; ++p) {
    big.partitions.push_back({(p + 1) * 1048576ll, 1048576, 0x07, false, true});
    sim::SimVolume v;
    v.id = "bv" + std::to_string(p);
    v.disk = "big";
    v.partition = p + 1;
    v.number = static_cast<uint32_t>(10 + p);
    v.letter = static_cast<char>('G' + p);
    v.capacity = 1048576;
    m.volumes.push_back(v);
  }
  m.disks.insert(m.disks.begin(), big);
  for (int i = 0; i < 70; ++i) {
    sim::SimDisk d;
    d.id = "x" + std::to_string(i);
    d.bytes = 1 << 30;
    m.disks.push_back(d);
  }
  Save(m);
  ASSERT_EQ(Run(), 0);
  EXPECT_EQ(list_.count, kMaxDisks);  // 64 interfaces seen, 32 kept, no room for the CD-ROM
  EXPECT_EQ(list_.disks[0].volumeCount, kMaxVolumes);
  EXPECT_EQ(list_.disks[0].volumes[15].driveLetter, u'V');
  EXPECT_EQ(list_.disks[1].volumes[0].driveLetter, u'C');
}

}  // namespace
}  // namespace zel
