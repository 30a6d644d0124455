// The driver installer's steps on a machine in memory: which devices and INF
// files an identifier reaches, where Install puts its files, what UnInstall
// takes away, and what happens when the removal program will not close.
#include <gtest/gtest.h>

#include <algorithm>

#include "setup/pellix/hardware_ids.h"
#include "setup/pellix/pellix_steps.h"
#include "tests/setup/pellix/pellix_fake_machine.h"

namespace zel::pellix {
namespace {

using test::FakeMachine;

const std::string kModule = "C:\\Setup\\Disk1";

void WriteModule(FakeMachine& m, const std::string& hardwareSection) {
  m.Write(kModule + "\\config.ini", "[Other]\r\nKey=1\r\n" + hardwareSection);
  for (const char* name : {"halvex.inf", "quimbel.inf", "halvex.sys", "halvio.pdr", "zelusb.exe"}) {
    m.Write(kModule + "\\" + name, std::string("contents of ") + name);
  }
}

const char* kTwoIds =
    "[HardwareID]\r\nDeviceCount=2\r\nDevice00=USB\\VID_1A2B&PID_0001\r\n"
    "Device01=USB\\VID_1A2B&PID_0002\r\n";

size_t IndexOf(const std::vector<std::string>& v, const std::string& s) {
  return static_cast<size_t>(std::find(v.begin(), v.end(), s) - v.begin());
}

TEST(PellixIdentifiers, MatchDevicesByPrefixInAnyCaseAndInfFilesByMention) {
  EXPECT_TRUE(DeviceMatches("USB\\VID_1A2B&PID_0001&REV_0100", "usb\\vid_1a2b&pid_0001"));
  EXPECT_TRUE(DeviceMatches("usb\\vid_1a2b", "USB\\VID_1A2B"));
  EXPECT_FALSE(DeviceMatches("ROOT\\USB\\VID_1A2B", "USB\\VID_1A2B"));  // contains, not begins
  EXPECT_FALSE(DeviceMatches("USB\\VID_1A2", "USB\\VID_1A2B"));         // shorter than the id
  EXPECT_FALSE(DeviceMatches("USB\\VID_1A2B", ""));
  EXPECT_FALSE(DeviceMatches("", ""));

  std::vector<std::string> lines = {"[Version]", "%Dev%=Inst,USB\\VID_1A2B&PID_0001"};
  EXPECT_TRUE(InfMentions(lines, "USB\\VID_1A2B&PID_0001"));
  EXPECT_FALSE(InfMentions(lines, "USB\\VID_1A2B&PID_0002"));
  EXPECT_FALSE(InfMentions(lines, ""));
}

TEST(PellixIdentifiers, TableTakesAtMost32AndLeavesOutIdsThatCouldMatchEverything) {
  FakeMachine m;
  std::string ini = "[HardwareID]\r\nDeviceCount=40\r\n";
  for (int i = 0; i < 40; ++i) ini += "Device" + std::string(i < 10 ? "0" : "") + std::to_string(i) + "=ID" + std::to_string(i) + "\r\n";
  m.Write("C:\\a\\config.ini", ini);
  std::vector<std::string> ids = ReadHardwareIds(m, "C:\\a\\config.ini");
  ASSERT_EQ(ids.size(), 32u);
  EXPECT_EQ(ids.front(), "ID0");
  EXPECT_EQ(ids.back(), "ID31");

  // Device01 empty, Device02 missing (reads "BADID"), Device03 too long.
  m.Write("C:\\b\\config.ini", "[HardwareID]\r\nDeviceCount=4\r\nDevice00=USB\\X\r\nDevice01=\r\nDevice03=" +
                                   std::string(kMaxIdentifierLength + 1, 'A') + "\r\n");
  EXPECT_EQ(ReadHardwareIds(m, "C:\\b\\config.ini"), (std::vector<std::string>{"USB\\X", "BADID"}));

  m.Write("C:\\c\\config.ini", "[HardwareID]\r\nDeviceCount=-3\r\nDevice00=USB\\X\r\n");
  EXPECT_TRUE(ReadHardwareIds(m, "C:\\c\\config.ini").empty());
  EXPECT_TRUE(ReadHardwareIds(m, "C:\\missing\\config.ini").empty());
}

TEST(PellixInstall, PlacesDriverFilesRemovesDevicesAndRegistersTheRemovalProgram) {
  FakeMachine m;
  WriteModule(m, kTwoIds);
  m.Write("C:\\WINDOWS\\inf\\Drvdata.bin", "cache");
  m.Write("C:\\WINDOWS\\inf\\Drvidx.bin", "cache");
  m.registryKeys = {"enum\\halvex\\disk", "enum\\halvex\\disk\\0001", "enum\\halvex\\other"};
  m.devices = {{"USB\\VID_1A2B&PID_0001&REV_0100"}, {"usb\\vid_1a2b&pid_0002"},
               {"USB\\VID_1A2B&PID_0003"}, {"HID\\USB\\VID_1A2B&PID_0001"}, {""}};

  EXPECT_EQ(Install(m, kModule), 0);

  EXPECT_FALSE(m.Exists("C:\\WINDOWS\\inf\\Drvdata.bin"));
  EXPECT_FALSE(m.Exists("C:\\WINDOWS\\inf\\Drvidx.bin"));
  EXPECT_EQ(m.Read("C:\\WINDOWS\\INF\\halvex.inf"), "contents of halvex.inf");
  EXPECT_EQ(m.Read("C:\\WINDOWS\\INF\\quimbel.inf"), "contents of quimbel.inf");
  EXPECT_EQ(m.Read("C:\\WINDOWS\\system32\\drivers\\halvex.sys"), "contents of halvex.sys");
  EXPECT_EQ(m.Read("C:\\WINDOWS\\system\\iosubsys\\halvio.pdr"), "contents of halvio.pdr");
  EXPECT_TRUE(m.Exists("C:\\Program Files\\Zel\\Pellix\\config.ini"));
  EXPECT_TRUE(m.Exists("C:\\Program Files\\Zel\\removal\\config.ini"));
  EXPECT_EQ(m.Read("C:\\Program Files\\Zel\\removal\\zelusb.exe"), "contents of zelusb.exe");

  EXPECT_EQ(m.removedDevices,
            (std::vector<std::string>{"USB\\VID_1A2B&PID_0001&REV_0100", "usb\\vid_1a2b&pid_0002"}));
  EXPECT_EQ(m.registryKeys, (std::set<std::string>{"enum\\halvex\\other"}));

  const std::string program = "C:\\Program Files\\Zel\\removal\\zelusb.exe";
  EXPECT_EQ(m.runValues["zelusb"], program);
  EXPECT_EQ(m.started, (std::vector<std::string>{"c:\\program files\\zel\\removal\\zelusb.exe"}));
  EXPECT_TRUE(m.removalWindowOpen);
  // The program starts only once its file is in place.
  EXPECT_LT(IndexOf(m.events, "copy c:\\program files\\zel\\removal\\zelusb.exe"),
            IndexOf(m.events, "start c:\\program files\\zel\\removal\\zelusb.exe"));
}

TEST(PellixInstall, ReplacesARunningRemovalProgramAndLeavesOneThatNeverClosesAlone) {
  FakeMachine m;
  WriteModule(m, kTwoIds);
  m.Write("C:\\Program Files\\Zel\\removal\\zelusb.exe", "old program");
  m.removalWindowOpen = true;
  m.closeRequestsNeeded = 3;
  Install(m, kModule);
  EXPECT_EQ(m.closeRequests, 3);
  EXPECT_LT(IndexOf(m.events, "closed"), IndexOf(m.events, "copy c:\\program files\\zel\\removal\\zelusb.exe"));
  EXPECT_EQ(m.Read("C:\\Program Files\\Zel\\removal\\zelusb.exe"), "contents of zelusb.exe");
  EXPECT_EQ(m.started.size(), 1u);
  EXPECT_TRUE(m.removalWindowOpen);

  FakeMachine stuck;
  WriteModule(stuck, kTwoIds);
  stuck.Write("C:\\Program Files\\Zel\\removal\\zelusb.exe", "old program");
  stuck.removalWindowOpen = true;
  stuck.closeRequestsNeeded = -1;
  EXPECT_EQ(Install(stuck, kModule), 0);
  EXPECT_EQ(stuck.closeRequests, kCloseAttempts);
  EXPECT_EQ(stuck.Read("C:\\Program Files\\Zel\\removal\\zelusb.exe"), "old program");
  EXPECT_TRUE(stuck.started.empty());
  EXPECT_TRUE(stuck.runValues.empty());
  // The driver half is done all the same.
  EXPECT_TRUE(stuck.Exists("C:\\WINDOWS\\system32\\drivers\\halvex.sys"));
}

TEST(PellixInstall, WithoutHardwareSectionRemovesNoDeviceAndAStoppedWalkEndsAtTheRefusal) {
  FakeMachine m;
  WriteModule(m, "");
  m.devices = {{"USB\\VID_1A2B&PID_0001"}, {"BADID"}};
  Install(m, kModule);
  EXPECT_TRUE(m.removedDevices.empty());
  EXPECT_TRUE(m.Exists("C:\\WINDOWS\\INF\\halvex.inf"));
  EXPECT_EQ(m.runValues.count("zelusb"), 1u);

  FakeMachine r;
  r.devices = {{"USB\\VID_1A2B&PID_0001&A"}, {"USB\\VID_1A2B&PID_0001&B", true},
               {"USB\\VID_1A2B&PID_0001&C"}};
  EXPECT_EQ(RemoveMatchingDevices(r, "USB\\VID_1A2B&PID_0001"), kDeviceRefused);
  EXPECT_EQ(r.removedDevices, (std::vector<std::string>{"USB\\VID_1A2B&PID_0001&A"}));
  EXPECT_EQ(RemoveMatchingDevices(r, ""), kOk);
  EXPECT_EQ(r.devices.size(), 2u);
}

// Install, the INF copies Windows makes, then UnInstall.
class PellixUninstall : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteModule(m, kTwoIds);
    m.Write("C:\\Program Files\\Other\\keep.txt", "x");
    m.Write("C:\\Program Files\\Zel\\Corvex\\Corvex.exe", "x");
    m.Write("C:\\WINDOWS\\inf\\machine.inf", "[Version]\r\nUSB\\VID_9999\r\n");
    Install(m, kModule);
    m.Write("C:\\WINDOWS\\inf\\halvex.PNF", "precompiled");
    m.Write("C:\\WINDOWS\\inf\\quimbel.PNF", "precompiled");
    m.Write("C:\\WINDOWS\\inf\\other\\ZELOEM1.INF", "[Strings]\r\nhw=\"USB\\VID_1A2B&PID_0002\"\r\n");
    m.Write("C:\\WINDOWS\\inf\\other\\unrelated.inf", "[Strings]\r\nhw=\"USB\\VID_1A2C\"\r\n");
    m.Write("C:\\WINDOWS\\inf\\internet\\oem7.inf", std::string(600, 'x') + "USB\\VID_1A2B&PID_0001\r\n");
    m.Write("C:\\WINDOWS\\inf\\other\\notes.txt", "USB\\VID_1A2B&PID_0001");
    m.Write("C:\\WINDOWS\\inf\\deeper\\oem9.inf", "USB\\VID_1A2B&PID_0001");
    m.registryKeys = {"enum\\halvex\\disk\\0001"};
    m.devices = {{"USB\\VID_1A2B&PID_0002"}, {"USB\\VID_2222"}};
  }
  FakeMachine m;
};

