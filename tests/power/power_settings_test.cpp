// The power settings against a scripted bridge: what the status read shows,
// what Save and Restore defaults send and in which order, and the boxes the
// user sees when a step fails.
#include <gtest/gtest.h>

#include "common/device_list.h"
#include "power/power_commands.h"
#include "power/power_settings.h"
#include "power/standby_timers.h"
#include "tests/power/power_fixture.h"

namespace zel {
namespace {

using Strings = std::vector<std::string>;

class RecordingView : public PowerView {
 public:
  void ShowSpm(bool on) override { spm.push_back(on); }
  void SelectEntry(int entry) override { selected.push_back(entry); }
  void BeginWait() override { ++waits; }
  void EndWait() override { --waits; }
  std::vector<bool> spm;
  std::vector<int> selected;
  int waits = 0;
};

class PowerSettingsTest : public test::PowerFixture {
 protected:
  void SetStatus(uint8_t flags, uint16_t code) { bridge.status = {flags, uint8_t(code >> 8), uint8_t(code)}; }
  // The code of the last EB 04 the bridge received, low byte first.
  int LastTimerSent() const {
    for (auto it = bridge.received.rbegin(); it != bridge.received.rend(); ++it) {
      if ((*it)[0] == 0xEB && (*it)[1] == 0x04) return (*it)[2] | ((*it)[3] << 8);
    }
    return -1;
  }
  RecordingView view;
  PowerSettingsEditor editor{view};
};

TEST(StandbyTimerRule, NeverRuleAndLookup) {
  // Code 0 is Never whatever the flags and the register say.
  for (uint8_t flags : {0x00, 0x02, 0x03}) {
    TimerShown t = DecideTimer(flags, 0, 0x08);
    EXPECT_TRUE(t.never);
    EXPECT_EQ(t.entry, 0);
  }
  // Register bit 3 with status bit 1 clear turns a non-zero code into Never.
  TimerShown off = DecideTimer(0x01, 0x23F0, 0x08);
  EXPECT_TRUE(off.never);
  EXPECT_EQ(off.code, 0);
  // With status bit 1 set, or register bit 3 clear, the code is looked up.
  EXPECT_EQ(DecideTimer(0x02, 0x23F0, 0x08).entry, 3);
  EXPECT_EQ(DecideTimer(0x00, 0x23F0, 0xF7).entry, 3);
  // A code not in the list keeps its value and has no entry.
  TimerShown odd = DecideTimer(0x02, 0x1000, 0);
  EXPECT_FALSE(odd.never);
  EXPECT_EQ(odd.entry, -1);
  EXPECT_EQ(odd.code, 0x1000);
}

TEST(StandbyTimerRule, EntriesByNumberOrText) {
  EXPECT_EQ(ParseStandbyEntry("3"), 3);
  EXPECT_EQ(ParseStandbyEntry("10 Minutes Later"), 3);
  EXPECT_EQ(ParseStandbyEntry("never"), 0);
  EXPECT_EQ(ParseStandbyEntry("1 hours later"), 9);
  EXPECT_EQ(ParseStandbyEntry("10"), -1);
  EXPECT_EQ(ParseStandbyEntry("10 minutes"), -1);
  EXPECT_EQ(ParseStandbyEntry(""), -1);
  EXPECT_EQ(FindStandbyEntry(0x0B40), 1);
  EXPECT_EQ(FindStandbyEntry(0xD980), 9);
  EXPECT_EQ(FindStandbyEntry(0), -1);  // entry 0 is never found by its code
}

TEST(PowerRequests, TimerByteOrdersAndBufferRooms) {
  VendorCommand set = SetStandbyTimerRequest(0x0B40);
  EXPECT_EQ(set.cdb[0], 0xEB);
  EXPECT_EQ(set.cdb[1], 0x04);
  EXPECT_EQ(set.cdb[2], 0x40);
  EXPECT_EQ(set.cdb[3], 0x0B);
  for (size_t i = 4; i < 12; ++i) EXPECT_EQ(set.cdb[i], 0) << i;
  EXPECT_EQ(DecodePowerStatus({0x02, 0x0B, 0x40}).code, 0x0B40);
  // Every command says data in; only the status read moves data (3 bytes,
  // header sent alone); the others send their whole 2-byte room.
  VendorCommand status = ReadPowerStatusRequest();
  EXPECT_EQ(status.dataLength, 3u);
  EXPECT_EQ(status.dataRoom, 6u);
  EXPECT_FALSE(status.sendWhole);
  for (const VendorCommand& c : {SetSystemPowerManagementRequest(true), SetSystemPowerManagementRequest(false),
                                 set, RestorePowerDefaultsRequest()}) {
    EXPECT_EQ(c.direction, DataDirection::In);
    EXPECT_EQ(c.dataLength, 0u);
    EXPECT_EQ(c.dataRoom, 2u);
    EXPECT_TRUE(c.sendWhole);
  }
  EXPECT_EQ(SetSystemPowerManagementRequest(true).cdb[1], 0x02);
  EXPECT_EQ(SetSystemPowerManagementRequest(false).cdb[1], 0x03);
  EXPECT_EQ(RestorePowerDefaultsRequest().cdb[1], 0x06);
}

TEST_F(PowerSettingsTest, StatusReadShowsSpmAndEntryAndReadsRegister1A) {
  SetStatus(0x03, 0x23F0);
  editor.ReadStatusAtOpen();
  EXPECT_EQ(bridge.Sent(), (Strings{"EB01", "E200"}));
  const auto& reg = bridge.received[1];
  EXPECT_EQ(reg[2], 0x00);
  EXPECT_EQ(reg[3], 0x1A);
  EXPECT_EQ(reg[4], 0x00);
  EXPECT_EQ(reg[5], 0x01);
  EXPECT_EQ(view.spm, (std::vector<bool>{true}));
  EXPECT_EQ(view.selected, (std::vector<int>{3}));
  EXPECT_TRUE(editor.Settings().apmEnabled);
  EXPECT_EQ(editor.Settings().standbyTimerCode, 0x23F0);
  EXPECT_TRUE(prompter.Boxes().empty());
}

TEST_F(PowerSettingsTest, NeverByRegisterMakesSaveSendZero) {
  SetStatus(0x01, 0x3660);
  bridge.powerRegister = 0x08;
  editor.ReadStatusAtOpen();
  EXPECT_EQ(view.selected, (std::vector<int>{0}));
  EXPECT_FALSE(editor.Settings().apmEnabled);
  prompter.Answer(1036);
  EXPECT_TRUE(editor.Save());
  EXPECT_EQ(LastTimerSent(), 0);
}

TEST_F(PowerSettingsTest, CodeNotInListLeavesNoSelectionAndIsWrittenBack) {
  SetStatus(0x02, 0x1000);
  editor.ReadStatusAtOpen();
  EXPECT_TRUE(view.selected.empty());
  EXPECT_EQ(view.spm, (std::vector<bool>{false}));
  editor.ChooseEntry(-1);  // a selection change that leaves nothing selected
  EXPECT_TRUE(editor.Save());  // the default answer goes on
  EXPECT_EQ(bridge.Sent(), (Strings{"EB01", "E200", "EB03", "EB04"}));
  EXPECT_EQ(LastTimerSent(), 0x1000);
  EXPECT_EQ(view.waits, 0);
}

TEST_F(PowerSettingsTest, SaveSendsSpmBeforeTimerAndNeverAsZero) {
  editor.ReadStatusAtOpen();
  editor.ChooseSpm(true);
  editor.ChooseEntry(1);
  EXPECT_TRUE(editor.Save());
  EXPECT_EQ(LastTimerSent(), 0x0B40);
  bridge.received.clear();
  editor.ChooseSpm(false);
  editor.ChooseEntry(0);
  EXPECT_FALSE(editor.Settings().apmEnabled);
  EXPECT_TRUE(editor.Save());
  EXPECT_EQ(bridge.Sent(), (Strings{"EB03", "EB04"}));
  EXPECT_EQ(bridge.received[1][2], 0);
  EXPECT_EQ(bridge.received[1][3], 0);
  // The question came first each time, on background 149 with the question mark.
  auto boxes = prompter.Boxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, "Are you sure you want to saves this settings?");
  EXPECT_EQ(boxes[0].caption, "Prompt Message");
  EXPECT_EQ(boxes[0].background, 149);
  EXPECT_EQ(boxes[0].kind, 146);
}

TEST_F(PowerSettingsTest, SaveDeclinedSendsNothing) {
  editor.ReadStatusAtOpen();
  bridge.received.clear();
  prompter.Answer(1039);  // No
  prompter.Answer(2);     // Escape
  EXPECT_FALSE(editor.Save());
  EXPECT_FALSE(editor.Save());
  EXPECT_TRUE(bridge.received.empty());
}

TEST_F(PowerSettingsTest, FailedSpmStopsBeforeTimer) {
  editor.ReadStatusAtOpen();
  bridge.received.clear();
  bridge.failing = {{0xEB, 0x02}};
  editor.ChooseSpm(true);
  EXPECT_FALSE(editor.Save());
  EXPECT_EQ(bridge.Sent(), (Strings{"EB02"}));
  auto boxes = prompter.Boxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1].text, "Set System Power Management Fail !");
  EXPECT_EQ(boxes[1].caption, "Warning Message");
  EXPECT_EQ(boxes[1].background, 149);
  EXPECT_EQ(boxes[1].kind, 147);
  EXPECT_EQ(prompter.Sounds(), (std::vector<int>{152}));
  EXPECT_EQ(view.waits, 0);

  bridge.failing = {{0xEB, 0x04}};
  prompter.Clear();
  EXPECT_FALSE(editor.Save());
  ASSERT_EQ(prompter.Boxes().size(), 2u);
  EXPECT_EQ(prompter.Boxes()[1].text, "Set Aggressive Power Management Fail !");
}

