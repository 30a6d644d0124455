#include "copy/task_list.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "common/bytes.h"
#include "copy/task_file.h"
#include "copy/task_flags.h"
#include "copy/task_paths.h"
#include "common/text.h"
#include "ports/platform.h"
#include "tests/support/scripted_prompter.h"
#include "tests/copy/test_drives.h"

namespace zel {
namespace {

DiskRecord Disk(uint32_t identity, std::initializer_list<char16_t> letters, const wchar_t* path = L"") {
  DiskRecord d;
  d.identity = identity;
  d.volumeCount = static_cast<uint16_t>(letters.size());
  size_t i = 0;
  for (char16_t l : letters) d.volumes[i++].driveLetter = l;
  SetFieldText(d.interfacePath, path);
  return d;
}

void SetDisks(std::initializer_list<DiskRecord> disks) {
  DiskList& list = GlobalDiskList();
  list = DiskList{};
  for (const DiskRecord& d : disks) list.disks[list.count++] = d;
}

class TaskListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ports_.files = &drives_.Files();
    ports_.prompter = &prompter_;
    scoped_ = std::make_unique<ScopedPorts>(ports_);
    SetDisks({});
  }
  void TearDown() override { SetDisks({}); }

  // Saves the list under `name` with the disks attached then, answering the
  // replace question with Yes.
  void SaveAs(TaskList& list, const std::wstring& name) {
    prompter_.Answer(kIdYes);
    ASSERT_EQ(list.Save(name), 1);
    prompter_.ClearBoxes();
  }
  std::vector<uint8_t> Bytes(const std::wstring& name) {
    std::vector<uint8_t> b;
    EXPECT_EQ(drives_.Files().ReadFile(name, 1 << 20, b), kErrorSuccess);
    return b;
  }
  void Write(const std::wstring& name, const std::vector<uint8_t>& b) {
    drives_.Files().SetAttributes(name, kAttrArchive);
    ASSERT_EQ(drives_.Files().WriteFile(name, b), kErrorSuccess);
  }

  test::TestDrives drives_;
  ScriptedPrompter prompter_;
  Platform ports_;
  std::unique_ptr<ScopedPorts> scoped_;
};

TEST(TaskLetters, UpperCaseLettersSetTheirBitsAndEverythingElseIsIgnored) {
  struct Case {
    const wchar_t* letters;
    uint16_t flags;
  } cases[] = {{L"ASB", 0x13}, {L"BSA", 0x13}, {L"asb", 0}, {L"", 0}, {L"ASONBRY", 0x7F},
               {L"A-S x N!", 0x0B}, {L"YY", 0x40}};
  for (const Case& c : cases) EXPECT_EQ(LettersToFlags(c.letters), c.flags) << c.letters;
}

TEST(TaskLetters, DirectionLettersOnlyInTheOneButtonMode) {
  EXPECT_EQ(FlagsToLetters(0x7F, kButtonModeOne), L"ASONBRY");
  EXPECT_EQ(FlagsToLetters(0x7F, kButtonModeTwo), L"ASON");
  EXPECT_EQ(FlagsToLetters(0x31, kButtonModeOne), L"ABR");
  EXPECT_EQ(FlagsToLetters(0x00, kButtonModeOne), L"");
  EXPECT_EQ(LettersToFlags(FlagsToLetters(0x5A, kButtonModeOne)), 0x5A);
  EXPECT_EQ(ButtonModeFromConfig(2), kButtonModeTwo);
  EXPECT_EQ(ButtonModeFromConfig(0x102), kButtonModeTwo);  // only the low byte counts
  for (int v : {0, 1, 3, -1}) EXPECT_EQ(ButtonModeFromConfig(v), kButtonModeOne) << v;
}

