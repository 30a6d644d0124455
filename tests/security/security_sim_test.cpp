// The security commands, the partition procedure and the password actions
// against the emulated bridge of a simulated enclosure.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "common/bytes.h"
#include "common/texts.h"
#include "security/commands.h"
#include "security/partition_format.h"
#include "security/password_actions.h"
#include "security/password_hint.h"
#include "security/security_actions.h"
#include "tests/support/sim_machine.h"

namespace zel {
namespace {

// The security tool's shipped language and hardware list, on a machine with
// one enclosure.
class SecuritySim : public test::SimMachineTest {
 protected:
  void SetUp() override {
    SimMachineTest::SetUp();
    StartMachine({});
  }
  void StartMachine(const sim::CreateOptions& options) {
    CreateOnHost(options);
    LoadProgramFiles(ZEL_TESSARY_MLF, ZEL_TESSARY_CONFIG);
  }
};

class RecordingView : public PartitionView {
 public:
  void ShowProgress(uint8_t p) override { progress.push_back(p); }
  void SetBusy(bool b) override { busy.push_back(b); }
  std::vector<uint8_t> progress;
  std::vector<bool> busy;
};

constexpr uint64_t kDiskSectors = 64 * 2048;  // the fixture's enclosure

using SecurityCommandsSim = SecuritySim;

TEST_F(SecurityCommandsSim, CapacityIsTheLastBlockAddress) {
  uint32_t last = 0;
  ASSERT_TRUE(ReadCapacity(0, last));
  EXPECT_EQ(last, kDiskSectors - 1);
  EXPECT_FALSE(ReadCapacity(1, last)) << "no private disk before partitioning";
}

TEST_F(SecurityCommandsSim, LockUnlockChangePasswordAndEraseAsTheBridgeSeesThem) {
  SetState("partitioned", "1");
  SetState("public-sectors", std::to_string(kDiskSectors / 2));
  uint8_t status = 0xFF;
  ASSERT_TRUE(ReadSecurityStatus(0, status));
  EXPECT_EQ(status, 0x01);

  // First password: the old one is the blank block.
  ASSERT_TRUE(ChangePassword(0, BlankPasswordBlock(), MakePasswordBlock("Secret")));
  EXPECT_TRUE(State().passwordSet);
  EXPECT_EQ(State().password, MakePasswordBlock("Secret"));

  ASSERT_TRUE(LockDisk(0));
  EXPECT_TRUE(State().locked);
  ASSERT_TRUE(ReadSecurityStatusForLock(0, status));
  EXPECT_EQ(status, 0x07);
  uint32_t last = 0;
  EXPECT_FALSE(ReadCapacity(1, last)) << "a locked private disk has no medium";

  EXPECT_FALSE(UnlockDisk(0, MakePasswordBlock("secret"))) << "case counts";
  EXPECT_FALSE(UnlockDisk(0, BlankPasswordBlock()));
  EXPECT_TRUE(State().locked);
  EXPECT_TRUE(UnlockDisk(0, MakePasswordBlock("Secret   ")));
  EXPECT_FALSE(State().locked);

  EXPECT_FALSE(ChangePassword(0, MakePasswordBlock("wrong"), MakePasswordBlock("Other")));
  EXPECT_EQ(State().password, MakePasswordBlock("Secret"));
  ASSERT_TRUE(ChangePassword(0, MakePasswordBlock("Secret"), MakePasswordBlock("Other")));
  EXPECT_EQ(State().password, MakePasswordBlock("Other"));
  EXPECT_FALSE(State().locked) << "a change keeps the lock state";

  ASSERT_TRUE(EraseDisk(0));
  EXPECT_FALSE(State().partitioned);
  EXPECT_FALSE(State().passwordSet);
  ASSERT_TRUE(ReadSecurityStatus(0, status));
  EXPECT_EQ(status, 0x00);
}

TEST_F(SecurityCommandsSim, StatusWithoutThePartitionBitShowsNoPartition) {
  EXPECT_EQ(StateOfStatus(true, 0x06), SecurityState::NoPartition);
  EXPECT_EQ(StateOfStatus(true, 0x03), SecurityState::Locked);
  EXPECT_EQ(StateOfStatus(true, 0x05), SecurityState::Unlocked);
  EXPECT_EQ(StateOfStatus(false, 0x01), SecurityState::Unknown);
  EXPECT_EQ(StateText(SecurityState::Unknown), "N/A");
  EXPECT_EQ(ReadSecurityState(), SecurityState::NoPartition);
}

TEST_F(SecurityCommandsSim, PartitionSizeGoesMostSignificantByteFirst) {
  ASSERT_TRUE(SetPartitionSize(0, 0x00010203));
  ASSERT_FALSE(scsi->sent.empty());
  EXPECT_EQ(scsi->sent.back().op, 0xE6);
  EXPECT_EQ(scsi->sent.back().data, (std::vector<uint8_t>{0x00, 0x01, 0x02, 0x03}));
  ASSERT_TRUE(SetPartitionSize(0, 0));
  EXPECT_EQ(scsi->sent.back().data, (std::vector<uint8_t>{0, 0, 0, 0}));
}

TEST_F(SecurityCommandsSim, PasswordActionsAndTheirMessages) {
  SetState("partitioned", "1");
  SetState("public-sectors", std::to_string(kDiskSectors / 2));
  // Without the hint key the password changes, the hint cannot be kept.
  ASSERT_EQ(Ports().registry->DeleteTree(RegRoot::LocalMachine, kHintKey), 0);
  const auto stateBefore = State();
  PasswordChange tooLong{false, "", "Pw12345678901", "Pw12345678901", "my hint"};
  EXPECT_EQ(ChangePasswordWithHint(tooLong), ChangeOutcome::Refused) << "thirteen bytes are refused, not cut";
  EXPECT_EQ(skinned.Boxes().back().text, "The password is longer than 12 bytes!");
  PasswordChange longHint{false, "", "Pw1234567890", "Pw1234567890", std::string(25, 'h')};
  EXPECT_EQ(ChangePasswordWithHint(longHint), ChangeOutcome::Refused);
  EXPECT_EQ(skinned.Boxes().back().text, "The password hint is longer than 24 bytes!");
  EXPECT_EQ(State().password, stateBefore.password);
  EXPECT_EQ(State().passwordSet, stateBefore.passwordSet);
  PasswordChange change{false, "", "Pw1234567890", "Pw1234567890", std::string(24, 'h')};
  EXPECT_EQ(ChangePasswordWithHint(change), ChangeOutcome::HintNotSaved);
  EXPECT_EQ(State().password, MakePasswordBlock("Pw1234567890"));
  ASSERT_EQ(Ports().registry->CreateKey(RegRoot::LocalMachine, kHintKey), 0);

  const struct {
    PasswordChange change;
    ChangeOutcome outcome;
    const char* message;
  } cases[] = {
      {{true, "Pw1234567890", "", "", ""}, ChangeOutcome::Refused, "Please input the valid password!"},
      {{true, "Pw1234567890", "abc", "ABC", ""}, ChangeOutcome::Refused,
       "The new password is different from confirm password!"},
      {{true, "", "abc", "abc", ""}, ChangeOutcome::CommandFailed, "Fail to change password!"},
      {{true, "Pw1234567890", "abc", "abc", "\"C:\\hint\\x"}, ChangeOutcome::Changed,
       "Password is changed successfully!"},
  };
  for (const auto& c : cases) {
    skinned.Clear();
    EXPECT_EQ(ChangePasswordWithHint(c.change), c.outcome) << c.message;
    ASSERT_EQ(skinned.Boxes().size(), 1u);
    EXPECT_EQ(skinned.Boxes()[0].text, c.message);
    EXPECT_EQ(skinned.Boxes()[0].background, 1);
  }
  EXPECT_EQ(State().password, MakePasswordBlock("abc"));
  EXPECT_EQ(ReadPasswordHint(), "C:\\hint");

  ASSERT_TRUE(LockDisk(0));
  skinned.Clear();
  EXPECT_FALSE(UnlockWithPassword("ABC"));
  ASSERT_EQ(skinned.Boxes().size(), 1u);
  EXPECT_EQ(skinned.Boxes()[0].text, "The password is invalid!");
  EXPECT_EQ(skinned.Boxes()[0].kind, 4);
  EXPECT_TRUE(UnlockWithPassword("abc"));

  skinned.Answer(kIdNo);
  EXPECT_EQ(EraseCurrentDisk(false), EraseOutcome::Declined);
  EXPECT_TRUE(State().partitioned);
  skinned.Answer(kIdYes);
  EXPECT_EQ(EraseCurrentDisk(false), EraseOutcome::Erased);
  EXPECT_EQ(skinned.Boxes().back().background, 2);
  EXPECT_FALSE(State().partitioned);
  EXPECT_EQ(ReadPasswordHint(), "");
}

TEST_F(SecurityCommandsSim, LockOfABusyDiskTellsTheUser) {
  SetState("partitioned", "1");
  SetState("public-sectors", std::to_string(kDiskSectors / 2));
  std::string error;
  sim::Machine m;
  ASSERT_TRUE(sim::LoadMachine(dir, m, error));
  ASSERT_TRUE(sim::SetFault(m, "command-fails", "E9", error)) << error;
  EXPECT_EQ(LockCurrentDisk(), LockOutcome::Busy);
  ASSERT_EQ(skinned.Boxes().size(), 1u);
  EXPECT_EQ(skinned.Boxes()[0].text, "The disk is busy. Please lock the disk later!");
}

TEST_F(SecurityCommandsSim, PassThroughOnlyCommandsFailOnTheWindows98Family) {
  TearDown();
  sim::CreateOptions options;
  options.windows98 = true;
  StartMachine(options);
  uint8_t status = 0x55;
  uint32_t last = 0;
  EXPECT_FALSE(ReadSecurityStatus(0, status));
  EXPECT_EQ(status, 0x55) << "left untouched on failure";
  EXPECT_FALSE(LockDisk(0));
  EXPECT_FALSE(UnlockDisk(0, BlankPasswordBlock()));
  EXPECT_FALSE(EraseDisk(0));
  EXPECT_FALSE(SetPartitionSize(0, 1000));
  EXPECT_FALSE(ReadCapacity(0, last));
  EXPECT_FALSE(ChangePasswordPassThrough(0, BlankPasswordBlock(), MakePasswordBlock("x")));
  // The Lock/Unlock button's query and the password change go through ASPI.
  EXPECT_TRUE(ReadSecurityStatusForLock(0, status));
  EXPECT_EQ(status, 0x00);
  EXPECT_TRUE(ChangePassword(0, BlankPasswordBlock(), MakePasswordBlock("x")));
  EXPECT_EQ(State().password, MakePasswordBlock("x"));
  EXPECT_FALSE(UnlockWithPassword("x")) << "unlock has no ASPI form";
}

// ---- partitioning ----

using PartitionSim = SecuritySim;

TEST_F(PartitionSim, PublicAndPrivatePartsThenTheSplit) {
  PartitionSizes sizes;
  ASSERT_TRUE(ReadPartitionSizes(sizes));
  EXPECT_EQ(sizes, (PartitionSizes{kDiskSectors - 1, 0, kDiskSectors - 1}));
  sizes = SizesAtSlider(sizes.total, 20);
  skinned.Answer(kIdYes);
  RecordingView view;
  ASSERT_EQ(PartitionAndFormat(sizes, view), PartitionOutcome::Completed);
  EXPECT_EQ(view.progress, (std::vector<uint8_t>{10, 20, 30, 40, 50, 60, 70, 80, 90, 100}));
  EXPECT_EQ(view.busy, (std::vector<bool>{true, false}));
  ASSERT_EQ(skinned.Boxes().size(), 2u);
  EXPECT_EQ(skinned.Boxes()[0].text, TextA("MsgStr10", "All data in the disk will lose.Do you want to continue?"));
  EXPECT_EQ(skinned.Boxes()[0].background, 1);
  EXPECT_EQ(skinned.Boxes()[0].kind, 2);
  EXPECT_EQ(skinned.Boxes()[1].text, "Format the disk Completed");
  EXPECT_EQ(skinned.Boxes()[1].caption, "Information Message");

  EXPECT_TRUE(State().partitioned);
  EXPECT_EQ(State().publicSectors, sizes.publicSize);
  const std::vector<uint8_t> image = Image();
  const uint8_t* pub = image.data();
  const uint8_t* priv = image.data() + uint64_t{sizes.publicSize} * 512;
  EXPECT_EQ(GetLe32(pub + 458), sizes.publicSize - 63);
  EXPECT_EQ(GetLe32(priv + 458), sizes.privateSize - 63);
  EXPECT_EQ(std::string(priv + 63 * 512 + 43, priv + 63 * 512 + 54), "PRIVATE    ");
  EXPECT_EQ(std::string(pub + 63 * 512 + 43, pub + 63 * 512 + 54), "PUBLIC     ");

  // The enclosure now has two disks, the private one behind the public one.
  Rediscover();
  uint32_t last = 0;
  ASSERT_TRUE(ReadCapacity(1, last));
  EXPECT_EQ(last + 1, kDiskSectors - sizes.publicSize);
  ASSERT_TRUE(ReadPartitionSizes(sizes));
  EXPECT_EQ(sizes.privateSize, sizes.total - (State().publicSectors - 1));
}

// A format empties the drive directory of each volume it makes, and never a
// directory elsewhere that a volume's directory leads to.
TEST_F(PartitionSim, AFormatEmptiesOnlyTheMachinesOwnDriveDirectories) {
  namespace fs = std::filesystem;
  const fs::path outside = dir + "-outside";
  fs::remove_all(outside);
  fs::create_directories(outside);
  std::ofstream(outside / "keep.txt") << "kept";
  const fs::path e = fs::path(dir) / "drives" / "E", f = fs::path(dir) / "drives" / "F";
  fs::remove_all(e);
  fs::create_directory_symlink(outside, e);
  fs::create_directories(f);
  std::ofstream(f / "old.txt") << "old";

  PartitionSizes sizes;
  ASSERT_TRUE(ReadPartitionSizes(sizes));
  skinned.Answer(kIdYes);
  RecordingView view;
  ASSERT_EQ(PartitionAndFormat(SizesAtSlider(sizes.total, 20), view), PartitionOutcome::Completed);
  EXPECT_TRUE(fs::exists(outside / "keep.txt"));
  EXPECT_FALSE(fs::exists(f / "old.txt"));
  fs::remove_all(outside);
}

TEST_F(PartitionSim, AnsweringNoLeavesTheDiskUntouched) {
  const std::vector<uint8_t> before = Image();
  const auto state = State();
  for (int answer : {int{kIdNo}, int{kIdCancel}, 0}) {
    skinned.Answer(answer);
    RecordingView view;
    EXPECT_EQ(PartitionAndFormat(SizesAtSlider(kDiskSectors - 1, 10), view), PartitionOutcome::Declined);
    EXPECT_TRUE(view.progress.empty());
  }
  EXPECT_TRUE(Image() == before);
  EXPECT_EQ(State().partitioned, state.partitioned);
  for (const auto& s : scsi->sent) EXPECT_NE(s.op, 0xE6);
}

TEST_F(PartitionSim, SliderAtZeroLaysOutOnlyThePublicPartAndSendsTheWholeSize) {
  skinned.Answer(kIdYes);
  RecordingView view;
  ASSERT_EQ(PartitionAndFormat(SizesAtSlider(kDiskSectors - 1, 0), view), PartitionOutcome::Completed);
  // The split goes out last but for the status read that checks it.
  ASSERT_GE(scsi->sent.size(), 2u);
  const auto& split = scsi->sent[scsi->sent.size() - 2];
  EXPECT_EQ(split.op, 0xE6);
  EXPECT_EQ(GetBe32(split.data.data()), kDiskSectors - 1);
  EXPECT_EQ(scsi->sent.back().op, 0xE5);
  EXPECT_FALSE(State().partitioned);
  EXPECT_EQ(ReadSecurityState(), SecurityState::NoPartition);
  EXPECT_EQ(GetLe32(Image().data() + 458), kDiskSectors - 1 - 63);
}

TEST_F(PartitionSim, APrivatePartNeedsAPublicPartInFrontOfIt) {
  const uint32_t total = kDiskSectors - 1;
  // Under a megabyte left for the public part: the bridge cannot split at
  // sector 0, so nothing is asked or written.
  const PartitionSizes noPublic = SizesAtSlider(total, total / 2048);
  ASSERT_EQ(noPublic.publicSize, 0u);
  const std::vector<uint8_t> before = Image();
  RecordingView view;
  EXPECT_EQ(PartitionAndFormat(noPublic, view), PartitionOutcome::Failed);
  ASSERT_EQ(skinned.Boxes().size(), 1u);
  EXPECT_EQ(skinned.Boxes()[0].text, "Disk formatting error!");
  EXPECT_TRUE(Image() == before);
  for (const auto& s : scsi->sent) EXPECT_NE(s.op, 0xE6);

  // The largest slider position leaves a public part and gives a private disk.
  const PartitionSizes sizes = SizesAtSlider(total, SliderMaximum(PartitionSizes{total, 0, total}));
  ASSERT_GE(sizes.publicSize, 2048u);
  skinned.Answer(kIdYes);
  ASSERT_EQ(PartitionAndFormat(sizes, view), PartitionOutcome::Completed);
  EXPECT_EQ(ReadSecurityState(), SecurityState::Unlocked);
}

TEST_F(PartitionSim, PartsBeyondTheCurrentDeviceAreRefusedBeforeAnyWrite) {
  // Partitioned already: entry 0 is only the public disk, so a private part
  // behind it cannot be written through it.
  SetState("partitioned", "1");
  SetState("public-sectors", std::to_string(kDiskSectors / 2));
  PartitionSizes sizes;
  ASSERT_TRUE(ReadPartitionSizes(sizes));
  const std::vector<uint8_t> before = Image();
  skinned.Answer(kIdYes);
  RecordingView view;
  EXPECT_EQ(PartitionAndFormat(SizesAtSlider(sizes.total, 10), view), PartitionOutcome::Failed);
  EXPECT_TRUE(Image() == before);
  ASSERT_EQ(skinned.Boxes().size(), 2u);
  EXPECT_EQ(skinned.Boxes()[1].text, "Disk formatting error!");
  EXPECT_EQ(skinned.Boxes()[1].kind, 1);
  EXPECT_EQ(view.progress.back(), 0);
  EXPECT_EQ(State().publicSectors, kDiskSectors / 2) << "the split is not sent";
}

TEST_F(PartitionSim, AnEnclosureThatAnswersNothingIsNotWritten) {
  std::string error;
  sim::Machine m;
  ASSERT_TRUE(sim::LoadMachine(dir, m, error));
  ASSERT_TRUE(sim::SetFault(m, "busy", "1", error)) << error;
  skinned.Answer(kIdYes);
  RecordingView view;
  EXPECT_EQ(PartitionAndFormat(SizesAtSlider(kDiskSectors - 1, 10), view), PartitionOutcome::Failed);
  EXPECT_EQ(skinned.Boxes().back().text, "Disk formatting error!");
  EXPECT_FALSE(State().partitioned);
}

}  // namespace
}  // namespace zel