TEST_F(PowerSettingsTest, RestoreToNeverThenSaveSendsZero) {
  SetStatus(0x03, 0x5AA0);
  editor.ReadStatusAtOpen();
  EXPECT_EQ(editor.Settings().standbyTimerCode, 0x5AA0);
  SetStatus(0x01, 0x0000);  // what the bridge reports after its defaults
  editor.RestoreDefaults();
  EXPECT_EQ(bridge.Sent(), (Strings{"EB01", "E200", "EB06", "EB01", "E200"}));
  EXPECT_EQ(view.selected, (std::vector<int>{6, 0}));
  EXPECT_EQ(prompter.Boxes().size(), 1u);  // the question only
  EXPECT_EQ(prompter.Boxes()[0].text, "Are you sure you want to restores this default settings?");
  EXPECT_TRUE(editor.Save());
  EXPECT_EQ(LastTimerSent(), 0);
}

TEST_F(PowerSettingsTest, RestoreFailuresWarnAndDeclineSendsNothing) {
  prompter.Answer(1039);
  editor.RestoreDefaults();
  EXPECT_TRUE(bridge.received.empty());
  for (auto failing : {std::make_pair<uint8_t, uint8_t>(0xEB, 0x06), std::make_pair<uint8_t, uint8_t>(0xE2, 0x00)}) {
    prompter.Clear();
    bridge.failing = {failing};
    editor.RestoreDefaults();
    ASSERT_EQ(prompter.Boxes().size(), 2u);
    EXPECT_EQ(prompter.Boxes()[1].text, "Restore default setting fail !      ");
    EXPECT_EQ(prompter.Boxes()[1].background, 140);
    EXPECT_EQ(view.waits, 0);
  }
}

