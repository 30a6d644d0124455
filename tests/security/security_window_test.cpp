// The main window's, the partition dialog's and the start-up's decisions
// against the emulated bridge of a simulated enclosure.
#include <gtest/gtest.h>

#include "common/app_paths.h"
#include "common/device_list.h"
#include "common/text.h"
#include "platform/posix/posix_platform.h"
#include "security/commands.h"
#include "security/partition_dialog_rules.h"
#include "security/password_actions.h"
#include "security/password_hint.h"
#include "security/security_window.h"
#include "security/tessary_startup.h"
#include "tests/support/fake_system.h"
#include "tests/support/scripted_prompter.h"
#include "platform/sim/bridge.h"
#include "platform/sim/machine.h"
#include "tests/support/sim_machine.h"

namespace zel {
namespace {

constexpr uint32_t kDiskSectors = 64 * 2048;

class ScriptedDialogs : public SecurityDialogs {
 public:
  bool RunUnlock() override {
    ++unlocks;
    return unlockAnswer;
  }
  std::optional<uint32_t> RunPartition() override {
    ++partitions;
    return partitionAnswer;
  }
  void RunChangePassword() override { ++changes; }
  bool unlockAnswer = false;
  std::optional<uint32_t> partitionAnswer;
  int unlocks = 0, partitions = 0, changes = 0;
};

class SecurityWindowSim : public test::SimMachineTest {
 protected:
  void SetUp() override {
    SimMachineTest::SetUp();
    CreateOnHost({});
    LoadProgramFiles(ZEL_TESSARY_MLF, ZEL_TESSARY_CONFIG);
  }
  void Partitioned(bool locked, const char* password = "abc") {
    SetState("partitioned", "1");
    SetState("public-sectors", std::to_string(kDiskSectors / 2));
    ASSERT_TRUE(ChangePassword(0, BlankPasswordBlock(), MakePasswordBlock(password)));
    if (locked) {
      ASSERT_TRUE(LockDisk(0));
    }
  }
  std::vector<std::string> TextsShown() const {
    std::vector<std::string> out;
    for (const ShownSkinnedBox& box : skinned.Boxes()) out.push_back(box.text);
    return out;
  }
  SecurityWindow window;
  ScriptedDialogs dialogs;
};

TEST_F(SecurityWindowSim, StatusRuleForEveryState) {
  window.ShowStatus();
  EXPECT_EQ(window.StatusText(), "No Partition");
  EXPECT_EQ(window.LockCaption(), "Lock");
  EXPECT_EQ(window.Mask() & 0x0F, kMaskPartition);
  EXPECT_EQ(CurrentDeviceName(), GlobalDeviceList().entries.at(0).friendlyName);
  EXPECT_FALSE(CurrentDeviceName().empty());

  Partitioned(false);
  window.ShowStatus();
  EXPECT_EQ(window.StatusText(), "Unlocked");
  EXPECT_EQ(window.LockCaption(), "Lock");
  EXPECT_EQ(window.Mask() & 0x0F, kMaskLock | kMaskChangePassword | kMaskErase);

  ASSERT_TRUE(LockDisk(0));
  window.ShowStatus();
  EXPECT_EQ(window.StatusText(), "Locked");
  EXPECT_EQ(window.LockCaption(), "Unlock");
  EXPECT_EQ(window.Mask() & 0x0F, kMaskLock | kMaskChangePassword | kMaskErase);

  // No enclosure: nothing to name and nothing usable; clicks do nothing.
  GlobalDeviceList().entries.clear();
  window.ShowStatus();
  EXPECT_EQ(window.StatusText(), "N/A");
  EXPECT_EQ(window.LockCaption(), "N/A");
  EXPECT_EQ(window.Mask() & 0x0F, 0);
  EXPECT_EQ(CurrentDeviceName(), "");
  dialogs.partitionAnswer = 10;
  window.Partition(dialogs);
  window.LockOrUnlock(dialogs);
  window.ChangePassword(dialogs);
  window.Erase();
  EXPECT_EQ(dialogs.partitions + dialogs.unlocks + dialogs.changes, 0);
  EXPECT_TRUE(skinned.Boxes().empty());
}

TEST_F(SecurityWindowSim, LockUnlockAndTheBusyDisk) {
  Partitioned(false);
  window.ShowStatus();
  window.LockOrUnlock(dialogs);
  EXPECT_TRUE(State().locked);
  EXPECT_EQ(window.StatusText(), "Locked");
  EXPECT_EQ(window.LockCaption(), "Unlock");

  // Unlock cancelled: nothing changes; unlocked: the unlocked look.
  window.LockOrUnlock(dialogs);
  EXPECT_EQ(dialogs.unlocks, 1);
  EXPECT_EQ(window.StatusText(), "Locked");
  dialogs.unlockAnswer = true;
  window.LockOrUnlock(dialogs);
  EXPECT_EQ(window.StatusText(), "Unlocked");
  EXPECT_EQ(window.LockCaption(), "Lock");
  EXPECT_EQ(window.Mask() & 0x0F, kMaskLock | kMaskChangePassword | kMaskErase);

  // A refused lock: told once, every button usable, Partition too.
  ASSERT_TRUE(UnlockDisk(0, MakePasswordBlock("abc")));
  Fault("command-fails", "E9");
  window.LockOrUnlock(dialogs);
  ASSERT_EQ(TextsShown(), std::vector<std::string>{"The disk is busy. Please lock the disk later!"});
  EXPECT_EQ(window.Mask() & 0x0F, 0x0F);
  EXPECT_EQ(window.StatusText(), "Unlocked");
  EXPECT_EQ(window.LockCaption(), "Lock");
}

TEST_F(SecurityWindowSim, EraseAnsweredNoThenYes) {
  Partitioned(false);
  ASSERT_TRUE(WritePasswordHint("my hint"));
  window.ShowStatus();
  for (int answer : {kIdNo, kIdCancel}) {
    skinned.Answer(answer);
    window.Erase();
    EXPECT_TRUE(State().partitioned);
    EXPECT_EQ(window.StatusText(), "Unlocked");
  }
  EXPECT_EQ(ReadPasswordHint(), "my hint");
  skinned.Answer(kIdYes);
  window.Erase();
  EXPECT_FALSE(State().partitioned);
  EXPECT_EQ(window.StatusText(), "No Partition");
  EXPECT_EQ(window.LockCaption(), "Lock") << "the caption is left as it was";
  EXPECT_EQ(window.Mask() & 0x0F, kMaskPartition);
  EXPECT_EQ(ReadPasswordHint(), "");
  RegValue value;
  EXPECT_NE(Ports().registry->ReadValue(RegRoot::LocalMachine, kHintKey, kHintValue, 64, value), 0)
      << "the value itself is gone";
}

// An erase the enclosure refuses is told as such; the window keeps showing
// the disk as it is, password and hint included.
TEST_F(SecurityWindowSim, ARefusedEraseKeepsTheStateAndTheHint) {
  Partitioned(true);
  ASSERT_TRUE(WritePasswordHint("my hint"));
  window.ShowStatus();
  const uint8_t mask = window.Mask();
  std::string error;
  sim::Machine m;
  ASSERT_TRUE(sim::LoadMachine(dir, m, error)) << error;
  ASSERT_TRUE(sim::SetFault(m, "command-fails", "E7", error)) << error;
  skinned.Answer(kIdYes);
  window.Erase();
  EXPECT_TRUE(State().partitioned);
  EXPECT_TRUE(State().locked);
  EXPECT_EQ(window.StatusText(), "Locked");
  EXPECT_EQ(window.Mask(), mask);
  EXPECT_EQ(ReadPasswordHint(), "my hint");
  EXPECT_EQ(TextsShown().back(), "The disk could not be erased!");
}

TEST_F(SecurityWindowSim, PartitionEndingDecidesTheState) {
  window.ShowStatus();
  window.Partition(dialogs);  // cancelled
  dialogs.partitionAnswer = 0;
  window.Partition(dialogs);  // OK without a private disk
  EXPECT_EQ(window.StatusText(), "No Partition");
  EXPECT_EQ(window.Mask() & 0x0F, kMaskPartition);
  dialogs.partitionAnswer = 2048;
  window.Partition(dialogs);
  EXPECT_EQ(dialogs.partitions, 3);
  EXPECT_EQ(window.StatusText(), "Unlocked");
  EXPECT_EQ(window.Mask() & 0x0F, kMaskLock | kMaskChangePassword | kMaskErase);
  window.Partition(dialogs);
  EXPECT_EQ(dialogs.partitions, 3) << "Partition is greyed now";
  window.ChangePassword(dialogs);
  EXPECT_EQ(dialogs.changes, 1);
}

TEST_F(SecurityWindowSim, OldPasswordIsAskedOnlyWhenTheDiskHasOne) {
  SetState("partitioned", "1");
  SetState("public-sectors", std::to_string(kDiskSectors / 2));
  EXPECT_FALSE(OldPasswordAsked());
  ASSERT_TRUE(ChangePassword(0, BlankPasswordBlock(), MakePasswordBlock("abc")));
  EXPECT_TRUE(OldPasswordAsked());
  GlobalDeviceList().entries.clear();
  EXPECT_TRUE(OldPasswordAsked()) << "without a status the bridge decides";
}

TEST(DeviceChangeNotice, WhichNoticesRescan) {
  const auto rescans = [](SystemFamily f, uint32_t event, uint32_t type, bool disk) {
    return OnDeviceChangeNotice(f, event, type, disk).rescan;
  };
  EXPECT_TRUE(rescans(SystemFamily::Nt, 0x8000, 5, true));
  EXPECT_TRUE(rescans(SystemFamily::Nt, 0x8004, 2, false));
  EXPECT_FALSE(rescans(SystemFamily::Nt, 0x8000, 5, false)) << "another interface class";
  EXPECT_FALSE(rescans(SystemFamily::Nt, 0x8003, 2, false)) << "remove pending";
  EXPECT_FALSE(rescans(SystemFamily::Nt, 0x0007, 0, false));
  EXPECT_EQ(OnDeviceChangeNotice(SystemFamily::Nt, 0x8000, 2, false).pauseMs, 0u);
  const DeviceChangeAction win98 = OnDeviceChangeNotice(SystemFamily::Win98, 0x0007, 0, false);
  EXPECT_TRUE(win98.rescan);
  EXPECT_EQ(win98.pauseMs, 1000u);
  EXPECT_FALSE(rescans(SystemFamily::Win98, 0x8000, 2, false));
}

// ---- the partition dialog ----

class RecordingView : public PartitionView {
 public:
  void ShowProgress(uint8_t p) override { progress.push_back(p); }
  void SetBusy(bool b) override {
    busy.push_back(b);
    if (rules) maskWhileBusy.push_back(rules->Mask());
  }
  std::vector<uint8_t> progress;
  std::vector<bool> busy;
  std::vector<uint8_t> maskWhileBusy;
  const PartitionDialogRules* rules = nullptr;
};

using PartitionDialogSim = SecurityWindowSim;

TEST_F(PartitionDialogSim, SliderTextsAndStart) {
  RecordingView view;
  PartitionDialogRules rules(view);
  view.rules = &rules;
  ASSERT_TRUE(rules.Open());
  EXPECT_EQ(rules.SliderPos(), 0u);
  EXPECT_EQ(rules.PrivateSizeText(), "0 Mbytes");
  EXPECT_EQ(rules.PublicSizeText(), "63 Mbytes") << "the capacity is one sector short";
  rules.MoveSlider(20);
  EXPECT_EQ(rules.PrivateSizeText(), "20 Mbytes");
  EXPECT_EQ(rules.PublicSizeText(), "43 Mbytes");
  rules.MoveSlider(1000);
  EXPECT_EQ(rules.SliderPos(), rules.SliderMax()) << "held at the slider's end";
  rules.MoveSlider(20);

  skinned.Answer(kIdNo);
  EXPECT_EQ(rules.Start(), PartitionOutcome::Declined);
  EXPECT_FALSE(State().partitioned);
  skinned.Answer(kIdYes);
  skinned.Answer(kIdOk);
  EXPECT_EQ(rules.Start(), PartitionOutcome::Completed);
  EXPECT_EQ(view.progress.back(), 100);
  EXPECT_EQ(view.busy, (std::vector<bool>{true, false}));
  EXPECT_EQ(view.maskWhileBusy, (std::vector<uint8_t>{kMaskCancel, kMaskStart | kMaskCancel}));
  EXPECT_TRUE(State().partitioned);
  EXPECT_EQ(rules.Sizes().privateSize, 20u * 2048);

  // Opened again on the divided disk: both parts' sizes, slider at the private size.
  Rediscover();  // as the device change after the split does
  PartitionDialogRules again(view);
  ASSERT_TRUE(again.Open());
  EXPECT_EQ(again.SliderPos(), 20u);
  EXPECT_EQ(again.PrivateSizeText(), "20 Mbytes");
  EXPECT_EQ(again.Sizes().total, kDiskSectors - 2) << "each capacity is one sector short";
}

TEST_F(PartitionDialogSim, UnreadableSizesLeaveStartGreyed) {
  Fault("command-fails", "E5");
  RecordingView view;
  PartitionDialogRules rules(view);
  EXPECT_FALSE(rules.Open());
  EXPECT_EQ(rules.Mask(), kMaskCancel);
  EXPECT_EQ(rules.SliderMax(), 0u);
  EXPECT_EQ(rules.PublicSizeText(), "0 Mbytes");
  EXPECT_EQ(rules.Start(), PartitionOutcome::Declined);
  EXPECT_TRUE(skinned.Boxes().empty()) << "not even asked";
}

// ---- start-up ----

class RecordingSteps : public TessaryStartupSteps {
 public:
  bool ClaimSingleInstance() override {
    log += "mutex ";
    return first;
  }
  bool LoadAspi() override {
    log += "aspi ";
    return aspi;
  }
  void LoadHardwareList(const std::wstring& config) override {
    log += "hardware ";
    configFile = config;
  }
  void EnumerateDevices() override { log += "devices "; }
  bool first = true, aspi = true;
  std::string log;
  std::wstring configFile;
};

class TessaryStartupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Platform p = posix::PosixPlatform();
    p.system = &system;
    p.skinned = &prompter;
    scope = std::make_unique<ScopedPorts>(p);
  }
  void TearDown() override {
    scope.reset();
    ProcessPaths() = AppPaths{};
  }
  TessaryStartupOutcome Run(const std::string& commandLine) {
    prompter.Clear();
    steps.log.clear();
    return RunTessaryStartup(commandLine, modulePath, steps, out);
  }
  // Beside the shipped language file, so its texts are the ones shown.
  std::wstring modulePath = Utf8ToWide(std::string(ZEL_TESSARY_ASSETS) + "/Tessary.exe");
  test::FakeSystem system;
  ScriptedSkinnedPrompter prompter;
  RecordingSteps steps;
  TessaryStartup out;
  std::unique_ptr<ScopedPorts> scope;
};