namespace zel {
namespace {

// The machine's storage, except that volume E: cannot be locked.
class LockRefusingStorage : public StoragePort {
 public:
  explicit LockRefusingStorage(StoragePort& inner) : inner_(inner) {}
  long Geometry(const std::wstring& p, DiskGeometry& o) override { return inner_.Geometry(p, o); }
  long Layout(const std::wstring& p, DriveLayout& o) override { return inner_.Layout(p, o); }
  long VolumeExtents(const std::wstring& p, std::vector<DiskExtent>& o) override {
    return inner_.VolumeExtents(p, o);
  }
  long VolumeNumber(const std::wstring& p, uint32_t& o) override { return inner_.VolumeNumber(p, o); }
  long VolumeInformation(const std::wstring& r, VolumeInfo& o) override {
    return inner_.VolumeInformation(r, o);
  }
  long DiskFreeSpace(const std::wstring& r, FreeSpace& o) override { return inner_.DiskFreeSpace(r, o); }
  long DiskFreeSpaceEx(const std::wstring& r, uint64_t& t, uint64_t& f) override {
    return inner_.DiskFreeSpaceEx(r, t, f);
  }
  uint32_t DriveType(const std::wstring& r) override { return inner_.DriveType(r); }
  std::unique_ptr<RawDevice> OpenRaw(const std::wstring& path, long& error) override {
    std::unique_ptr<RawDevice> raw = inner_.OpenRaw(path, error);
    if (raw && path == L"\\\\.\\E:") return std::make_unique<Refusing>(std::move(raw));
    return raw;
  }