TEST_F(PellixUninstall, RemovesWhatInstallMadeAndTheInfCopiesThatNameAnEnclosure) {
  EXPECT_EQ(UnInstall(m), 0);
  EXPECT_EQ(m.Listing(), (std::vector<std::string>{
                             "c:\\program files\\other\\keep.txt",
                             "c:\\program files\\zel\\corvex\\corvex.exe",
                             "c:\\setup\\disk1\\config.ini", "c:\\setup\\disk1\\halvex.inf",
                             "c:\\setup\\disk1\\halvex.sys", "c:\\setup\\disk1\\halvio.pdr",
                             "c:\\setup\\disk1\\quimbel.inf", "c:\\setup\\disk1\\zelusb.exe",
                             "c:\\windows\\inf\\deeper\\oem9.inf",
                             "c:\\windows\\inf\\machine.inf",
                             "c:\\windows\\inf\\other\\notes.txt",
                             "c:\\windows\\inf\\other\\unrelated.inf"}));
  EXPECT_FALSE(m.DirExists("C:\\Program Files\\Zel\\removal"));
  EXPECT_FALSE(m.DirExists("C:\\Program Files\\Zel\\Pellix"));
  EXPECT_TRUE(m.runValues.empty());
  EXPECT_FALSE(m.removalWindowOpen);
  EXPECT_EQ(m.removedDevices, (std::vector<std::string>{"USB\\VID_1A2B&PID_0002"}));
  EXPECT_TRUE(m.registryKeys.empty());
}

