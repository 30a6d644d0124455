#include "security/exclusive_disk.h"

#include <gtest/gtest.h>

#include "fake_storage.h"
#include "ports/platform.h"

namespace zel {
namespace {

using test::FakeStorage;
using test::MemoryDisk;

const std::wstring kDisk = L"\\\\?\\usbstor#disk#0";

class ExclusiveDiskTest : public ::testing::Test {
 protected:
  void SetUp() override {
    storage.disks[kDisk] = std::make_shared<MemoryDisk>(10000, 255, 63);
    storage.volumes[L"\\\\.\\E:"];
    storage.volumes[L"\\\\.\\F:"];
    ports.storage = &storage;
  }
  FakeStorage storage;
  Platform ports;
};

TEST_F(ExclusiveDiskTest, LocksAndDismountsEveryVolumeForAsLongAsTheDiskIsOpen) {
  ScopedPorts scope(ports);
  {
    std::unique_ptr<ExclusiveDisk> d;
    ASSERT_EQ(ExclusiveDisk::Open(kDisk, "EGF", 10000, d), ExclusiveDisk::Result::Opened);
    EXPECT_TRUE(storage.volumes[L"\\\\.\\E:"].locked);
    EXPECT_TRUE(storage.volumes[L"\\\\.\\F:"].locked);
  }
  EXPECT_EQ(storage.log, (std::vector<std::wstring>{
                             L"open \\\\.\\E:", L"lock \\\\.\\E:", L"dismount \\\\.\\E:",
                             L"open \\\\.\\F:", L"lock \\\\.\\F:", L"dismount \\\\.\\F:",
                             L"open " + kDisk, L"close " + kDisk,
                             L"unlock \\\\.\\E:", L"close \\\\.\\E:",
                             L"unlock \\\\.\\F:", L"close \\\\.\\F:"}));
}

TEST_F(ExclusiveDiskTest, AFailedLockIsTriedOnceMoreOnAFreshHandle) {
  ScopedPorts scope(ports);
  storage.volumes[L"\\\\.\\E:"].lockFailures = 1;
  std::unique_ptr<ExclusiveDisk> d;
  EXPECT_EQ(ExclusiveDisk::Open(kDisk, "E", 10000, d), ExclusiveDisk::Result::Opened);
  EXPECT_EQ(storage.volumes[L"\\\\.\\E:"].opened, 2);
  EXPECT_EQ(storage.volumes[L"\\\\.\\E:"].locks, 2);
}

TEST_F(ExclusiveDiskTest, BusyVolumesRefuseTheDiskAndReleaseWhatWasTaken) {
  ScopedPorts scope(ports);
  struct Case {
    int lockFailures;
    bool dismountFails;
  };
  for (Case c : {Case{2, false}, Case{0, true}}) {
    storage.volumes[L"\\\\.\\E:"] = {};
    storage.volumes[L"\\\\.\\F:"] = {};
    storage.volumes[L"\\\\.\\F:"].lockFailures = c.lockFailures;
    storage.volumes[L"\\\\.\\F:"].dismountFails = c.dismountFails;
    std::unique_ptr<ExclusiveDisk> d;
    EXPECT_EQ(ExclusiveDisk::Open(kDisk, "EF", 10000, d), ExclusiveDisk::Result::VolumeBusy);
    EXPECT_FALSE(d);
    EXPECT_FALSE(storage.volumes[L"\\\\.\\E:"].locked);
    EXPECT_EQ(storage.volumes[L"\\\\.\\E:"].unlocks, 1);
    EXPECT_EQ(storage.volumes[L"\\\\.\\F:"].unlocks, c.dismountFails ? 1 : 0);
  }
}

TEST_F(ExclusiveDiskTest, VolumesThatCannotBeOpenedAreSkipped) {
  ScopedPorts scope(ports);
  storage.volumes[L"\\\\.\\E:"].opens = false;
  std::unique_ptr<ExclusiveDisk> d;
  EXPECT_EQ(ExclusiveDisk::Open(kDisk, "E?", 10000, d), ExclusiveDisk::Result::Opened);
  EXPECT_EQ(ExclusiveDisk::Open(L"\\\\?\\gone", "", 10000, d), ExclusiveDisk::Result::CannotOpen);
}

TEST_F(ExclusiveDiskTest, NothingIsReadOrWrittenPastTheCapacity) {
  ScopedPorts scope(ports);
  std::unique_ptr<ExclusiveDisk> d;
  ASSERT_EQ(ExclusiveDisk::Open(kDisk, "", 5000, d), ExclusiveDisk::Result::Opened);
  std::vector<uint8_t> buf(1024);
  EXPECT_EQ(d->Disk().Write(4998 * 512ull, buf.data(), 1024), 0);
  EXPECT_NE(d->Disk().Write(4999 * 512ull, buf.data(), 1024), 0);
  EXPECT_NE(d->Disk().Read(5000 * 512ull, buf.data(), 512), 0);
  EXPECT_NE(d->Disk().Write(~0ull - 100, buf.data(), 512), 0);
  EXPECT_TRUE(storage.disks[kDisk]->written.count(4999));
  EXPECT_FALSE(storage.disks[kDisk]->written.count(5000));
}

}  // namespace
}  // namespace zel
