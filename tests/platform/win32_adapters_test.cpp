// The Windows device adapters against the system (run under Wine).
#include <gtest/gtest.h>

#include "common/aspi.h"
#include "common/discovery.h"
#include "platform/win32/win32_device_ports.h"

namespace zel {
namespace {

class Win32Adapters : public ::testing::Test {
 protected:
  void SetUp() override {
    Platform p;
    ports_.Fill(p);
    scoped_ = std::make_unique<ScopedPorts>(p);
  }
  win32::Win32DevicePorts ports_;
  std::unique_ptr<ScopedPorts> scoped_;
};

TEST_F(Win32Adapters, InterfaceListsAreValidAndBounded) {
  const Guid nothing{0x12345678, 0x1, 0x2, {1, 2, 3, 4, 5, 6, 7, 8}};
  EXPECT_TRUE(ports_.deviceTree.PresentInterfaces(nothing, 64).empty());
  for (const Guid& cls : {kGuidDevInterfaceDisk, kGuidDevInterfaceVolume, kGuidDevInterfaceCdrom,
                          kGuidDevInterfaceUsbDevice}) {
    const auto list = ports_.deviceTree.PresentInterfaces(cls, 2);
    EXPECT_LE(list.size(), 2u);
    for (const InterfaceEntry& e : list) EXPECT_FALSE(e.path.empty());
  }
  EXPECT_TRUE(ports_.deviceTree.EnumeratorDevices(L"NO_SUCH_ENUMERATOR", 64).empty());
  DevInst out = 0;
  EXPECT_NE(ports_.deviceTree.Parent(0x7FFFFFF0, out), 0u);
  std::wstring text;
  EXPECT_FALSE(ports_.deviceTree.Property(0x7FFFFFF0, DeviceProperty::HardwareId, 1024, text));
}

TEST_F(Win32Adapters, RegistryValuesRoundTrip) {
  const std::wstring key = L"Software\\ZelDeviceTest";
  ports_.registry.DeleteTree(RegRoot::CurrentUser, key);
  EXPECT_EQ(ports_.registry.WriteValue(RegRoot::CurrentUser, key, RegString(L"a", L"x")), 2);  // keys are not made here
  ASSERT_EQ(ports_.registry.CreateKey(RegRoot::CurrentUser, key), 0);
  EXPECT_EQ(ports_.registry.KeyExists(RegRoot::CurrentUser, key), 0);
  ASSERT_EQ(ports_.registry.WriteValue(RegRoot::CurrentUser, key, RegString(L"Hint", L"blue door")), 0);
  ASSERT_EQ(ports_.registry.WriteValue(RegRoot::CurrentUser, key, RegString(L"Other", L"2")), 0);
  RegValue v;
  ASSERT_EQ(ports_.registry.ReadValue(RegRoot::CurrentUser, key, L"Hint", 260, v), 0);
  EXPECT_EQ(RegValueText(v), L"blue door");
  EXPECT_EQ(v.type, kRegSz);
  EXPECT_EQ(ports_.registry.ReadValue(RegRoot::CurrentUser, key, L"Hint", 4, v), 234);
  std::vector<RegValue> values;
  ASSERT_EQ(ports_.registry.EnumValues(RegRoot::CurrentUser, key, values), 0);
  ASSERT_EQ(values.size(), 2u);
  EXPECT_EQ(ports_.registry.DeleteValue(RegRoot::CurrentUser, key, L"Hint"), 0);
  EXPECT_EQ(ports_.registry.ReadValue(RegRoot::CurrentUser, key, L"Hint", 260, v), 2);
  EXPECT_EQ(ports_.registry.DeleteTree(RegRoot::CurrentUser, key), 0);
  EXPECT_EQ(ports_.registry.KeyExists(RegRoot::CurrentUser, key), 2);
}

TEST_F(Win32Adapters, MountedDeviceTableIsSearchedByPath) {
  const std::wstring key = L"SYSTEM\\MountedDevices";
  ASSERT_EQ(ports_.registry.CreateKey(RegRoot::LocalMachine, key), 0);
  const std::wstring volume = L"STORAGE#RemovableMedia#7&1ZELTEST&0&RM#{53f5630d-b6bf-11d0-94f2-00a0c91efb8b}";
  RegValue entry = RegString(L"\\DosDevices\\Q:", L"\\??\\" + volume);
  entry.type = kRegBinary;
  entry.data.resize(entry.data.size() - 2);  // stored without a terminator
  ASSERT_EQ(ports_.registry.WriteValue(RegRoot::LocalMachine, key, entry), 0);
  RegValue other = entry;
  other.name = L"\\??\\Volume{00000000-0000-0000-0000-00000000ZE1}";
  ASSERT_EQ(ports_.registry.WriteValue(RegRoot::LocalMachine, key, other), 0);
  EXPECT_EQ(discovery::MountedDeviceLetter(L"\\\\?\\" + volume), L'Q');
  EXPECT_EQ(discovery::MountedDeviceLetter(L"\\\\?\\storage#removablemedia#7&1zeltest&0&rm#{53f5630d-b6bf-11d0-94f2-00a0c91efb8b}"), L'Q');
  EXPECT_EQ(discovery::MountedDeviceLetter(L"\\\\?\\STORAGE#RemovableMedia#other"), 0);
  ports_.registry.DeleteValue(RegRoot::LocalMachine, key, entry.name);
  ports_.registry.DeleteValue(RegRoot::LocalMachine, key, other.name);
  EXPECT_EQ(discovery::MountedDeviceLetter(L"\\\\?\\" + volume), 0);
}

TEST_F(Win32Adapters, StorageAndPassThroughOnMissingDevices) {
  DiskGeometry g;
  EXPECT_NE(ports_.storage.Geometry(L"\\\\?\\usbstor#disk#gone#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}", g), 0);
  uint8_t status = 0;
  ScsiRequest request;
  request.command.cdb[0] = 0xE0;
  request.command.dataLength = 1;
  request.data = &status;
  EXPECT_NE(ports_.scsi.Execute(
                ScsiTarget::Interface(L"\\\\?\\usbstor#disk#gone#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}", true), request),
            0);
  long error = 0;
  EXPECT_EQ(ports_.storage.OpenRaw(L"\\\\.\\PhysicalDrive77", error), nullptr);
  EXPECT_NE(error, 0);
  VolumeInfo info;
  EXPECT_EQ(ports_.storage.VolumeInformation(L"C:\\", info), 0);
  EXPECT_EQ(ports_.storage.DriveType(L"C:\\"), kDriveFixed);
  FreeSpace space;
  EXPECT_EQ(ports_.storage.DiskFreeSpace(L"C:\\", space), 0);
  EXPECT_GT(space.totalClusters, 0u);
}

TEST_F(Win32Adapters, NoAspiLibraryOrVwin32OnThisSystem) {
  EXPECT_FALSE(LoadAspi());
  EXPECT_EQ(ports_.vwin32.Open(), nullptr);
}

TEST_F(Win32Adapters, DiscoveryRunsOnTheSystem) {
  DiskList list;
  const long result = DiscoverNt(list);
  EXPECT_LE(list.count, kMaxDisks);
  for (uint32_t i = 0; i < list.count; ++i) EXPECT_EQ(list.disks[i].present, 0);  // no hardware list loaded
  std::printf("discovery: %ld, %u disks\n", result, list.count);
}

}  // namespace
}  // namespace zel