TEST_F(PellixUninstall, AnEmptyIdentifierDeletesNoInfCopyAndRemovesNoDevice) {
  m.Write("C:\\Program Files\\Zel\\Pellix\\config.ini",
          "[HardwareID]\r\nDeviceCount=2\r\nDevice00=\r\nDevice01=   \r\n");
  UnInstall(m);
  EXPECT_TRUE(m.Exists("C:\\WINDOWS\\inf\\other\\ZELOEM1.INF"));
  EXPECT_TRUE(m.Exists("C:\\WINDOWS\\inf\\internet\\oem7.inf"));
  EXPECT_TRUE(m.removedDevices.empty());
  // The other steps still run.
  EXPECT_FALSE(m.Exists("C:\\WINDOWS\\system32\\drivers\\halvex.sys"));
  EXPECT_FALSE(m.DirExists("C:\\Program Files\\Zel\\Pellix"));
}

TEST_F(PellixUninstall, ARemovalProgramThatWillNotCloseKeepsItsFilesAndRunValue) {
  m.closeRequestsNeeded = -1;
  UnInstall(m);
  EXPECT_TRUE(m.Exists("C:\\Program Files\\Zel\\removal\\zelusb.exe"));
  EXPECT_EQ(m.runValues.count("zelusb"), 1u);
  EXPECT_FALSE(m.DirExists("C:\\Program Files\\Zel\\Pellix"));
  EXPECT_FALSE(m.Exists("C:\\WINDOWS\\INF\\halvex.inf"));
}

TEST_F(PellixUninstall, UnknownFoldersDeleteNothing) {
  std::vector<std::string> before = m.Listing();
  m.programFilesFolder.clear();
  m.windowsDir.clear();
  UnInstall(m);
  EXPECT_EQ(m.Listing(), before);

  // Without a Program Files folder the Windows drive's one is used.
  m.windowsDir = "C:\\WINDOWS";
  UnInstall(m);
  EXPECT_FALSE(m.DirExists("C:\\Program Files\\Zel\\removal"));
  EXPECT_TRUE(m.Exists("C:\\Program Files\\Other\\keep.txt"));
}

}  // namespace
}  // namespace zel::pellix