TEST(TaskListOps, RemoveContainsActiveAndTheCursor) {
  TaskList list;
  EXPECT_EQ(list.Add(L"C:\\a", L"E:\\a", L"ASB"), 1);
  EXPECT_EQ(list.Add(L"C:\\b", L"E:\\b", L"SB"), 1);
  EXPECT_EQ(list.Add(L"C:\\a", L"E:\\a", L"SR"), 1);
  EXPECT_EQ(list.Add(L"C:\\c", L"E:\\c", L"Y"), 1);
  EXPECT_EQ(list.Contains(L"C:\\b", L"E:\\b"), 1);
  EXPECT_EQ(list.Contains(L"c:\\b", L"E:\\b"), 0);  // paths compare case for case
  EXPECT_EQ(list.Contains(L"C:\\b", L"E:\\a"), 0);

  list.ClearActiveByPaths(L"C:\\a", L"E:\\a");
  EXPECT_EQ(list.Tasks()[0].flags, 0x12);
  list.SetActiveByPaths(L"C:\\a", L"E:\\a");
  EXPECT_EQ(list.Tasks()[0].flags, 0x13);
  EXPECT_EQ(list.Tasks()[2].flags, 0x23);  // every task with those paths

  list.RemoveByPaths(L"C:\\a", L"E:\\a");  // the first one only, order kept
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(list.Tasks()[0].source, L"C:\\b");
  EXPECT_EQ(list.Tasks()[1].flags, 0x23);
  list.RemoveByPaths(L"C:\\x", L"E:\\x");
  EXPECT_EQ(list.Count(), 3);

  std::wstring s, d;
  uint16_t f = 0;
  int handed = 0;
  while (list.Next(s, d, f)) ++handed;
  EXPECT_EQ(handed, 3);
  EXPECT_EQ(s, L"C:\\c");  // the outputs of the last task are left as they were
  EXPECT_EQ(f, 0x40);
  list.ResetCursor();
  ASSERT_TRUE(list.Next(s, d, f));
  EXPECT_EQ(s, L"C:\\b");
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_FALSE(list.Next(s, d, f));
}

TEST(TaskListOps, AHundredAndTwentyNinthTaskIsRefused) {
  TaskList list;
  for (int i = 0; i < 128; ++i) ASSERT_EQ(list.Add(L"C:\\" + std::to_wstring(i), L"E:\\x", L"A"), 1);
  EXPECT_EQ(list.Add(L"C:\\extra", L"E:\\x", L"A"), 0);
  EXPECT_EQ(list.Count(), 128);
}

TEST(TaskFileFormat, FieldsAtTheirOffsets) {
  DiskList disks;
  disks.count = 1;
  disks.disks[0] = Disk(0xA1B2C3D4, {u'E'});
  std::vector<CopyTask> tasks = {{L"C:\\D", L"E:", 0x13}, {L"", L"E:\\\x00e9", 0x7F}};
  const std::vector<uint8_t> b = EncodeTaskFile(disks, tasks);
  const size_t t = 8 + 1960;
  ASSERT_EQ(b.size(), t + 4 + 20 + 16);
  EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "ZELP");
  EXPECT_EQ(GetLe32(&b[4]), 1u);
  EXPECT_EQ(GetLe32(&b[8]), 0xA1B2C3D4u);
  EXPECT_EQ(GetLe16(&b[8 + 60]), u'E');
  EXPECT_EQ(GetLe32(&b[t]), 2u);
  const std::vector<uint8_t> first = {'C', 0, ':', 0, '\\', 0, 'D', 0, 0, 0, 'E', 0, ':', 0, 0, 0, 0x13, 0, 0, 0};
  EXPECT_EQ(std::vector<uint8_t>(b.begin() + t + 4, b.begin() + t + 4 + 20), first);
  const std::vector<uint8_t> second = {0, 0, 'E', 0, ':', 0, '\\', 0, 0xE9, 0, 0, 0, 0x7F, 0, 0, 0};
  EXPECT_EQ(std::vector<uint8_t>(b.begin() + t + 24, b.end()), second);

  TaskFileContents back;
  ASSERT_TRUE(ParseTaskFile(b, back));
  EXPECT_EQ(back.tasks, tasks);
  ASSERT_EQ(back.disks.size(), 1u);
  EXPECT_EQ(back.disks[0], disks.disks[0]);
}

TEST(TaskFileFormat, NamesCarryTheIdentityInHexadecimal) {
  EXPECT_EQ(TaskFileName(0), L"Disk0.CT");
  EXPECT_EQ(TaskFileName(0x1A2B), L"Disk1A2B.CT");
  EXPECT_EQ(TaskFileName(0xFFFFFFFF), L"DiskFFFFFFFF.CT");
}

