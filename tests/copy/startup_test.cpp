#include "copy/startup.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "common/app_paths.h"
#ifdef _WIN32
#include "platform/win32/win32_platform.h"
#else
#include "platform/posix/posix_platform.h"
#endif

#include "copy/main_frame_rules.h"
#include "tests/copy/corvex_fakes.h"
#include "tests/support/fake_system.h"
#include "tests/support/scripted_prompter.h"

namespace zel {
namespace {

struct ScanCase {
  const wchar_t* line;
  bool a, f, c;
};

TEST(CorvexSwitches, ScanFollowsTheOrderAndCase) {
  const ScanCase cases[] = {
      {L"/a /f /c", true, true, true},
      {L"/a/f/c", true, true, true},
      {L"/A /F /C", false, false, false},  // upper case is not a switch
      {L"/c", false, false, true},
      {L"/f/a", false, true, false},       // after /f the scan steps past the a's slash
      {L"/f /a", true, true, false},       // with a blank between them both are seen
      {L"x/", false, false, false},        // a lone slash at the very end
      {L"/", false, false, false},
      {L"", false, false, false},
      {L"-a /fc", false, true, false},
  };
  for (const ScanCase& k : cases) {
    CorvexSwitches s = ScanCorvexSwitches(k.line);
    EXPECT_EQ(s.autostart, k.a) << std::string(k.line, k.line + wcslen(k.line));
    EXPECT_EQ(s.noDialog, k.f) << std::string(k.line, k.line + wcslen(k.line));
    EXPECT_EQ(s.openConfiguration, k.c) << std::string(k.line, k.line + wcslen(k.line));
  }
}

TEST(CorvexSwitches, AutostartValueNamesTheInstallationDirectory) {
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"\"C:\\Program Files\\Brindle\\Corvex.exe\" /a /f", L"C:\\Program Files\\Brindle"},
      {L"C:\\Brindle\\Corvex.exe /a /f", L"C:\\Brindle"},
      {L"C:\\Corvex\\Bin\\Corvex.exe", L"C:\\Corvex\\Bin"},  // the last one counts
      {L"C:\\Brindle\\corvex.exe /a", L"C:\\Brindle\\corvex.exe /a"},  // case-sensitive: unchanged
      {L"", L""},
  };
  for (const auto& [value, dir] : cases) EXPECT_EQ(AutostartDirectory(value), dir);
}

TEST(CorvexSwitches, SystemFamilies) {
  struct V {
    uint32_t major, minor;
    SystemFamily kind;
  };
  const V cases[] = {
      {4, 10, SystemFamily::Win98}, {4, 90, SystemFamily::Win98},
      {4, 0, SystemFamily::Unsupported},  {3, 51, SystemFamily::Unsupported},
      {5, 0, SystemFamily::Nt},     {5, 1, SystemFamily::Nt},
      {6, 0, SystemFamily::Nt},     {6, 2, SystemFamily::Nt},
      {7, 0, SystemFamily::Unsupported},  {10, 0, SystemFamily::Unsupported},
  };
  for (const V& c : cases) EXPECT_EQ(ClassifySystem({c.major, c.minor, 0}), c.kind) << c.major << "." << c.minor;
}

class StartupTest : public ::testing::Test, public CorvexStartupSteps {
 protected:
  // A Windows 8 machine; the program was started from C:\start.
  StartupTest() {
    system.tick = 1234;
    system.version = {6, 2, 9200};
    system.computerName = L"HOST";
    system.modulePath = L"C:\\Program Files\\Brindle\\Corvex.exe";
    system.currentDirectory = L"C:\\start";
    system.directoryChangesWork = true;
  }
  static long NtProc(DiskList&) { return 0; }
  static long Win98Proc(DiskList&) { return 0; }
  bool ClaimSingleInstance() override {
    steps.push_back("mutex");
    return !alreadyRunning;
  }
  void LoadHardwareList(const std::wstring& file) override {
    steps.push_back("hardware");
    hardwareFile = file;
  }
  void SetUpFramework() override { steps.push_back("framework"); }
  bool LoadAspi() override {
    steps.push_back("aspi");
    return aspiLoads;
  }
  DiscoveryProcedure NtDiscovery() override { return &NtProc; }
  DiscoveryProcedure Win98Discovery() override { return &Win98Proc; }

