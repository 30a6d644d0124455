#include <gtest/gtest.h>

#include "common/aspi.h"
#include "common/discovery.h"
#include "common/transport.h"
#include "tests/support/sim_machine.h"

namespace zel {
namespace {

using test::SimMachineTest;

class Discovery98 : public SimMachineTest {
 protected:
  void SetUp() override {
    SimMachineTest::SetUp();
    sim::CreateOptions o;
    o.windows98 = true;
    Create(o);
    ASSERT_TRUE(LoadAspi());
  }
  void TearDown() override {
    UnloadAspi();
    SimMachineTest::TearDown();
  }
  DiskList list_;
};

TEST_F(Discovery98, IdeDiskAndEnclosureWithItsHostAdapter) {
  ASSERT_EQ(Discover98(list_), 0);
  ASSERT_EQ(list_.count, 2u);  // the CD-ROM's first letter is a CD-ROM drive: skipped
  const DiskRecord& hd = list_.disks[0];
  EXPECT_EQ(FieldText(hd.busKind), L"ide");
  EXPECT_EQ(hd.identity, 0x0C0FFEE0u);
  EXPECT_EQ(hd.present, 0);
  EXPECT_EQ(FieldText(hd.friendlyName), L"ST380011A");
  ASSERT_EQ(hd.volumeCount, 1);
  EXPECT_EQ(hd.volumes[0].totalMb, static_cast<uint32_t>(80023749120ull >> 20));

  const DiskRecord& enc = list_.disks[1];
  EXPECT_EQ(FieldText(enc.busKind), L"usbstor");
  EXPECT_EQ(enc.present, 1);
  EXPECT_EQ(enc.aspiHostAdapter, 0);
  EXPECT_EQ(enc.identity, 0x5A450002u);
  EXPECT_EQ(FieldText(enc.friendlyName), L"ZELTECH  ONE TOUCH DISK  ");
  EXPECT_EQ(enc.volumes[0].driveLetter, u'E');
  EXPECT_EQ(FieldText(enc.volumes[0].label), L"ZELDISK");
}

TEST_F(Discovery98, IdeDiskWithTwoLettersGetsTwoEntries) {
  sim::Machine m = Machine();
  m.disks[0].partitions.push_back({80023781376ll, 1048576, 0x0B, false, true});
  m.disks[0].partitions[0].length = 40000000000ll;
  for (sim::SimVolume& v : m.volumes) {
    if (v.letter == 'D') v.letter = 'R';  // the CD-ROM moves out of the way
  }
  sim::SimVolume d;
  d.id = "data";
  d.disk = "hd0";
  d.partition = 2;
  d.letter = 'D';
  d.dir = "drives/D2";
  d.capacity = 1048576;
  m.volumes.push_back(d);
  Save(m);
  ASSERT_EQ(Discover98(list_), 0);
  ASSERT_EQ(list_.disks[0].volumeCount, 2);
  EXPECT_EQ(list_.disks[0].volumes[0].driveLetter, u'C');
  EXPECT_EQ(list_.disks[0].volumes[1].driveLetter, u'D');
}

TEST_F(Discovery98, UsbDiskWhoseFirstLetterIsACdromIsSkipped) {
  sim::Machine m = Machine();
  sim::SimDisk cd;
  cd.id = "usbcd";
  cd.media = sim::Media::Cdrom;
  cd.usb = "usb1";
  m.disks.insert(m.disks.begin() + 2, cd);
  sim::SimVolume v;
  v.id = "usbcdv";
  v.disk = "usbcd";
  v.partition = 0;
  v.letter = 'R';
  v.dir = "drives/R";
  m.volumes.push_back(v);
  Save(m);
  ASSERT_EQ(Discover98(list_), 0);
  ASSERT_EQ(list_.count, 2u);
  EXPECT_EQ(list_.disks[1].volumes[0].driveLetter, u'E');
}

TEST_F(Discovery98, SecondResolutionMatchesByInquiryAndBootSectorSerial) {
  sim::Machine m = Machine();
  m.enclosures[0].vendor = "ZEL_TECH";  // underscores read as blanks on both sides
  for (sim::SimDisk& d : m.disks) {
    if (d.enclosure == "enc1") d.bios = -1;  // no Int 13h unit: the first resolution finds nothing
  }
  Save(m);
  EXPECT_EQ(ResolveAspiHostAdapter('E'), kNoAspiAdapter);
  ASSERT_EQ(Discover98(list_), 0);
  EXPECT_EQ(list_.disks[1].aspiHostAdapter, 0);

  // A different serial in the boot sector: no adapter.
  for (sim::SimVolume& v : m.volumes) {
    if (v.letter == 'E') v.serial = 0x12345678;
  }
  Save(m);
  ASSERT_EQ(Discover98(list_), 0);
  EXPECT_EQ(list_.disks[1].aspiHostAdapter, kNoAspiAdapter);
}

TEST_F(Discovery98, MissingVwin32IsReportedAndTakesAdapterZero) {
  Fault("vwin32-missing");
  EXPECT_EQ(ResolveAspiHostAdapter('E'), 0);
  ASSERT_EQ(prompter.Count(), 1u);
  EXPECT_EQ(prompter.Boxes()[0].text, L"Can not open vwin32.vxd.");
  EXPECT_EQ(ResolveAspiHostAdapterById("ZELTECH_ONE_TOUCH_DISK__0100", 'E'), kNoAspiAdapter);
  EXPECT_EQ(prompter.Count(), 2u);
}

TEST_F(Discovery98, FreeSpaceFailureOfTheEnclosureEndsThePass) {
  Fault("not-ready", "E:1");
  EXPECT_EQ(Discover98(list_), 21);
  EXPECT_EQ(list_.count, 1u);
  EXPECT_EQ(Discover98(list_), 0);
  EXPECT_EQ(list_.count, 2u);
}

TEST_F(Discovery98, AspiRequests) {
  EXPECT_EQ(ReadButtonStatusAspi(0), 0xFF);
  std::string error;
  ASSERT_TRUE(sim::PressButton(dir, 1, 1, error));
  EXPECT_EQ(ReadButtonStatusAspi(0), 0xFD);
  EXPECT_EQ(ReadButtonStatusAspi(7), 0xFF);  // no such adapter
  Fault("no-event");
  EXPECT_EQ(ReadButtonStatusAspi(0), 0xFF);  // a read needs its event
  WriteButtonStatusAspi(0, 0xFF);            // a write polls instead
  Fault("no-event", "0");
  EXPECT_EQ(ReadButtonStatusAspi(0), 0xFF);
  ASSERT_TRUE(sim::PressButton(dir, 1, 1, error));
  Fault("aspi-timeout");
  EXPECT_EQ(ReadButtonStatusAspi(0), 0xFF);
  uint8_t reg = 0;
  EXPECT_FALSE(ReadBridgeRegister(L'E', 0, 2, 1, &reg));  // no pass-through on this family
}

TEST(AspiLoad, NeedsTheLibraryBothEntriesAndReadiness) {
  struct FakeAspi : AspiPort {
    bool library = true, entries = true;
    uint32_t info = 0x0101;
    bool OpenLibrary(const std::wstring& name) override { return library && name == L"wnaspi32"; }
    void CloseLibrary() override { ++closed; }
    bool HasEntryPoint(const char* name) override {
      return entries || std::string(name) == "SendASPI32Command";
    }
    uint32_t GetSupportInfo() override { return info; }
    uint32_t SendCommand(AspiSrb&) override { return 0; }
    uintptr_t CreateCompletionEvent() override { return 0; }
    void ResetCompletionEvent(uintptr_t) override {}
    bool WaitCompletionEvent(uintptr_t, uint32_t) override { return false; }
    void CloseCompletionEvent(uintptr_t) override {}
    void Pause(uint32_t) override {}
    int closed = 0;
  } aspi;
  Platform p;
  p.aspi = &aspi;
  ScopedPorts scoped(p);
  EXPECT_TRUE(LoadAspi());
  UnloadAspi();
  aspi.info = 0x0001;  // status byte not 1 (bits 8 to 15)
  EXPECT_FALSE(LoadAspi());
  aspi.info = 0x0101;
  aspi.entries = false;
  EXPECT_FALSE(LoadAspi());
  EXPECT_TRUE(LoadAspiCommandOnly());
  UnloadAspi();
  aspi.library = false;
  EXPECT_FALSE(LoadAspi());
  EXPECT_FALSE(AspiLoaded());
  EXPECT_EQ(aspi.closed, 4);  // every failure after loading releases the library
}

}  // namespace
}  // namespace zel