TEST_F(TaskListTest, EmptyFileRoundTripsAndIsSavedHidden) {
  TaskList list;
  ASSERT_EQ(list.Save(L"Disk0.CT"), 1);
  EXPECT_EQ(Bytes(L"Disk0.CT"), (std::vector<uint8_t>{'Z', 'E', 'L', 'P', 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(drives_.Attributes(L"Disk0.CT"), static_cast<uint32_t>(kAttrHidden | kAttrArchive));
  auto boxes = prompter_.Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, L"The copy tasks save to file complete!");
  EXPECT_EQ(boxes[0].caption, L"Information Message");
  EXPECT_EQ(boxes[0].style, 0x40u);

  list.Add(L"C:\\old", L"E:\\old", L"A");
  EXPECT_EQ(list.Load(L"Disk0.CT", false), 1);
  EXPECT_EQ(list.Count(), 0);
  EXPECT_TRUE(list.RemapTable().empty());
  // Reading gives the file its attributes back.
  EXPECT_EQ(drives_.Attributes(L"Disk0.CT"), static_cast<uint32_t>(kAttrHidden | kAttrArchive));
}

TEST_F(TaskListTest, SavingOverAnExistingFileAsksFirst) {
  TaskList list;
  list.Add(L"C:\\a", L"E:\\a", L"ASB");
  ASSERT_EQ(list.Save(L"t.CT"), 1);
  const std::vector<uint8_t> first = Bytes(L"t.CT");
  prompter_.ClearBoxes();

  list.Add(L"C:\\b", L"E:\\b", L"ASB");
  prompter_.Answer(kIdNo);
  EXPECT_EQ(list.Save(L"t.CT"), 0);
  EXPECT_EQ(Bytes(L"t.CT"), first);
  auto boxes = prompter_.Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, L"The target file already existed. Do you want to replace it? \n ");
  EXPECT_EQ(boxes[0].caption, L"Prompt Message");
  EXPECT_EQ(boxes[0].style, 0x44u);

  prompter_.Answer(kIdYes);  // replaces the hidden file
  EXPECT_EQ(list.Save(L"t.CT"), 1);
  TaskList again;
  ASSERT_EQ(again.Load(L"t.CT", true), 1);
  EXPECT_EQ(again.Count(), 2);
  EXPECT_EQ(drives_.Attributes(L"t.CT"), static_cast<uint32_t>(kAttrHidden | kAttrArchive));
}

TEST_F(TaskListTest, MissingFileIsReportedUnlessQuiet) {
  TaskList list;
  list.Add(L"C:\\a", L"E:\\a", L"A");
  EXPECT_EQ(list.Load(L"nothing.CT", true), 0);
  EXPECT_EQ(prompter_.Count(), 0u);
  EXPECT_EQ(list.Load(L"nothing.CT", false), 0);
  auto boxes = prompter_.Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, L"Can not find the target file!");
  EXPECT_EQ(boxes[0].caption, L"Error Message");
  EXPECT_EQ(boxes[0].style, 0x30u);
  EXPECT_EQ(list.Count(), 1);
}

// Bad files are refused whole: the list keeps what it held and the file
// keeps its attributes.
TEST_F(TaskListTest, BadFilesAreRefusedAndChangeNothing) {
  SetDisks({Disk(0x1234, {u'E'})});
  TaskList good;
  good.Add(L"C:\\a", L"E:\\a", L"ASB");
  good.Add(L"C:\\b", L"E:\\b", L"SB");
  SaveAs(good, L"good.CT");
  const std::vector<uint8_t> valid = Bytes(L"good.CT");
  const size_t t = 8 + 1960;  // the task count

  auto with = [&](size_t at, std::vector<uint8_t> bytes) {
    std::vector<uint8_t> b = valid;
    std::copy(bytes.begin(), bytes.end(), b.begin() + static_cast<long>(at));
    return b;
  };
  auto cut = [&](size_t n) { return std::vector<uint8_t>(valid.begin(), valid.begin() + static_cast<long>(n)); };
  std::vector<uint8_t> noTerminator = cut(t + 4);
  PutLe32(&noTerminator[t], 1);
  for (int i = 0; i < 300; ++i) noTerminator.insert(noTerminator.end(), {'x', 0});

  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {"wrong magic", with(0, {'Z', 'E', 'L', 'Q'})},
      {"shorter than the header", cut(6)},
      {"fewer disk records than counted", cut(8 + 1000)},
      {"33 disk records", with(4, {33, 0, 0, 0})},
      {"huge disk count", with(4, {0xFF, 0xFF, 0xFF, 0xFF})},
      {"129 tasks", with(t, {129, 0, 0, 0})},
      {"negative task count", with(t, {0xFF, 0xFF, 0xFF, 0xFF})},
      {"more tasks than stored", with(t, {3, 0, 0, 0})},
      {"path runs past the end", cut(t + 4 + 6)},
      {"flags cut short", cut(valid.size() - 3)},
      {"path without a terminator in 260 characters", noTerminator},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Write(L"bad.CT", c.bytes);
    drives_.Files().SetAttributes(L"bad.CT", kAttrHidden | kAttrArchive);
    TaskList list;
    list.Add(L"C:\\keep", L"E:\\keep", L"AN");
    prompter_.ClearBoxes();
    EXPECT_EQ(list.Load(L"bad.CT", true), 0);
    EXPECT_EQ(prompter_.Count(), 0u);
    EXPECT_EQ(list.Load(L"bad.CT", false), 0);
    auto boxes = prompter_.Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, L"Can not load the target file!");
    EXPECT_EQ(boxes[0].style, 0x30u);
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Tasks()[0], (CopyTask{L"C:\\keep", L"E:\\keep", 0x09}));
    EXPECT_EQ(drives_.Attributes(L"bad.CT"), static_cast<uint32_t>(kAttrHidden | kAttrArchive));
  }
}