  StartupOutcome Start(const wchar_t* line) {
    Platform p;
    p.system = &system;
    p.registry = &registry;
    p.prompter = &prompter;
    ScopedPorts scoped(p);
    return RunCorvexStartup(line, L"C:\\Zel\\Corvex.exe", *this, result);
  }

  test::FakeSystem system;
  test::FakeRegistry registry;
  ScriptedPrompter prompter;
  std::vector<std::string> steps;
  std::wstring hardwareFile;
  bool alreadyRunning = false;
  bool aspiLoads = true;
  CorvexStartup result;
};

TEST_F(StartupTest, AutostartChangesDirectoryAndNtRuns) {
  registry.WriteValue(RegRoot::LocalMachine, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run",
                      RegString(L"Corvex", L"\"C:\\Program Files\\Brindle\\Corvex.exe\" /a /f"));
  EXPECT_EQ(Start(L"/a /f /c"), StartupOutcome::kRun);
  EXPECT_EQ(system.currentDirectory, L"C:\\Program Files\\Brindle");
  EXPECT_TRUE(result.switches.noDialog && result.switches.openConfiguration);
  EXPECT_EQ(result.family, SystemFamily::Nt);
  EXPECT_EQ(result.discover, &NtProc);
  EXPECT_EQ(steps, (std::vector<std::string>{"mutex", "hardware", "framework"}));
  // The program's files sit beside the executable.
  EXPECT_EQ(hardwareFile, ProcessPaths().configFile);
  EXPECT_EQ(ProcessPaths().programDirectory, L"C:\\Zel");
  EXPECT_EQ(ProcessPaths().languageFile.substr(7), L"Corvex.mlf");
  EXPECT_TRUE(prompter.Boxes().empty());
}

TEST_F(StartupTest, AutostartValueTooLongOrMissingLeavesDirectory) {
  EXPECT_EQ(Start(L"/a"), StartupOutcome::kRun);  // no value
  std::wstring longPath = L"C:\\" + std::wstring(130, L'x') + L"\\Corvex.exe";
  registry.WriteValue(RegRoot::LocalMachine, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run",
                      RegString(L"Corvex", longPath));
  EXPECT_EQ(Start(L"/a"), StartupOutcome::kRun);
  EXPECT_TRUE(system.directoryChanges.empty());
}

TEST_F(StartupTest, SecondInstanceStopsBeforeTheHardwareList) {
  alreadyRunning = true;
  EXPECT_EQ(Start(L""), StartupOutcome::kAlreadyRunning);
  EXPECT_EQ(steps, std::vector<std::string>{"mutex"});
  ASSERT_EQ(prompter.Count(), 1u);
  EXPECT_EQ(prompter.Boxes()[0].text, L"The application is already running.");
  EXPECT_EQ(prompter.Boxes()[0].caption, L"Error Message");
  EXPECT_EQ(prompter.Boxes()[0].style, kMbIconError);
  EXPECT_EQ(prompter.Boxes()[0].owner, 0u);
}

TEST_F(StartupTest, Windows98LoadsAspiAndReportsItMissing) {
  system.version = {4, 90, 3000};
  EXPECT_EQ(Start(L""), StartupOutcome::kRun);
  EXPECT_EQ(result.family, SystemFamily::Win98);
  EXPECT_EQ(result.discover, &Win98Proc);
  EXPECT_EQ(steps.back(), "aspi");

  aspiLoads = false;
  EXPECT_EQ(Start(L""), StartupOutcome::kAspiMissing);
  ASSERT_EQ(prompter.Count(), 1u);
  EXPECT_EQ(prompter.Boxes()[0].text, L"Can not load Wnaspi32.dll!");
}

