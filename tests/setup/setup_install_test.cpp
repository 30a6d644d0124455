// Install and uninstall of the three programs on a throw-away drive.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/setup/setup_fixture.h"

namespace zel::setup::test {
namespace {

const char kCorvexIni[] =
    "[Installation]\r\nAppDesc=Brindle Backup\r\nTargetPath=Zel\\Corvex\r\n"
    "UnAppDesc=Remove Brindle Backup\r\nHlpDesc=Brindle Help\r\n";
const std::string kCommon = "ProgramData/Microsoft/Windows/Start Menu/Programs/";
const std::string kUser = "users/tester/Start Menu/Programs/";
const wchar_t kCorvexExe[] = L"C:\\Program Files\\Zel\\Corvex\\Corvex.exe";

class InstallTest : public SetupFixture {
 protected:
  void SetUp() override {
    // What every system has before the first install.
    registry.CreateKey(RegRoot::LocalMachine, kRunKey);
    registry.CreateKey(RegRoot::LocalMachine, kLayersKey);
    registry.CreateKey(RegRoot::CurrentUser, kLayersKey);
    Put("Program Files/Other/other.exe", "someone else's");
    Put("windows/explorer.exe", "shell");
    Put("windows/system32/kernel32.dll", "kernel");
    fs::create_directories(c / kCommon);
    fs::create_directories(c / kUser);
  }
};

TEST_F(InstallTest, AllUsersPlacesFilesValuesAndShortcutsAndUninstallTakesThemAllAway) {
  MakeKit("Corvex", kCorvexIni);
  const std::string before = Snapshot();
  const int32_t mode = kModeAllUsers;
  ASSERT_EQ(Install(Context(Program::Corvex), &mode, L"Brindle Backup"), kOk);

  EXPECT_EQ(Get("Program Files/Zel/Corvex/Corvex.exe"), "program");
  EXPECT_EQ(Get("Program Files/Zel/Corvex/help/img/logo.bmp"), "bitmap");
  EXPECT_EQ(Get("Program Files/Zel/Corvex/config.ini"), kCorvexIni);
  EXPECT_EQ(Value(RegRoot::LocalMachine, kRunKey, L"Corvex"), std::wstring(kCorvexExe) + L" /a /f");
  EXPECT_EQ(Value(RegRoot::LocalMachine, kLayersKey, kCorvexExe), L"RUNASADMIN");
  EXPECT_EQ(Value(RegRoot::CurrentUser, kLayersKey, kCorvexExe), L"RUNASADMIN");
  EXPECT_EQ(Get(kCommon + "Zel/Corvex/Brindle Backup.lnk"),
            "C:\\Program Files\\Zel\\Corvex\\Corvex.exe\nC:\\Program Files\\Zel\\Corvex\n/a /f /c\nBrindle Backup\n");
  EXPECT_EQ(Get(kCommon + "Zel/Corvex/Brindle Help.lnk"),
            "C:\\Program Files\\Zel\\Corvex\\Corvex.chm\nC:\\Program Files\\Zel\\Corvex\n/a /f /c\nBrindle Help\n");
  EXPECT_EQ(Get(kCommon + "Zel/Corvex/Remove Brindle Backup.lnk"),
            "C:\\Program Files\\Common Files\\InstallShield\\Driver\\7\\Intel 32\\IDriver.exe\n"
            "C:\\Program Files\\Common Files\\InstallShield\\Driver\\7\\Intel 32\n/M" +
                Utf8(VariantOf(Program::Corvex).productCode) + "\nRemove Brindle Backup\n");

  EXPECT_EQ(Uninstall(Context(Program::Corvex), &mode, L"Brindle Backup"), kOk);
  EXPECT_EQ(Snapshot(), before);
}

TEST_F(InstallTest, CurrentUserPutsTheProgramInTheUsersMenuAndTheUninstallShortcutInTheCommonOne) {
  MakeKit("Tessary", "[Installation]\r\nTargetPath=Zel\\Tessary\r\n");
  const std::string before = Snapshot();
  const int32_t mode = kModeCurrentUser;
  ASSERT_EQ(Install(Context(Program::Tessary), &mode, L"Tessary"), kOk);
  EXPECT_TRUE(Has(kUser + "Zel/Tessary/USB Harddisk Security Tool.lnk"));
  EXPECT_FALSE(Has(kCommon + "Zel/Tessary/USB Harddisk Security Tool.lnk"));
  EXPECT_TRUE(Has(kCommon + "Zel/Tessary/Uninstall USB Harddisk Security Tool.lnk"));
  EXPECT_EQ(Value(RegRoot::LocalMachine, kLayersKey, L"C:\\Program Files\\Zel\\Tessary\\Tessary.exe"), L"RUNASADMIN");
  EXPECT_EQ(Value(RegRoot::CurrentUser, kLayersKey, L"C:\\Program Files\\Zel\\Tessary\\Tessary.exe"), L"<missing>");

  EXPECT_EQ(Uninstall(Context(Program::Tessary), &mode, L"Tessary"), kOk);
  // Only the Corvex library takes its layer value away again.
  registry.DeleteValue(RegRoot::LocalMachine, kLayersKey, L"C:\\Program Files\\Zel\\Tessary\\Tessary.exe");
  EXPECT_EQ(Snapshot(), before);
}

TEST_F(InstallTest, Wow64ModeAndModesWithoutShortcuts) {
  // No [Installation] section: the build's defaults.
  MakeKit("Dormel", "[Other]\r\nx=1\r\n");
  int32_t mode = kModeWow64;
  ASSERT_EQ(Install(Context(Program::Dormel), &mode, L"Power Management Tool"), kOk);
  EXPECT_EQ(Get("Program Files/Zel/Dormel/Dormel.exe"), "program");
  const std::string link = Get(kCommon + "Zel/Dormel/Uninstall Power Management Tool.lnk");
  EXPECT_EQ(link.substr(0, link.find('\n') + 1),
            "C:\\Program Files (x86)\\Common Files\\InstallShield\\Driver\\7\\Intel 32\\IDriver.exe\n");
  EXPECT_TRUE(Has(kCommon + "Zel/Dormel/Power Management Tool.lnk"));
  Put("Program Files (x86)/Zel/Dormel/left.dat", "x");
  EXPECT_EQ(Uninstall(Context(Program::Dormel), &mode, L"Power Management Tool"), kOk);
  EXPECT_FALSE(Has("Program Files/Zel/Dormel"));
  EXPECT_FALSE(Has("Program Files (x86)/Zel"));
  EXPECT_FALSE(Has(kCommon + "Zel"));

  // Any other mode: files and values, no shortcut, the copy's result.
  mode = 7;
  ASSERT_EQ(Install(Context(Program::Dormel), &mode, L"Power Management Tool"), kOk);
  EXPECT_TRUE(Has("Program Files/Zel/Dormel/help/index.htm"));
  EXPECT_EQ(Value(RegRoot::LocalMachine, kRunKey, L"Dormel"), L"C:\\Program Files\\Zel\\Dormel\\Dormel.exe /a /f");
  EXPECT_FALSE(Has(kCommon + "Zel"));
  EXPECT_FALSE(Has(kUser + "Zel"));
  EXPECT_EQ(Install(Context(Program::Dormel), nullptr, L""), kOk);
  EXPECT_FALSE(Has(kCommon + "Zel"));

  files.failCopies = {L"Dormel.mlf"};
  EXPECT_EQ(Install(Context(Program::Dormel), &mode, L""), kCopyFailed);
}

TEST_F(InstallTest, InstallOverAnEarlierInstallationRemovesItFirstReadOnlyFilesIncluded) {
  MakeKit("Corvex", kCorvexIni);
  Put("Program Files/Zel/Corvex/old/stale.dat", "old");
  Put("Program Files/Zel/Corvex/locked.dat", "old");
  chmod((c / "Program Files/Zel/Corvex/locked.dat").c_str(), 0444);
  const int32_t mode = 7;
  ASSERT_EQ(Install(Context(Program::Corvex), &mode, L""), kOk);
  EXPECT_FALSE(Has("Program Files/Zel/Corvex/old"));
  EXPECT_FALSE(Has("Program Files/Zel/Corvex/locked.dat"));
  EXPECT_TRUE(Has("Program Files/Zel/Corvex/Corvex.exe"));
}

TEST_F(InstallTest, ARunningProgramIsClosedAndOneThatNeverClosesStopsEverything) {
  MakeKit("Corvex", kCorvexIni);
  const int32_t mode = kModeAllUsers;
  host.windows[L"Brindle Backup"] = {3, 0};
  ASSERT_EQ(Install(Context(Program::Corvex), &mode, L"Brindle Backup"), kOk);
  EXPECT_TRUE(host.windows.empty());
  Put("Program Files/Zel/Corvex/user.dat", "kept");

  host.windows[L"Brindle Backup"] = {-1, 0};
  const std::string installed = Snapshot();
  EXPECT_EQ(Install(Context(Program::Corvex), &mode, L"Brindle Backup"), kStillRunning);
  EXPECT_EQ(host.windows[L"Brindle Backup"].exitsSeen, kCloseAttempts);
  EXPECT_EQ(Snapshot(), installed);

  // Uninstall pauses between its attempts and leaves the files in place.
  host.windows[L"Brindle Backup"].exitsSeen = 0;
  EXPECT_EQ(Uninstall(Context(Program::Corvex), &mode, L"Brindle Backup"), kStillRunning);
  EXPECT_EQ(host.pauses, kCloseAttempts);
  EXPECT_TRUE(Has("Program Files/Zel/Corvex/Corvex.exe"));
  EXPECT_TRUE(Has(kCommon + "Zel/Corvex/Brindle Backup.lnk"));
}

TEST_F(InstallTest, ATargetPathThatLeavesProgramFilesIsRefusedWithNothingChanged) {
  Put("Program Files/Zel/Corvex/Corvex.exe", "installed");
  for (const char* target : {"", "..\\..", "C:\\Windows", "C:Windows", "\\Windows", "Zel\\..\\..", "Zel\\..",
                             "Zel\\. \\..", "..", "...\\Windows", "Zel\\\\x", "Zel/../..", "\\\\?\\C:\\Windows",
                             "Zel\\Corvex:stream"}) {
    SCOPED_TRACE(target);
    fs::remove_all(c / "kit");
    MakeKit("Corvex", std::string("[Installation]\r\nTargetPath=") + target + "\r\n");
    const std::string withKit = Snapshot();
    const int32_t mode = kModeAllUsers;
    EXPECT_EQ(Install(Context(Program::Corvex), &mode, L""), kUnsafeTarget);
    EXPECT_EQ(Snapshot(), withKit);

    // The same config.ini in the directory the autostart value names.
    registry.WriteValue(RegRoot::LocalMachine, kRunKey, RegString(L"Corvex", L"C:\\kit\\Corvex.exe /a /f"));
    const std::string withValue = Snapshot();
    EXPECT_EQ(Uninstall(Context(Program::Corvex), &mode, L""), kUnsafeTarget);
    EXPECT_EQ(Snapshot(), withValue);
    registry.DeleteValue(RegRoot::LocalMachine, kRunKey, L"Corvex");
  }
  EXPECT_EQ(Get("Program Files/Zel/Corvex/Corvex.exe"), "installed");
}

TEST_F(InstallTest, UninstallRemovesOnlyProgramFilesAndTargetPathWhateverTheRunValueNames) {
  MakeKit("Corvex", kCorvexIni);
  const int32_t mode = kModeAllUsers;
  ASSERT_EQ(Install(Context(Program::Corvex), &mode, L""), kOk);
  registry.WriteValue(RegRoot::LocalMachine, kRunKey, RegString(L"Corvex", L"\"C:\\windows\\Corvex.exe\" /a /f"));
  ASSERT_EQ(Uninstall(Context(Program::Corvex), &mode, L""), kOk);
  EXPECT_FALSE(Has("Program Files/Zel"));
  EXPECT_EQ(Get("windows/explorer.exe"), "shell");
  EXPECT_EQ(Get("windows/system32/kernel32.dll"), "kernel");
  EXPECT_EQ(Get("Program Files/Other/other.exe"), "someone else's");

  // Without the value: the default TargetPath.
  ASSERT_EQ(Install(Context(Program::Corvex), &mode, L""), kOk);
  registry.DeleteValue(RegRoot::LocalMachine, kRunKey, L"Corvex");
  ASSERT_EQ(Uninstall(Context(Program::Corvex), &mode, L""), kOk);
  EXPECT_FALSE(Has("Program Files/Zel"));
  EXPECT_EQ(Get("windows/explorer.exe"), "shell");
}

TEST_F(InstallTest, RemovalNeverFollowsALinkOutOfTheInstallDirectory) {
  MakeKit("Corvex", kCorvexIni);
  fs::create_directories(c / "Program Files/Zel/Corvex");
  fs::create_directory_symlink(c / "windows", c / "Program Files/Zel/Corvex/escape");
  const int32_t mode = 7;
  ASSERT_EQ(Install(Context(Program::Corvex), &mode, L""), kOk);
  EXPECT_FALSE(fs::is_symlink(c / "Program Files/Zel/Corvex/escape"));
  EXPECT_EQ(Get("windows/system32/kernel32.dll"), "kernel");

  // The install directory itself a link: the link goes, never what it names.
  fs::remove_all(c / "Program Files/Zel/Corvex");
  fs::create_directory_symlink(c / "windows", c / "Program Files/Zel/Corvex");
  registry.DeleteValue(RegRoot::LocalMachine, kRunKey, L"Corvex");
  ASSERT_EQ(Uninstall(Context(Program::Corvex), &mode, L""), kOk);
  EXPECT_FALSE(fs::is_symlink(c / "Program Files/Zel/Corvex"));
  EXPECT_EQ(Get("windows/explorer.exe"), "shell");
}

TEST_F(InstallTest, ACopyThatFailsPartWayLeavesNoHalfInstallation) {
  MakeKit("Corvex", kCorvexIni);
  Put("Program Files/Zel/Corvex/Corvex.exe", "earlier");
  files.failCopies = {L"logo.bmp"};
  const int32_t mode = kModeAllUsers;
  EXPECT_EQ(Install(Context(Program::Corvex), &mode, L""), kCopyFailed);
  EXPECT_FALSE(Has("Program Files/Zel"));
  EXPECT_EQ(Value(RegRoot::LocalMachine, kRunKey, L"Corvex"), L"<missing>");
  EXPECT_FALSE(Has(kCommon + "Zel"));
  EXPECT_EQ(Get("Program Files/Other/other.exe"), "someone else's");
}

TEST_F(InstallTest, InstallingFromTheInstallDirectoryOrIntoTheKitIsRefused) {
  MakeKit("Corvex", "[Installation]\r\nTargetPath=Zel\\Corvex\r\n");
  fs::create_directories(c / "Program Files/Zel");
  fs::rename(c / "kit", c / "Program Files/Zel/Corvex");
  kit = L"C:\\Program Files\\Zel\\Corvex";
  const int32_t mode = kModeAllUsers;
  EXPECT_EQ(Install(Context(Program::Corvex), &mode, L""), kUnsafeTarget);
  EXPECT_EQ(Get("Program Files/Zel/Corvex/Corvex.exe"), "program");

  kit = L"C:\\Program Files";
  Put("Program Files/config.ini", "[Installation]\r\nTargetPath=Zel\\Corvex\r\n");
  EXPECT_EQ(Install(Context(Program::Corvex), &mode, L""), kUnsafeTarget);
  EXPECT_EQ(Get("Program Files/Zel/Corvex/Corvex.exe"), "program");
}

TEST_F(InstallTest, ShortcutFailuresGiveTheirCodesWithoutStoppingInstall) {
  MakeKit("Corvex", kCorvexIni);
  int32_t mode = kModeAllUsers;
  host.linkOutcome = [](const LinkRequest& r) {
    LinkOutcome o;
    if (r.target.find(L"IDriver") != std::wstring::npos) o.setArguments = 0x80070057;  // not reported here
    else o.save = 0x80070005;
    return o;
  };
  EXPECT_EQ(Install(Context(Program::Corvex), &mode, L""), kOk);
  EXPECT_EQ(Value(RegRoot::LocalMachine, kRunKey, L"Corvex"), std::wstring(kCorvexExe) + L" /a /f");

  host.linkOutcome = [](const LinkRequest&) { return LinkOutcome{.setArguments = 0x80070057, .lastError = 87}; };
  mode = kModeWow64;
  EXPECT_EQ(Install(Context(Program::Corvex), &mode, L""), 87);
  host.linkOutcome = [](const LinkRequest&) { return LinkOutcome{.createObject = int(0x80040154)}; };
  mode = kModeAllUsers;
  EXPECT_EQ(Install(Context(Program::Corvex), &mode, L""), kNoLinkObject);
  host.folders.erase(Folder::CommonPrograms);
  host.linkOutcome = nullptr;
  EXPECT_EQ(Install(Context(Program::Corvex), &mode, L""), kNoSpecialFolder);
  EXPECT_TRUE(Has("Program Files/Zel/Corvex/Corvex.exe"));

  // Without the system's Program Files folder: the Windows drive's.
  host.folders.erase(Folder::ProgramFiles);
  mode = 7;
  fs::remove_all(c / "Program Files/Zel");
  EXPECT_EQ(Install(Context(Program::Corvex), &mode, L""), kOk);
  EXPECT_TRUE(Has("Program Files/Zel/Corvex/Corvex.exe"));
}

}  // namespace
}  // namespace zel::setup::test