TEST_F(TaskListTest, PathsUpTo259CharactersLoad) {
  TaskList list;
  const std::wstring longest = L"C:\\" + std::wstring(256, L'p');
  ASSERT_EQ(longest.size(), 259u);
  list.Add(longest, L"E:\\x", L"A");
  SaveAs(list, L"long.CT");
  TaskList back;
  ASSERT_EQ(back.Load(L"long.CT", true), 1);
  EXPECT_EQ(back.Tasks()[0].source, longest);

  // 260 characters leave no room for the terminator: such a file, made
  // elsewhere, is refused whole.
  const std::vector<uint8_t> saved = Bytes(L"long.CT");
  Write(L"long.CT", EncodeTaskFile(GlobalDiskList(), {{longest + L"q", L"E:\\x", kTaskActive}}));
  EXPECT_EQ(back.Load(L"long.CT", true), 0);
  EXPECT_EQ(back.Tasks()[0].source, longest);

  // The list never takes such a path, so Save cannot write a file that no
  // Load would read; a character outside the basic plane counts twice.
  const std::wstring astral = L"C:\\" + std::wstring(255, L'p') + Utf16ToWide(u"\U0001F600");
  ASSERT_EQ(Utf16Units(astral), 260u);
  EXPECT_EQ(list.Add(longest + L"q", L"E:\\x", L"A"), 0);
  EXPECT_EQ(list.Add(L"E:\\x", astral, L"A"), 0);
  EXPECT_EQ(list.Add(L"E:\\y", astral.substr(0, astral.size() - 2) + L"z", L"A"), 1);
  ASSERT_EQ(list.Count(), 2);
  Write(L"long.CT", saved);
  SaveAs(list, L"long.CT");
  ASSERT_EQ(back.Load(L"long.CT", true), 1);
  EXPECT_EQ(back.Tasks(), list.Tasks());
}

TEST_F(TaskListTest, LettersFollowTheirDisks) {
  SetDisks({Disk(0x1111, {u'E', u'F'}), Disk(0x2222, {u'H'}), Disk(0, {u'K'}, L"\\\\?\\usbstor#one")});
  TaskList list;
  list.Add(L"C:\\docs", L"E:\\docs", L"ASB");
  list.Add(L"F:\\music", L"H:\\music", L"ASY");
  list.Add(L"H:\\photos", L"K:\\photos", L"ASR");
  SaveAs(list, L"Disk1111.CT");

  // Now: the first disk has E: as G: and has lost F:; the second is as it
  // was; the disk without identity is found by its path with L:.
  SetDisks({Disk(0x2222, {u'H'}), Disk(0, {u'L'}, L"\\\\?\\usbstor#one"), Disk(0x1111, {u'G', 0})});
  TaskList loaded;
  ASSERT_EQ(loaded.Load(L"Disk1111.CT", true), 1);
  EXPECT_EQ(prompter_.Count(), 0u);
  ASSERT_EQ(loaded.Count(), 3);
  EXPECT_EQ(loaded.Tasks()[0], (CopyTask{L"C:\\docs", L"G:\\docs", 0x13}));
  EXPECT_EQ(loaded.Tasks()[1], (CopyTask{L"F:\\music", L"H:\\music", 0x42}));  // no letter: inactive
  EXPECT_EQ(loaded.Tasks()[2], (CopyTask{L"H:\\photos", L"L:\\photos", 0x23}));
  EXPECT_EQ(loaded.RemapTable(), (std::vector<DriveRemap>{{u'E', u'G'}, {u'F', kNoLetterMarker}, {u'K', u'L'}}));
}