TEST_F(StartupTest, OldAndNewerSystemsAreRefused) {
  for (OsVersion v : {OsVersion{4, 0, 950}, OsVersion{4, 0, 1381}, OsVersion{10, 0, 19045}}) {
    system.version = v;
    prompter.ClearBoxes();
    steps.clear();
    EXPECT_EQ(Start(L""), StartupOutcome::kUnsupportedSystem);
    ASSERT_EQ(prompter.Count(), 1u);
    EXPECT_EQ(prompter.Boxes()[0].text, L"The application is not supported in current version of OS!");
    EXPECT_EQ(std::count(steps.begin(), steps.end(), "aspi"), 0);
  }
}

TEST(MainFrameRules, TrayTipKeepsSixtyThreeCharacters) {
  EXPECT_EQ(TrayTip(L"Brindle One Touch Backup Software"), L"Brindle One Touch Backup Software");
  std::wstring longText(80, L'd');
  EXPECT_EQ(TrayTip(longText).size(), 63u);
  EXPECT_EQ(TrayTip(std::wstring(63, L'e')).size(), 63u);
  if (sizeof(wchar_t) == 2) {
    std::wstring pairAtCut = std::wstring(62, L'a') + L"\xD83D\xDCBE" + L"zz";
    EXPECT_EQ(TrayTip(pairAtCut).size(), 62u);  // the pair is not split
  }
}

// The program's own files on the host: a language file with MenuHelp only
// and a config.ini with two buttons and a long description.
TEST(MainFrameRules, ProgramFilesDecideMenuTipAndButtonMode) {
  namespace fs = std::filesystem;
  fs::path dir = fs::temp_directory_path() / "corvex-frame-rules";
  fs::create_directories(dir);
  std::ofstream(dir / "Corvex.mlf") << "[MULTI_LANG]\n09=English\n[English]\nALL=Strings\n"
                                    << "[Strings]\nMenuHelp=&Hilfe\n";
  std::ofstream(dir / "config.ini") << "[Config]\nButton=2\n[Installation]\nAppDesc="
                                    << std::string(70, 'd') << "\n";
#ifdef _WIN32
  ScopedPorts scoped(win32::Win32Platform());
#else
  ScopedPorts scoped(posix::PosixPlatform());
#endif
  ProcessPaths() = FormAppPaths((dir / "Corvex.exe").wstring(), L"Corvex.mlf");
  std::vector<MenuText> texts = LocalisedTrayMenuTexts();
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].position, 1u);
  EXPECT_EQ(texts[0].text, L"&Hilfe");
  EXPECT_EQ(ReadButtonMode(), 2);
  EXPECT_EQ(TrayTip(ReadAppDescription()), std::wstring(63, L'd'));

  fs::remove(dir / "config.ini");  // a missing file: the defaults
  EXPECT_EQ(ReadButtonMode(), 1);
  EXPECT_EQ(ReadAppDescription(), L"Brindle One Touch Backup Software");
  fs::remove_all(dir);
}

TEST(MainFrameRules, LatchResetTouchesPresentDisksOnly) {
  DiskList disks;
  disks.count = 3;
  disks.disks[0].present = 1;
  disks.disks[2].present = 1;
  test::FakeLatch latch;
  latch.status[0] = 0xFD;
  ResetButtonLatches(latch, disks);
  EXPECT_EQ(latch.log, (std::vector<std::string>{"read 0", "write 0 ff", "read 2", "write 2 ff"}));
}

TEST(MainFrameRules, WaitWarningIsOwnedByTheFrame) {
  ScriptedPrompter prompter;
  Platform p;
  p.prompter = &prompter;
  ScopedPorts scoped(p);
  ShowWaitForCopyRun(0x1234);
  ASSERT_EQ(prompter.Count(), 1u);
  EXPECT_EQ(prompter.Boxes()[0].text, L"Please wait for execution work to finish!");
  EXPECT_EQ(prompter.Boxes()[0].caption, L"Warning Message");
  EXPECT_EQ(prompter.Boxes()[0].style, 0x30u);
  EXPECT_EQ(prompter.Boxes()[0].owner, 0x1234u);
}

}  // namespace
}  // namespace zel
