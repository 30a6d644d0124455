// The program's start-up decisions: "/c", the single instance, which systems
// run and which are refused with which box, the ASPI text with and without
// its key, and the tray tip.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "common/app_paths.h"
#include "common/text.h"
#include "platform/posix/posix_platform.h"
#include "power/startup.h"
#include "tests/support/fake_system.h"
#include "tests/support/scripted_prompter.h"

namespace zel {
namespace {

class Steps : public DormelStartupSteps {
 public:
  bool instanceFree = true, aspi = true;
  std::vector<std::string> calls;
  bool ClaimSingleInstance() override {
    calls.push_back("mutex");
    return instanceFree;
  }
  bool LoadAspi() override {
    calls.push_back("aspi");
    return aspi;
  }
  void LoadHardwareList(const std::wstring& file) override { calls.push_back("hardware " + WideToUtf8(file)); }
};

class DormelStartupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = std::filesystem::temp_directory_path() / ("dormel_startup." + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    Platform ports = posix::PosixPlatform();
    ports.system = &system;
    ports.skinned = &prompter;
    scope = std::make_unique<ScopedPorts>(ports);
  }
  void TearDown() override {
    scope.reset();
    std::filesystem::remove_all(dir);
  }
  void Write(const std::string& name, const std::string& text) { std::ofstream(dir / name) << text; }
  DormelStartupOutcome Start(const std::string& commandLine) {
    return RunDormelStartup(commandLine, Utf8ToWide((dir / "Dormel.exe").string()), steps, out);
  }

  std::filesystem::path dir;
  test::FakeSystem system;
  ScriptedSkinnedPrompter prompter;
  std::unique_ptr<ScopedPorts> scope;
  Steps steps;
  DormelStartup out;
};

TEST(DormelSwitches, OpenAtStartOnlyForLowerCaseC) {
  EXPECT_TRUE(ScanOpenAtStart("/a /f /c"));
  EXPECT_TRUE(ScanOpenAtStart("x/cy"));
  EXPECT_FALSE(ScanOpenAtStart("/a /f"));
  EXPECT_FALSE(ScanOpenAtStart("/C"));
  EXPECT_FALSE(ScanOpenAtStart("/"));
}

TEST_F(DormelStartupTest, SystemFamiliesInOrderAndRefusals) {
  struct Case {
    OsVersion version;
    DormelStartupOutcome outcome;
    SystemFamily family;
  };
  const Case cases[] = {
      {{4, 10, 0}, DormelStartupOutcome::kRun, SystemFamily::Win98},
      {{4, 90, 0}, DormelStartupOutcome::kRun, SystemFamily::Win98},
      {{5, 1, 0}, DormelStartupOutcome::kRun, SystemFamily::Nt},
      {{6, 2, 0}, DormelStartupOutcome::kRun, SystemFamily::Nt},
      {{4, 0, 0}, DormelStartupOutcome::kUnsupportedSystem, SystemFamily::Undecided},
      {{10, 0, 0}, DormelStartupOutcome::kUnsupportedSystem, SystemFamily::Undecided},
  };
  for (const Case& c : cases) {
    system.version = c.version;
    steps.calls.clear();
    prompter.Clear();
    EXPECT_EQ(Start("/c"), c.outcome) << c.version.major << "." << c.version.minor;
    EXPECT_EQ(out.family, c.family);
    EXPECT_TRUE(out.openAtStart);
    if (c.outcome == DormelStartupOutcome::kRun) {
      EXPECT_TRUE(prompter.Boxes().empty());
      EXPECT_EQ(steps.calls.back(), "hardware " + (dir / "config.ini").string());
      EXPECT_EQ(steps.calls.front(), "mutex");
    } else {
      ASSERT_EQ(prompter.Boxes().size(), 1u);
      EXPECT_EQ(prompter.Boxes()[0].text, "The application is not supported in current version of OS!");
      EXPECT_EQ(prompter.Boxes()[0].background, 149);
      EXPECT_EQ(prompter.Boxes()[0].kind, 145);
      EXPECT_EQ(prompter.Sounds(), (std::vector<int>{151}));
      EXPECT_EQ(steps.calls, (std::vector<std::string>{"mutex"}));
    }
  }
  EXPECT_EQ(WideToUtf8(ProcessPaths().languageFile), (dir / "Dormel.mlf").string());
}

TEST_F(DormelStartupTest, SecondInstanceStopsFirst) {
  steps.instanceFree = false;
  EXPECT_EQ(Start(""), DormelStartupOutcome::kAlreadyRunning);
  ASSERT_EQ(prompter.Boxes().size(), 1u);
  EXPECT_EQ(prompter.Boxes()[0].text, "The application is already running !");
  EXPECT_EQ(prompter.Boxes()[0].caption, "Error Message");
  EXPECT_EQ(steps.calls, (std::vector<std::string>{"mutex"}));
}

TEST_F(DormelStartupTest, MissingAspiTextWithAndWithoutKey) {
  system.version = {4, 10, 0};
  steps.aspi = false;
  EXPECT_EQ(Start(""), DormelStartupOutcome::kAspiMissing);
  ASSERT_EQ(prompter.Boxes().size(), 1u);
  EXPECT_EQ(prompter.Boxes()[0].text, "Can not fine the file Wnaspi32.dll!");
  Write("Dormel.mlf", "[MULTI_LANG]\n09=English\n[English]\nALL=S\n[S]\nMsgStr02=Missing\nMsgCaption01=Oops\n");
  prompter.Clear();
  EXPECT_EQ(Start(""), DormelStartupOutcome::kAspiMissing);
  ASSERT_EQ(prompter.Boxes().size(), 1u);
  EXPECT_EQ(prompter.Boxes()[0].text, "Missing Wnaspi32.dll!");
  EXPECT_EQ(prompter.Boxes()[0].caption, "Oops");
  EXPECT_EQ(prompter.Sounds(), (std::vector<int>{151}));
}

TEST_F(DormelStartupTest, TrayTipFromAppDescOrDefaultCutTo63) {
  Start("");
  EXPECT_EQ(DormelTrayTip(), L"Power Management tool");
  Write("config.ini", "[Installation]\nAppDesc=Power settings\n");
  EXPECT_EQ(DormelTrayTip(), L"Power settings");
  Write("config.ini", "[Installation]\nAppDesc=" + std::string(100, 'x') + "\n");
  EXPECT_EQ(DormelTrayTip(), std::wstring(63, L'x'));
}

}  // namespace
}  // namespace zel