TEST_F(TaskListTest, IdentityDecidesAndPathsOnlyForIdentityZero) {
  SetDisks({Disk(0x1111, {u'E'}, L"\\\\?\\same")});
  TaskList list;
  list.Add(L"C:\\a", L"E:\\a", L"AB");
  SaveAs(list, L"x.CT");
  // Another disk at the same interface path: a different identity is not the same disk.
  SetDisks({Disk(0x9999, {u'G'}, L"\\\\?\\same"), Disk(0, {u'C'})});
  TaskList loaded;
  ASSERT_EQ(loaded.Load(L"x.CT", true), 1);
  EXPECT_EQ(loaded.Tasks()[0].destination, L"E:\\a");
  EXPECT_TRUE(loaded.RemapTable().empty());
}

TEST_F(TaskListTest, ADetachedDiskEmptiesTheSourcesOfItsTasks) {
  SetDisks({Disk(0x0BAD, {u'D', 0, u'P'}), Disk(0x1111, {u'E'})});
  TaskList list;
  list.Add(L"D:\\one", L"E:\\one", L"ASB");
  list.Add(L"C:\\two", L"E:\\two", L"ASB");
  list.Add(L"P:\\three", L"E:\\three", L"ASB");
  list.Add(L"D:\\four", L"E:\\four", L"SB");
  SaveAs(list, L"lost.CT");

  SetDisks({Disk(0x1111, {u'E'})});
  TaskList loaded;
  ASSERT_EQ(loaded.Load(L"lost.CT", true), 1);  // the warnings show even when quiet
  auto boxes = prompter_.Boxes();
  ASSERT_EQ(boxes.size(), 3u);
  const wchar_t* expected[] = {L"Can't find the source disk in task item[0]",
                               L"Can't find the source disk in task item[3]",
                               L"Can't find the source disk in task item[2]"};
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(boxes[i].text, expected[i]);
    EXPECT_EQ(boxes[i].caption, L"Warning Message");
    EXPECT_EQ(boxes[i].style, 0x30u);
  }
  ASSERT_EQ(loaded.Count(), 4);
  EXPECT_EQ(loaded.Tasks()[0], (CopyTask{L"", L"E:\\one", 0x13}));
  EXPECT_EQ(loaded.Tasks()[1].source, L"C:\\two");
  EXPECT_EQ(loaded.Tasks()[2].source, L"");
  EXPECT_EQ(loaded.Tasks()[3], (CopyTask{L"", L"E:\\four", 0x12}));
}

// Files made by the Windows build and by this one: each loads, and saving it
// again gives the same bytes.
TEST_F(TaskListTest, TaskFilesOfBothBuildsRoundTripByteForByte) {
  SetDisks({Disk(0x5EED0001, {u'E', u'F'}, L"\\\\?\\usbstor#disk&ven_brindle#1"), Disk(0x0C0FFEE0, {u'C'})});
  TaskList reference;
  reference.Add(L"C:\\Documents and Settings\\Owner\\My Documents", L"E:\\Backup\\Documents", L"ASB");
  reference.Add(L"C:\\Photos", L"F:\\Photos", L"ASONY");
  reference.Add(L"C:\\Mail \x00e9t\x00e9", L"E:\\Mail", L"SR");
  SaveAs(reference, L"made-here.CT");
  const std::vector<uint8_t> madeHere = Bytes(L"made-here.CT");
  if (const char* out = std::getenv("ZEL_WRITE_REFERENCE_TASK_FILE")) {
    drives_.Files().WriteFile(std::wstring(out, out + std::strlen(out)), madeHere);
  }

  for (const char* name : {"made-by-windows.CT", "made-by-linux.CT"}) {
    SCOPED_TRACE(name);
    const std::string path = std::string(ZEL_COPY_TEST_DATA) + "/" + name;
    std::vector<uint8_t> original;
    ASSERT_EQ(drives_.Files().ReadFile(std::wstring(path.begin(), path.end()), 1 << 20, original), kErrorSuccess);
    EXPECT_EQ(original, madeHere);
    Write(L"copy.CT", original);
    TaskList loaded;
    ASSERT_EQ(loaded.Load(L"copy.CT", true), 1);
    EXPECT_EQ(loaded.Tasks(), reference.Tasks());
    SaveAs(loaded, L"copy.CT");
    EXPECT_EQ(Bytes(L"copy.CT"), original);
  }
}

}  // namespace
}  // namespace zel
