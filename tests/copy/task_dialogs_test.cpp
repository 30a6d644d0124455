// The decisions of the task dialogs on real files: M: is a drive of another
// disk (where sources live), N: the drive of the enclosure disk being edited.
#include <gtest/gtest.h>

#include <deque>

#include "copy/active_list.h"
#include "copy/arrange_tasks.h"
#include "copy/browse_folders.h"
#include "copy/task_edit.h"
#include "copy/task_flags.h"
#include "ports/platform.h"
#include "ports/storage_port.h"
#include "tests/copy/test_drives.h"
#include "tests/support/scripted_prompter.h"

namespace zel {
namespace {

constexpr uint8_t kEdited = 1;

// Only the drive type is asked of storage here.
class DriveTypes : public StoragePort {
 public:
  long Geometry(const std::wstring&, DiskGeometry&) override { return 1; }
  long Layout(const std::wstring&, DriveLayout&) override { return 1; }
  long VolumeExtents(const std::wstring&, std::vector<DiskExtent>&) override { return 1; }
  long VolumeNumber(const std::wstring&, uint32_t&) override { return 1; }
  long VolumeInformation(const std::wstring&, VolumeInfo&) override { return 1; }
  long DiskFreeSpace(const std::wstring&, FreeSpace&) override { return 1; }
  long DiskFreeSpaceEx(const std::wstring&, uint64_t&, uint64_t&) override { return 1; }
  uint32_t DriveType(const std::wstring& root) override { return root == cdrom ? kDriveCdrom : kDriveFixed; }
  std::unique_ptr<RawDevice> OpenRaw(const std::wstring&, long& error) override {
    error = 1;
    return nullptr;
  }
  std::wstring cdrom;
};

class TaskDialogs : public ::testing::Test, public ArrangeHost {
 protected:
  void SetUp() override {
    ports_.files = &drives_.Files();
    ports_.prompter = &prompter_;
    ports_.storage = &storage_;
    scoped_ = std::make_unique<ScopedPorts>(ports_);
    DiskList& disks = GlobalDiskList();
    disks = DiskList{};
    disks.count = 3;
    disks.disks[0].identity = 0x10;
    disks.disks[0].volumeCount = 1;
    disks.disks[0].volumes[0].driveLetter = u'M';
    disks.disks[1].identity = 0x77;
    disks.disks[1].present = 1;
    disks.disks[1].volumeCount = 1;
    disks.disks[1].volumes[0].driveLetter = u'N';
    disks.disks[2].volumeCount = 1;  // a volume without a letter
    drives_.Dir(L"M:\\Docs");
    drives_.Dir(L"N:\\Backup");
  }
  void TearDown() override { GlobalDiskList() = DiskList{}; }

  TaskEditResult Validate(const std::wstring& source, const std::wstring& destination, uint16_t flags,
                          TaskEditFields* out = nullptr) {
    TaskEditFields f{source, destination, flags};
    TaskEditResult r = ValidateTaskEdit(GlobalDiskList(), kEdited, tasks_, f, 0);
    if (out) *out = f;
    return r;
  }
  std::vector<std::wstring> Texts() const {
    std::vector<std::wstring> out;
    for (const ShownBox& b : prompter_.Boxes()) out.push_back(b.text);
    return out;
  }

  // The edit dialog as the arrange dialog opens it: the next queued fields
  // are "typed" and validated; an empty queue is Cancel.
  bool EditTask(TaskRow& row) override {
    edited_.push_back(row);
    if (typed_.empty()) return false;
    TaskEditFields f = typed_.front();
    typed_.pop_front();
    TaskEditResult r = ValidateTaskEdit(GlobalDiskList(), kEdited, tasks_, f, 0);
    if (r.outcome != TaskEditOutcome::kAccepted) return false;
    row = {f.source, f.destination, r.letters};
    return true;
  }
  int RunActiveList() override {
    ActiveList list(tasks_);
    list.Open();
    list.MoveToInactive(moveToInactive_);
    return list.Result();
  }
  bool ChooseTaskFile(bool, const std::wstring&, std::wstring&) override { return false; }
  uintptr_t Owner() const override { return 0x99; }