TEST_F(PowerSettingsTest, OpeningWithoutDeviceOrStatusWarnsAndLeavesStateAlone) {
  GlobalDeviceList().entries.clear();
  editor.ReadStatusAtOpen();
  ASSERT_EQ(prompter.Boxes().size(), 1u);
  EXPECT_EQ(prompter.Boxes()[0].text, "No any device !!             ");
  EXPECT_EQ(prompter.Boxes()[0].caption, "Error Message");
  EXPECT_EQ(prompter.Boxes()[0].kind, 145);
  EXPECT_EQ(prompter.Sounds(), (std::vector<int>{151}));
  EXPECT_TRUE(bridge.received.empty());
  // Save still sends whatever the buttons say; with no device it fails on SPM.
  editor.ChooseSpm(true);
  EXPECT_FALSE(editor.Save());

  DeviceEntry entry;
  entry.interfacePath = "\\\\?\\usbstor#disk0";
  GlobalDeviceList().entries = {entry};
  prompter.Clear();
  bridge.failing = {{0xEB, 0x01}};
  PowerSettingsEditor again(view);
  view.spm.clear();
  again.ReadStatusAtOpen();
  ASSERT_EQ(prompter.Boxes().size(), 1u);
  EXPECT_EQ(prompter.Boxes()[0].text, "Get Power Status Fail !         ");
  EXPECT_EQ(prompter.Boxes()[0].background, 140);
  EXPECT_TRUE(view.spm.empty());
}

}  // namespace
}  // namespace zel