TEST_F(TessaryStartupTest, OpenSwitchAnywhere) {
  EXPECT_TRUE(OpensWindowAtStart("/c"));
  EXPECT_TRUE(OpensWindowAtStart("/a /f /c"));
  EXPECT_TRUE(OpensWindowAtStart("x/cy"));
  EXPECT_FALSE(OpensWindowAtStart("/C"));
  EXPECT_FALSE(OpensWindowAtStart("/a /f"));
  EXPECT_FALSE(OpensWindowAtStart("c/"));
}

TEST_F(TessaryStartupTest, StepsInOrderAndWhyItStops) {
  ASSERT_EQ(Run("/a /c"), TessaryStartupOutcome::kRun);
  EXPECT_EQ(steps.log, "mutex hardware devices ");
  EXPECT_TRUE(out.openAtStart);
  EXPECT_EQ(out.family, SystemFamily::Nt);
  EXPECT_EQ(Ports().family, SystemFamily::Nt);
  EXPECT_EQ(steps.configFile, Utf8ToWide(std::string(ZEL_TESSARY_ASSETS) + "/config.ini"));
  EXPECT_TRUE(prompter.Boxes().empty());

  steps.first = false;
  EXPECT_EQ(Run(""), TessaryStartupOutcome::kAlreadyRunning);
  EXPECT_EQ(steps.log, "mutex ");
  ASSERT_EQ(prompter.Boxes().size(), 1u);
  EXPECT_EQ(prompter.Boxes()[0].text, "The application is already running!");
  EXPECT_EQ(prompter.Boxes()[0].kind, 1);
  steps.first = true;

  system.version = {4, 10, 2222};
  steps.aspi = false;
  EXPECT_EQ(Run(""), TessaryStartupOutcome::kAspiMissing);
  EXPECT_EQ(steps.log, "mutex aspi ");
  ASSERT_EQ(prompter.Boxes().size(), 1u);
  EXPECT_EQ(prompter.Boxes()[0].text, "Can not fine the file Wnaspi32.dll!") << "the file's text and the name";
  EXPECT_EQ(prompter.Boxes()[0].kind, 4);
  steps.aspi = true;
  EXPECT_EQ(Run(""), TessaryStartupOutcome::kRun);
  EXPECT_EQ(out.family, SystemFamily::Win98);

  system.version = {10, 0, 19045};
  EXPECT_EQ(Run(""), TessaryStartupOutcome::kUnsupportedSystem);
  ASSERT_EQ(prompter.Boxes().size(), 1u);
  EXPECT_EQ(prompter.Boxes()[0].text, "The application is not supported in current version of OS!");
  EXPECT_EQ(steps.log, "mutex ");
}

}  // namespace
}  // namespace zel