 private:
  class Refusing : public RawDevice {
   public:
    explicit Refusing(std::unique_ptr<RawDevice> d) : d_(std::move(d)) {}
    long Read(uint64_t o, void* b, uint32_t n) override { return d_->Read(o, b, n); }
    long Write(uint64_t o, const void* b, uint32_t n) override { return d_->Write(o, b, n); }
    long Geometry(DiskGeometry& g) override { return d_->Geometry(g); }
    long Lock() override { return 5; }
    long Dismount() override { return d_->Dismount(); }
    long Unlock() override { return d_->Unlock(); }

   private:
    std::unique_ptr<RawDevice> d_;
  };
  StoragePort& inner_;
};

TEST_F(PartitionSim, AVolumeInUseStopsThePartBeforeItIsWritten) {
  LockRefusingStorage storage(simPorts->storage);
  Platform ports = Ports();
  ports.storage = &storage;
  ScopedPorts scope(ports);
  const std::vector<uint8_t> before = Image();
  skinned.Answer(kIdYes);
  RecordingView view;
  EXPECT_EQ(PartitionAndFormat(SizesAtSlider(kDiskSectors - 1, 10), view), PartitionOutcome::Failed);
  ASSERT_EQ(skinned.Boxes().size(), 3u);
  EXPECT_EQ(skinned.Boxes()[1].text, TextA("MsgStr13", "The system is busy. It can not be formatted."));
  EXPECT_EQ(skinned.Boxes()[1].kind, 4);
  EXPECT_EQ(skinned.Boxes()[1].background, 1);
  EXPECT_EQ(skinned.Boxes()[2].text, TextA("MsgStr11", "Disk formatting error!"));
  EXPECT_EQ(view.progress, (std::vector<uint8_t>{10, 20, 0}));
  EXPECT_TRUE(Image() == before);
  EXPECT_FALSE(State().partitioned);
}

}  // namespace
}  // namespace zel