  ArrangeTasks Arrange(uint8_t mode = kButtonModeOne) { return ArrangeTasks(*this, tasks_, kEdited, mode, true); }
  void SaveTasks(std::initializer_list<CopyTask> tasks) {
    TaskList list;
    for (const CopyTask& t : tasks) list.Add(t.source, t.destination, FlagsToLetters(t.flags, kButtonModeOne));
    if (drives_.Exists(L"Disk77.CT")) prompter_.Answer(kIdYes);
    ASSERT_EQ(list.Save(L"Disk77.CT"), 1);
    prompter_.ClearBoxes();
  }

  test::TestDrives drives_;
  ScriptedPrompter prompter_;
  DriveTypes storage_;
  Platform ports_;
  std::unique_ptr<ScopedPorts> scoped_;
  TaskList tasks_;
  std::deque<TaskEditFields> typed_;
  std::vector<TaskRow> edited_;
  std::vector<int> moveToInactive_;
};

TEST_F(TaskDialogs, SourceMustBeAnExistingPathOrBareDriveOfAnotherDisk) {
  EXPECT_EQ(Validate(L"N:\\Backup", L"N:\\Backup", kTaskBackup).outcome, TaskEditOutcome::kIllegalSource);
  EXPECT_EQ(Validate(L"M:\\Missing", L"N:\\Backup", kTaskBackup).outcome, TaskEditOutcome::kIllegalSource);
  EXPECT_EQ(Validate(L"M\\Docs", L"N:\\Backup", kTaskBackup).outcome, TaskEditOutcome::kIllegalSource);
  EXPECT_EQ(Validate(L"", L"N:\\Backup", kTaskBackup).outcome, TaskEditOutcome::kIllegalSource);
  ASSERT_EQ(prompter_.Count(), 4u);
  for (const ShownBox& b : prompter_.Boxes()) {
    EXPECT_EQ(b.text, L"Illegal source directory found!");
    EXPECT_EQ(b.caption, L"Error Message");
    EXPECT_EQ(b.style, 0x10u);
  }
  prompter_.ClearBoxes();
  TaskEditFields f;
  // Blanks in front are dropped, the letter is made upper case and a bare
  // drive needs no look at the disk.
  EXPECT_EQ(Validate(L" \tm:", L"n:\\Backup", kTaskActive | kTaskBackup, &f).outcome, TaskEditOutcome::kAccepted);
  EXPECT_EQ(f.source, L"M:");
  EXPECT_EQ(f.destination, L"N:\\Backup");
  EXPECT_EQ(prompter_.Count(), 0u);
}

TEST_F(TaskDialogs, DestinationMustLieOnTheEditedDiskAndIsCreatedOnlyOnYes) {
  EXPECT_EQ(Validate(L"M:\\Docs", L"M:\\Docs", kTaskBackup).outcome, TaskEditOutcome::kIllegalDestination);
  EXPECT_EQ(Texts(), std::vector<std::wstring>{L"Illegal destination directory found!"});
  prompter_.ClearBoxes();

  prompter_.Answer(kIdNo);  // accepted as it is, not created
  EXPECT_EQ(Validate(L"M:\\Docs", L"N:\\Later", kTaskBackup).outcome, TaskEditOutcome::kAccepted);
  EXPECT_FALSE(drives_.Exists(L"N:\\Later"));
  ASSERT_EQ(prompter_.Count(), 1u);
  EXPECT_EQ(prompter_.Boxes()[0].text, L"Can not find the  destination directory. Would you like to create it.");
  EXPECT_EQ(prompter_.Boxes()[0].style, 0x44u);
  prompter_.ClearBoxes();

  prompter_.Answer(kIdYes);
  EXPECT_EQ(Validate(L"M:\\Docs", L"N:\\New\\Deep", kTaskBackup).outcome, TaskEditOutcome::kAccepted);
  EXPECT_TRUE(drives_.Exists(L"N:\\New\\Deep"));
  prompter_.ClearBoxes();

  // A file stands where a parent should be: the create fails and says so.
  drives_.File(L"N:\\plain.txt", "x");
  prompter_.Answer(kIdYes);
  EXPECT_EQ(Validate(L"M:\\Docs", L"N:\\plain.txt\\Sub", kTaskBackup).outcome, TaskEditOutcome::kIllegalDestination);
  EXPECT_EQ(Texts(), (std::vector<std::wstring>{
                         L"Can not find the  destination directory. Would you like to create it.",
                         L"Can not create the destination directory.", L"Illegal destination directory found!"}));
}

TEST_F(TaskDialogs, TooLongPathIsRefusedWithTheLimitBeforeAnythingIsCreated) {
  const std::wstring longDestination = L"N:\\" + std::wstring(257, L'd');  // 260 characters
  EXPECT_EQ(Validate(L"M:\\Docs", longDestination, kTaskBackup).outcome, TaskEditOutcome::kIllegalDestination);
  ASSERT_EQ(prompter_.Count(), 1u);  // no question about creating it
  EXPECT_NE(prompter_.Boxes()[0].text.find(L"259"), std::wstring::npos);
}

TEST_F(TaskDialogs, CdromSourceIsRefusedFirstForRestoreAndSynchroniseOnly) {
  storage_.cdrom = L"M:\\";
  EXPECT_EQ(Validate(L"M:\\Docs", L"M:\\Docs", kTaskRestore).outcome, TaskEditOutcome::kSourceOnCdrom);
  EXPECT_EQ(Validate(L"m:\\Docs", L"N:\\Backup", kTaskSynchronise).outcome, TaskEditOutcome::kSourceOnCdrom);
  EXPECT_EQ(Texts(), (std::vector<std::wstring>(2, L"Can't copy data to CD/DVD-ROM device!")));
  EXPECT_EQ(prompter_.Boxes()[0].style, 0x30u);
  EXPECT_EQ(Validate(L"M:\\Docs", L"N:\\Backup", kTaskBackup).outcome, TaskEditOutcome::kAccepted);
}

TEST_F(TaskDialogs, SamePathsConflictButOneSharedPathDoesNotAndLettersFollowTheControls) {
  tasks_.Add(L"M:\\Docs", L"N:\\Backup", L"ASB");
  EXPECT_EQ(Validate(L"M:\\Docs", L"N:\\Backup", kTaskBackup).outcome, TaskEditOutcome::kConflict);
  EXPECT_EQ(Texts(), std::vector<std::wstring>{L"The tasks are conflicted!"});
  EXPECT_EQ(Validate(L"M:", L"N:\\Backup", kTaskBackup).outcome, TaskEditOutcome::kAccepted);
  EXPECT_EQ(Validate(L"M:\\Docs", L"N:", kTaskBackup).outcome, TaskEditOutcome::kAccepted);
  EXPECT_EQ(Validate(L"M:", L"N:", kTaskActive | kTaskNewer | kTaskSynchronise | kTaskRestore).letters, L"ANRY");
}

TEST_F(TaskDialogs, ArrangeOpensTheDisksFileAndDoubleClickAddsOrModifies) {
  SaveTasks({{L"M:\\Docs", L"N:\\Backup", kTaskActive | kTaskSubdirs}, {L"M:", L"N:", kTaskRestore}});
  ArrangeTasks arrange = Arrange();
  arrange.Open();
  ASSERT_EQ(arrange.Rows().size(), 2u);
  EXPECT_EQ(arrange.Rows()[0].letters, L"ASB");  // no direction shows as a backup
  EXPECT_EQ(arrange.Rows()[1].letters, L"R");
  EXPECT_EQ(arrange.Caption(), L"Arrange copy tasks");

  typed_.push_back({L"M:\\Docs", L"N:", kTaskActive | kTaskBackup});
  arrange.DoubleClick(-1);
  ASSERT_EQ(edited_.size(), 1u);
  EXPECT_EQ(edited_[0], (TaskRow{L"", L"", L"ASB"}));
  ASSERT_EQ(arrange.Rows().size(), 3u);
  EXPECT_EQ(arrange.Rows()[2], (TaskRow{L"M:\\Docs", L"N:", L"AB"}));
  EXPECT_EQ(arrange.Caption(), L"Arrange copy tasks *");

  // Keeping the paths of the edited row is no conflict with itself.
  typed_.push_back({L"M:\\Docs", L"N:\\Backup", kTaskNewer | kTaskBackup});
  arrange.DoubleClick(0);
  EXPECT_EQ(arrange.Rows()[0], (TaskRow{L"M:\\Docs", L"N:\\Backup", L"NB"}));
  EXPECT_EQ(prompter_.Count(), 0u);
  ASSERT_EQ(tasks_.Count(), 3);
  EXPECT_EQ(tasks_.Tasks()[2].flags, kTaskNewer | kTaskBackup);  // re-added at the end
}

TEST_F(TaskDialogs, ModifyCancelMovesTheTaskToTheEndAndLeavesTheRow) {
  SaveTasks({{L"M:\\Docs", L"N:\\Backup", kTaskActive | kTaskBackup}, {L"M:", L"N:", kTaskBackup}});
  ArrangeTasks arrange = Arrange();
  arrange.Open();
  const std::vector<TaskRow> before = arrange.Rows();
  arrange.Modify(0);  // nothing typed: Cancel
  EXPECT_EQ(arrange.Rows(), before);
  EXPECT_FALSE(arrange.Modified());
  ASSERT_EQ(tasks_.Count(), 2);
  EXPECT_EQ(tasks_.Tasks()[0].source, L"M:");
  EXPECT_EQ(tasks_.Tasks()[1].source, L"M:\\Docs");

  arrange.Modify(-1);
  arrange.Delete(-1);
  EXPECT_EQ(Texts(), (std::vector<std::wstring>(2, L"No item selected!")));
  EXPECT_EQ(prompter_.Boxes()[0].style, 0x30u);
  EXPECT_TRUE(arrange.MenuEditEnabled());
  arrange.Delete(1);
  arrange.Delete(0);
  EXPECT_FALSE(arrange.MenuEditEnabled());
  EXPECT_EQ(tasks_.Count(), 0);
  EXPECT_TRUE(arrange.Modified());
}

TEST_F(TaskDialogs, AddRefusesTheTaskAfterTheLimitWithoutOpeningTheEditor) {
  TaskList full;
  for (int i = 0; i < 128; ++i) full.Add(L"M:\\" + std::to_wstring(i), L"N:", L"ASB");
  ASSERT_EQ(full.Save(L"Disk77.CT"), 1);
  prompter_.ClearBoxes();
  ArrangeTasks arrange = Arrange();
  arrange.Open();
  ASSERT_EQ(arrange.Rows().size(), 128u);
  arrange.Add();
  EXPECT_TRUE(edited_.empty());
  EXPECT_EQ(Texts(), std::vector<std::wstring>{
                         L"The maximum supported task number is 128. \nPlease delete some seldom used tasks"});
  EXPECT_EQ(prompter_.Boxes()[0].style, 0x10u);
  EXPECT_EQ(arrange.Rows().size(), 128u);
}

TEST_F(TaskDialogs, NewCloseAndSaveAskAndKeepTheStarUntilTheFileIsWritten) {
  SaveTasks({{L"M:\\Docs", L"N:\\Backup", kTaskActive | kTaskBackup}});
  ArrangeTasks arrange = Arrange();
  arrange.Open();
  prompter_.Answer(kIdNo);
  arrange.New();
  EXPECT_EQ(arrange.Rows().size(), 1u);
  EXPECT_EQ(prompter_.Boxes()[0].text, L"Are you sure to delete all items?");
  EXPECT_EQ(prompter_.Boxes()[0].style, 4u);
  prompter_.Answer(kIdYes);
  arrange.New();
  EXPECT_TRUE(arrange.Rows().empty());
  EXPECT_EQ(tasks_.Count(), 1);  // untouched until the rows are rebuilt into it
  prompter_.ClearBoxes();

  prompter_.Answer(kIdNo);  // do not save: the file keeps its task, the list holds the rows
  arrange.Close();
  EXPECT_EQ(Texts(), std::vector<std::wstring>{L"The tasks have been modified. Do you want to save it?"});
  EXPECT_EQ(prompter_.Boxes()[0].style, 0x44u);
  EXPECT_EQ(tasks_.Count(), 0);
  TaskList onDisk;
  ASSERT_EQ(onDisk.Load(L"Disk77.CT", true), 1);
  EXPECT_EQ(onDisk.Count(), 1);

  prompter_.Answer(kIdNo);  // refuse replacing the file: still modified
  arrange.Save();
  EXPECT_TRUE(arrange.Modified());
  prompter_.Answer(kIdYes);
  arrange.Save();
  EXPECT_FALSE(arrange.Modified());
  ASSERT_EQ(onDisk.Load(L"Disk77.CT", true), 1);
  EXPECT_EQ(onDisk.Count(), 0);
}

TEST_F(TaskDialogs, ActiveListMovesInOrderAndTwoButtonRowsLoseTheirDirection) {
  SaveTasks({{L"M:\\A", L"N:\\1", kTaskActive | kTaskRestore},
             {L"M:\\B", L"N:\\2", kTaskActive | kTaskSynchronise | kTaskNewer},
             {L"M:\\C", L"N:\\3", kTaskBackup},
             {L"M:\\D", L"N:\\4", kTaskActive | kTaskBackup}});
  TaskList& list = tasks_;
  ASSERT_EQ(list.Load(L"Disk77.CT", true), 1);
  ActiveList active(list);
  active.Open();
  ASSERT_EQ(active.Active().size(), 3u);
  ASSERT_EQ(active.Inactive().size(), 1u);
  active.MoveToInactive({2, 0});
  EXPECT_EQ(active.Inactive(), (std::vector<TaskPair>{{L"M:\\C", L"N:\\3"}, {L"M:\\A", L"N:\\1"}, {L"M:\\D", L"N:\\4"}}));
  EXPECT_EQ(active.Active(), (std::vector<TaskPair>{{L"M:\\B", L"N:\\2"}}));
  EXPECT_EQ(list.Tasks()[0].flags, kTaskRestore);
  EXPECT_EQ(list.Tasks()[3].flags, kTaskBackup);
  EXPECT_EQ(active.Result(), 1);
  ActiveList untouched(list);
  untouched.Open();
  untouched.MoveToActive({});
  EXPECT_EQ(untouched.Result(), 0);

  // Button mode 2: an active list run refills the rows without B, R, Y, and
  // a save writes them so.
  ArrangeTasks arrange = Arrange(kButtonModeTwo);
  arrange.Open();
  EXPECT_EQ(arrange.Rows()[1].letters, L"AN");
  moveToInactive_ = {1};
  arrange.ActiveList();
  EXPECT_TRUE(arrange.Modified());
  EXPECT_EQ(arrange.Rows()[1].letters, L"N");
  prompter_.Answer(kIdYes);
  arrange.Save();
  TaskList saved;
  ASSERT_EQ(saved.Load(L"Disk77.CT", true), 1);
  for (const CopyTask& t : saved.Tasks()) EXPECT_EQ(t.flags & (kTaskBackup | kTaskRestore | kTaskSynchronise), 0);
}

TEST_F(TaskDialogs, BrowseOffersEachSideItsDrivesAndSortedFoldersOnly) {
  GlobalDiskList().disks[2].volumes[0].driveLetter = u'P';
  EXPECT_EQ(BrowseRoots(GlobalDiskList(), kEdited, kBrowseSource), (std::vector<wchar_t>{L'M', L'P'}));
  EXPECT_EQ(BrowseRoots(GlobalDiskList(), kEdited, kBrowseDestination), std::vector<wchar_t>{L'N'});
  drives_.Dir(L"M:\\apple");
  drives_.Dir(L"M:\\Zebra");
  drives_.Dir(L"M:\\Docs\\Inner");
  drives_.File(L"M:\\Banana", "a file, not a folder");
  EXPECT_EQ(SubfolderNames(L"M:"), (std::vector<std::wstring>{L"apple", L"Docs", L"Zebra"}));
  EXPECT_EQ(SubfolderNames(L"M:\\Docs"), std::vector<std::wstring>{L"Inner"});
  EXPECT_TRUE(SubfolderNames(L"M:\\Missing").empty());
  EXPECT_EQ(FolderPath({L"M:"}), L"M:");
  EXPECT_EQ(FolderPath({L"M:", L"Docs", L"Inner"}), L"M:\\Docs\\Inner");
}

}  // namespace
}  // namespace zel
