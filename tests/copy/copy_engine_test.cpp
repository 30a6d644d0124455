#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "copy/copy_rules.h"
#include "copy/copy_run.h"
#include "copy/task_file.h"
#include "copy/run_texts.h"
#include "copy/task_flags.h"
#include "tests/copy/run_fixture.h"

namespace zel {
namespace {

using test::RunFixture;
using test::TimeAt;

const wchar_t* const kCompleted = L"The copy tasks are completed!";
const wchar_t* const kCancelled = L"The copy tasks are cancelled!";

std::wstring Summary(const wchar_t* how, int files, const wchar_t* size) {
  return std::wstring(how) + L"\nTotal Files: " + std::to_wstring(files) + L"\nTotal Size:" + size + L"Bytes";
}

class CopyEngine : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!f.drives.Ready()) GTEST_SKIP() << "drives M: and N: are not mapped";
  }
  RunFixture f;
};

TEST(FormatSize, EveryRowOfTheTable) {
  struct Case {
    int64_t bytes;
    const wchar_t* text;
  } cases[] = {
      {0, L"0 "}, {-5, L"-5 "}, {999, L"999 "}, {1000, L" 1.0K "}, {1023385, L"999.4K "},
      {1048000, L" 1.0M "}, {5033165, L" 4.8M "}, {1073741824LL, L" 1.0G "},
      {1000LL * 1024 * 1024 * 1024, L" 1.0T "}, {5LL * 1024 * 1024 * 1024 * 1024, L" 5.0T "},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatSize(c.bytes), c.text) << c.bytes;
}

TEST(Summary, TextsAndStyles) {
  EXPECT_EQ(SummaryText(false, 0, 0), Summary(kCompleted, 0, L"0 "));
  EXPECT_EQ(SummaryText(true, 3, 5033165), Summary(kCancelled, 3, L" 4.8M "));
  EXPECT_EQ(SummaryStyle(true), 0x40030u);
  EXPECT_EQ(SummaryStyle(false), 0x40040u);
}

TEST_F(CopyEngine, BackupCopiesTheTreeAndClearsTheBusyBitOfPresentDisks) {
  f.drives.Dir(L"M:\\src");
  f.drives.Dir(L"M:\\src\\sub");
  f.drives.Dir(L"M:\\src\\sub\\deeper");
  f.drives.File(L"M:\\src\\a.txt", "alpha");
  f.drives.File(L"M:\\src\\sub\\b.txt", "bravo!");
  f.drives.File(L"M:\\src\\sub\\deeper\\c.txt", "c");
  f.drives.Dir(L"N:\\dst");
  GlobalDiskList().count = 2;  // a second disk, not in an enclosure
  GlobalDiskList().disks[1].volumes[0].driveLetter = u'C';
  f.bridge.registerValue = 0x5C;

  auto r = f.Run({{L"M:\\src", L"N:\\dst", kTaskActive | kTaskSubdirs | kTaskBackup}});
  ASSERT_TRUE(r.started);
  EXPECT_FALSE(r.stopped);
  EXPECT_EQ(r.files, 3u);
  EXPECT_EQ(r.bytes, 12u);
  EXPECT_EQ(f.drives.Read(L"N:\\dst\\sub\\deeper\\c.txt"), "c");
  EXPECT_EQ(f.drives.Read(L"N:\\dst\\sub\\b.txt"), "bravo!");
  EXPECT_EQ(f.BoxTexts(), std::vector<std::wstring>{Summary(kCompleted, 3, L"12 ")});
  auto box = f.prompter.Boxes().back();
  EXPECT_EQ(box.caption, L"Information Message");
  EXPECT_EQ(box.style, 0x40040u);
  EXPECT_EQ(box.owner, 0x4242u);
  EXPECT_EQ(f.view.Captions(), std::vector<std::wstring>{L"Copy Task  1"});
  auto progress = f.view.Progress();
  EXPECT_EQ(progress.front(), 0);
  EXPECT_EQ(progress.back(), 100);
  for (int p : progress) EXPECT_LE(p, 100);

  ASSERT_EQ(f.bridge.calls.size(), 2u);  // only the present disk, through its first letter
  EXPECT_FALSE(f.bridge.calls[0].write);
  EXPECT_EQ(f.bridge.calls[0].letter, L'N');
  EXPECT_EQ(f.bridge.calls[0].address, 2);
  EXPECT_EQ(f.bridge.calls[0].nOrParameter, 1);
  EXPECT_TRUE(f.bridge.calls[1].write);
  EXPECT_EQ(f.bridge.calls[1].sub, 0);
  EXPECT_EQ(f.bridge.calls[1].nOrParameter, 0);
  EXPECT_EQ(f.bridge.calls[1].value, 0x54);
}

TEST_F(CopyEngine, UnreadableRegisterIsNotWritten) {
  f.bridge.readFails = true;
  auto r = f.Run({{L"M:\\nothing", L"N:\\x", kTaskBackup}});  // inactive: nothing happens
  ASSERT_TRUE(r.started);
  ASSERT_EQ(f.bridge.calls.size(), 1u);
  EXPECT_FALSE(f.bridge.calls[0].write);
}

TEST_F(CopyEngine, WithoutSubdirectoriesOnlyTheTopFilesAreCopied) {
  f.drives.Dir(L"M:\\src");
  f.drives.Dir(L"M:\\src\\sub");
  f.drives.File(L"M:\\src\\top.txt", "t");
  f.drives.File(L"M:\\src\\sub\\under.txt", "u");
  f.drives.Dir(L"N:\\dst");
  auto r = f.Run({{L"M:\\src", L"N:\\dst", kTaskActive | kTaskBackup}});
  EXPECT_EQ(r.files, 1u);
  EXPECT_EQ(f.drives.List(L"N:\\dst"), std::vector<std::wstring>{L"top.txt"});
}

TEST_F(CopyEngine, ABareDriveIsEnumeratedWithoutALookUp) {
  f.drives.File(L"M:\\root.txt", "r");
  f.drives.Dir(L"M:\\folder");
  f.drives.File(L"M:\\folder\\in.txt", "i");
  f.drives.Dir(L"N:\\all");
  auto r = f.Run({{L"M:", L"N:\\all", kTaskActive | kTaskSubdirs | kTaskBackup}});
  EXPECT_EQ(r.files, 2u);
  EXPECT_EQ(f.drives.Read(L"N:\\all\\folder\\in.txt"), "i");
  EXPECT_EQ(f.drives.Read(L"N:\\all\\root.txt"), "r");
}

TEST_F(CopyEngine, NewerMeansStrictlyLaterAndOtherwiseEverythingIsReplaced) {
  f.drives.Dir(L"M:\\s");
  f.drives.Dir(L"N:\\d");
  f.drives.File(L"M:\\s\\same.txt", "new same", TimeAt(100));
  f.drives.File(L"N:\\d\\same.txt", "old same", TimeAt(100));
  f.drives.File(L"M:\\s\\later.txt", "new later", TimeAt(100) + 1);  // 100 ns later
  f.drives.File(L"N:\\d\\later.txt", "old later", TimeAt(100));
  f.drives.File(L"M:\\s\\older.txt", "new older", TimeAt(50));
  f.drives.File(L"N:\\d\\older.txt", "old older", TimeAt(100));

  auto r = f.Run({{L"M:\\s", L"N:\\d", kTaskActive | kTaskNewer | kTaskBackup}});
  EXPECT_EQ(r.files, 1u);
  EXPECT_EQ(f.drives.Read(L"N:\\d\\same.txt"), "old same");
  EXPECT_EQ(f.drives.Read(L"N:\\d\\later.txt"), "new later");
  EXPECT_EQ(f.drives.LastWriteTime(L"N:\\d\\later.txt"), TimeAt(100) + 1);
  EXPECT_EQ(f.drives.Read(L"N:\\d\\older.txt"), "old older");

  r = f.Run({{L"M:\\s", L"N:\\d", kTaskActive | kTaskBackup}});
  EXPECT_EQ(r.files, 3u);
  EXPECT_EQ(f.drives.Read(L"N:\\d\\same.txt"), "new same");
  EXPECT_EQ(f.drives.Read(L"N:\\d\\older.txt"), "new older");
}

TEST_F(CopyEngine, ReadOnlyAndHiddenTargetsNeedTheOverwriteBit) {
  f.drives.Dir(L"M:\\s");
  f.drives.Dir(L"N:\\d");
  f.drives.File(L"M:\\s\\ro.txt", "new ro", TimeAt(10));
  f.drives.File(L"M:\\s\\hid.txt", "new hid", TimeAt(10));
  f.drives.File(L"N:\\d\\ro.txt", "old ro", TimeAt(20));
  f.drives.File(L"N:\\d\\hid.txt", "old hid", TimeAt(5));
  f.drives.Files().SetAttributes(L"N:\\d\\ro.txt", kAttrReadOnly | kAttrArchive);
  f.drives.Files().SetAttributes(L"N:\\d\\hid.txt", kAttrHidden | kAttrArchive);

  // Without the overwrite bit both are left alone.
  auto r = f.Run({{L"M:\\s", L"N:\\d", kTaskActive | kTaskBackup}});
  EXPECT_EQ(r.files, 0u);
  EXPECT_EQ(f.drives.Read(L"N:\\d\\ro.txt"), "old ro");
  EXPECT_EQ(f.drives.Read(L"N:\\d\\hid.txt"), "old hid");

  // With it and the newer bit: the hidden one is older and replaced; the
  // read-only one is newer, skipped, and read-only again.
  r = f.Run({{L"M:\\s", L"N:\\d", kTaskActive | kTaskOverwrite | kTaskNewer | kTaskBackup}});
  EXPECT_EQ(r.files, 1u);
  EXPECT_EQ(f.drives.Read(L"N:\\d\\hid.txt"), "new hid");
  EXPECT_EQ(f.drives.Read(L"N:\\d\\ro.txt"), "old ro");
  EXPECT_EQ(f.drives.Attributes(L"N:\\d\\ro.txt"), static_cast<uint32_t>(kAttrReadOnly | kAttrArchive));

  // With the overwrite bit alone the read-only one is replaced.
  r = f.Run({{L"M:\\s", L"N:\\d", kTaskActive | kTaskOverwrite | kTaskBackup}});
  EXPECT_EQ(r.files, 2u);
  EXPECT_EQ(f.drives.Read(L"N:\\d\\ro.txt"), "new ro");
  EXPECT_EQ(f.drives.Attributes(L"N:\\d\\ro.txt") & kAttrReadOnly, 0u);
}

TEST_F(CopyEngine, SynchroniseGoesBothWays) {
  f.drives.Dir(L"M:\\s");
  f.drives.Dir(L"N:\\d");
  f.drives.File(L"M:\\s\\mine.txt", "m", TimeAt(10));
  f.drives.File(L"N:\\d\\theirs.txt", "t", TimeAt(10));
  f.drives.File(L"M:\\s\\both.txt", "newer here", TimeAt(30));
  f.drives.File(L"N:\\d\\both.txt", "older there", TimeAt(20));

  auto r = f.Run({{L"M:\\s", L"N:\\d", kTaskActive | kTaskNewer | kTaskSynchronise}});
  EXPECT_EQ(r.files, 3u);  // mine and both there, theirs here; both not back again
  EXPECT_EQ(f.drives.Read(L"N:\\d\\both.txt"), "newer here");
  EXPECT_EQ(f.drives.Read(L"M:\\s\\theirs.txt"), "t");

  // Without the newer bit the second half copies the first half's files back.
  r = f.Run({{L"M:\\s", L"N:\\d", kTaskActive | kTaskSynchronise}});
  EXPECT_EQ(r.files, 6u);
  auto progress = f.view.Progress();
  EXPECT_EQ(progress.back(), 100);
}

// The counting pass adds up every file below the source with the
// subdirectory bit, only the top directory's own without it.
TEST_F(CopyEngine, CountingPassCountsEveryLevel) {
  f.drives.Dir(L"M:\\t");
  uint32_t files = 0, topFiles = 0;
  uint64_t bytes = 0, topBytes = 0;
  for (int a = 0; a < 4; ++a) {
    const std::wstring dir = L"M:\\t\\d" + std::to_wstring(a);
    f.drives.Dir(dir);
    f.drives.Dir(dir + L"\\e");
    f.drives.Dir(dir + L"\\empty");
    for (int b = 0; b < 3; ++b) {
      const std::string body(static_cast<size_t>(10 * a + b + 1), 'c');
      f.drives.File(dir + L"\\f" + std::to_wstring(b), body);
      f.drives.File(dir + L"\\e\\g" + std::to_wstring(b), body + body);
      files += 2;
      bytes += 3 * body.size();
    }
    f.drives.File(L"M:\\t\\top" + std::to_wstring(a), std::string(static_cast<size_t>(a + 1), 't'));
    files += 1;
    topFiles += 1;
    bytes += static_cast<uint64_t>(a + 1);
    topBytes += static_cast<uint64_t>(a + 1);
  }
  RunState all;
  all.taskBytesTotal = 5;  // the pass adds to what is there
  EXPECT_EQ(CountFiles(L"M:\\t", kTaskSubdirs, all), files);
  EXPECT_EQ(all.taskBytesTotal, bytes + 5);
  RunState top;
  EXPECT_EQ(CountFiles(L"M:\\t", 0, top), topFiles);
  EXPECT_EQ(top.taskBytesTotal, topBytes);
  RunState none;
  EXPECT_EQ(CountFiles(L"M:\\gone", kTaskSubdirs, none), 0u);
  EXPECT_EQ(none.taskBytesTotal, 0u);
}

TEST_F(CopyEngine, RestoreCopiesTheOtherWayAndEmptySidesAreReported) {
  f.drives.Dir(L"M:\\s");
  f.drives.Dir(L"N:\\d");
  f.drives.File(L"N:\\d\\back.txt", "b");
  f.drives.Dir(L"M:\\empty");
  f.drives.Dir(L"N:\\empty");
  auto r = f.Run({
      {L"M:\\s", L"N:\\d", kTaskActive | kTaskRestore},
      {L"M:\\empty", L"N:\\d", kTaskActive | kTaskBackup},
      {L"M:\\s", L"N:\\empty", kTaskActive | kTaskRestore},
      {L"M:\\empty", L"N:\\empty", kTaskActive | kTaskSynchronise},
  });
  EXPECT_EQ(r.files, 1u);
  EXPECT_EQ(f.drives.Read(L"M:\\s\\back.txt"), "b");
  auto boxes = f.prompter.Boxes();
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[0].text, L"The source directoryM:\\emptycan not find any files. The current task will be skipped!");
  EXPECT_EQ(boxes[0].caption, L"Prompt Message");
  EXPECT_EQ(boxes[0].style, 0x40u);
  EXPECT_EQ(boxes[1].text, L"The source directoryN:\\emptycan not find any files. The current task will be skipped!");
  EXPECT_EQ(boxes[2].text, Summary(kCompleted, 1, L"1 "));
}

TEST_F(CopyEngine, MissingDirectoriesAreReportedOrCreated) {
  f.drives.Dir(L"M:\\s");
  f.drives.File(L"M:\\s\\f.txt", "f");
  f.prompter.Answer(kIdNo);
  f.prompter.Answer(kIdYes);
  auto r = f.Run({
      {L"M:\\gone", L"N:\\x", kTaskActive | kTaskBackup},
      {L"M:\\s", L"N:\\new\\deep", kTaskActive | kTaskBackup},
      {L"M:\\s", L"N:\\new\\deep", kTaskActive | kTaskBackup},
  });
  auto boxes = f.prompter.Boxes();
  ASSERT_EQ(boxes.size(), 3u + 1u);
  // A missing source counts no file: the empty-source message comes first,
  // before copy directory could look.
  EXPECT_EQ(boxes[0].text, L"The source directoryM:\\gonecan not find any files. The current task will be skipped!");
  EXPECT_EQ(boxes[1].text, L"Can not find target directory:N:\\new\\deep. Do you want to create it?");
  EXPECT_EQ(boxes[1].caption, L"Error Message");
  EXPECT_EQ(boxes[1].style, 0x44u);
  EXPECT_EQ(boxes[2].text, boxes[1].text);
  EXPECT_EQ(r.files, 1u);
  EXPECT_EQ(f.drives.Read(L"N:\\new\\deep\\f.txt"), "f");
}

TEST_F(CopyEngine, CopyDirectoryReportsAMissingSource) {
  test::RecordingView view;
  RunState state;
  CopyDirectory(L"M:\\gone", L"N:\\x", kTaskBackup, state, view);
  auto boxes = f.prompter.Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, L"Can not find source directory:M:\\gone");
  EXPECT_EQ(boxes[0].style, 0x10u);
  EXPECT_FALSE(f.drives.Exists(L"N:\\x"));
}

TEST_F(CopyEngine, CreatePathRules) {
  EXPECT_EQ(CreatePath(L"N:"), 1);
  EXPECT_EQ(CreatePath(L"nowhere"), 0);
  EXPECT_EQ(CreatePath(L"N:\\a\\b\\c"), 1);
  EXPECT_TRUE(f.drives.Exists(L"N:\\a\\b\\c"));
  EXPECT_EQ(CreatePath(L"N:\\a\\b"), 0);  // already there: nothing was created
  EXPECT_EQ(CreatePath(L"Q:\\x"), 0);     // a drive that does not exist
}

TEST_F(CopyEngine, CaptionsCountEveryUsableTaskAndInactiveOnesCopyNothing) {
  f.drives.Dir(L"M:\\s");
  f.drives.File(L"M:\\s\\f.txt", "f");
  f.drives.Dir(L"N:\\d");
  auto r = f.Run({
      {L"M:\\s", L"N:\\d", kTaskSubdirs | kTaskBackup},  // inactive
      {L"", L"N:\\d", kTaskActive | kTaskBackup},        // no source: skipped silently
      {L" M:\\s", L"N:\\d", kTaskActive | kTaskBackup},  // leading space: skipped silently
      {L"M:\\s", L"N:\\d", kTaskActive},                 // no direction
  });
  EXPECT_EQ(f.view.Captions(), (std::vector<std::wstring>{L"Copy Task  1", L"Copy Task  4"}));
  EXPECT_EQ(r.files, 0u);
  EXPECT_EQ(f.BoxTexts(), std::vector<std::wstring>{Summary(kCompleted, 0, L"0 ")});
  EXPECT_TRUE(f.drives.List(L"N:\\d").empty());
}

TEST_F(CopyEngine, TwoButtonModeTakesTheDirectionOfTheRun) {
  f.drives.Dir(L"M:\\s");
  f.drives.Dir(L"N:\\d");
  f.drives.File(L"M:\\s\\here.txt", "h");
  f.drives.File(L"N:\\d\\there.txt", "t");
  const std::vector<CopyTask> tasks = {{L"M:\\s", L"N:\\d", kTaskActive | kTaskSynchronise}};
  EXPECT_EQ(f.Run(tasks, kButtonModeTwo, 3).files, 0u);
  EXPECT_EQ(f.Run(tasks, kButtonModeTwo, 2).files, 1u);
  EXPECT_TRUE(f.drives.Exists(L"M:\\s\\there.txt"));
  EXPECT_FALSE(f.drives.Exists(L"N:\\d\\here.txt"));
  EXPECT_EQ(f.Run(tasks, kButtonModeTwo, 1).files, 2u);
  EXPECT_TRUE(f.drives.Exists(L"N:\\d\\here.txt"));
}

TEST_F(CopyEngine, NoTaskFileNoRun) {
  test::RecordingView view;
  TaskList list;
  CopyRun run(view, f.bridge, list);
  run.SetDiskIndex(0);
  EXPECT_FALSE(run.Start());
  EXPECT_FALSE(run.Tick());
  auto boxes = f.prompter.Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, L"Can not find any copy task to execute!");
  EXPECT_EQ(boxes[0].style, 0x10u);
  EXPECT_TRUE(f.bridge.calls.empty());

  f.prompter.ClearBoxes();
  EXPECT_FALSE(f.Run({}).started);  // a task file without tasks
  EXPECT_EQ(f.BoxTexts(), std::vector<std::wstring>{L"Can not find any copy task to execute!"});
}

// A view without a timer learns of the end at once, not at its next tick.
TEST_F(CopyEngine, WaitForWorkerWakesWhenTheWorkerEnds) {
  f.drives.Dir(L"M:\\s");
  f.drives.Dir(L"N:\\d");
  f.drives.File(L"M:\\s\\one", "1");
  DiskList none;
  ASSERT_EQ(f.drives.Files().WriteFile(L"Disk77.CT", EncodeTaskFile(none, {{L"M:\\s", L"N:\\d", 0x11}})),
            kErrorSuccess);
  TaskList list;
  CopyRun run(f.view, f.bridge, list);
  EXPECT_TRUE(run.WaitForWorker(std::chrono::milliseconds(0)));  // nothing started
  ASSERT_TRUE(run.Start());
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(run.WaitForWorker(std::chrono::seconds(30)));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  EXPECT_FALSE(run.WorkerRunning());
  EXPECT_TRUE(run.Tick());
  EXPECT_EQ(run.FilesCopied(), 1u);
}

// On a worker and on the caller's thread alike (the terminal's runs).
TEST_F(CopyEngine, CancelStopsBeforeTheNextFileAndAfterTheTask) {
  f.drives.Dir(L"M:\\s");
  f.drives.Dir(L"N:\\d");
  f.drives.Dir(L"N:\\e");
  for (int i = 0; i < 5; ++i) f.drives.File(L"M:\\s\\f" + std::to_wstring(i), "12345");
  const std::vector<CopyTask> tasks = {{L"M:\\s", L"N:\\d", 0x11}, {L"M:\\s", L"N:\\e", 0x11}};
  for (const bool here : {false, true}) {
    SCOPED_TRACE(here ? "on the caller's thread" : "on a worker");
    for (const std::wstring& name : f.drives.List(L"N:\\d")) f.drives.Files().DeleteFile(L"N:\\d\\" + name);
    f.prompter.ClearBoxes();
    f.prompter.Answer(kIdNo);  // the first Ctrl-C is answered No, the second Yes
    f.prompter.Answer(kIdYes);
    CopyRun* current = nullptr;
    int files = 0;
    f.view.onFile = [&](const std::wstring&) {
      if (++files <= 2 && current && !current->Stopped()) current->Cancel();
    };
    DiskList none;
    ASSERT_EQ(f.drives.Files().WriteFile(L"Disk77.CT", EncodeTaskFile(none, tasks)), kErrorSuccess);
    TaskList list;
    CopyRun run(f.view, f.bridge, list);
    current = &run;
    if (here) {
      ASSERT_TRUE(run.RunHere());
      EXPECT_FALSE(run.WorkerRunning());
      EXPECT_TRUE(run.Tick());
    } else {
      ASSERT_TRUE(run.Start());
      while (!run.Tick()) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    EXPECT_TRUE(run.Stopped());
    EXPECT_EQ(run.FilesCopied(), 2u);  // the file being handled when Yes was answered, and the one before
    EXPECT_EQ(f.drives.List(L"N:\\d").size(), 2u);
    EXPECT_TRUE(f.drives.List(L"N:\\e").empty());
    auto boxes = f.prompter.Boxes();
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].text, L"Do you really want to cancel copy task?");
    EXPECT_EQ(boxes[0].style, 0x44u);
    EXPECT_EQ(boxes[1].text, L"Do you really want to cancel copy task?");
    EXPECT_EQ(boxes[2].text, Summary(kCancelled, 2, L"10 "));
    EXPECT_EQ(boxes[2].style, 0x40030u);
  }
}

// The terminal's runs go on its own thread: the same copies, questions and
// summary as a run on a worker.
TEST_F(CopyEngine, ARunOnTheCallersThreadCopiesAsOnAWorker) {
  test::RunResult results[2];
  std::vector<std::wstring> boxes[2], files[2];
  for (const bool here : {false, true}) {
    test::RunFixture g;
    g.runHere = here;
    g.drives.Dir(L"M:\\s");
    g.drives.Dir(L"M:\\s\\sub");
    g.drives.File(L"M:\\s\\a.txt", "aaa");
    g.drives.File(L"M:\\s\\sub\\b.txt", "bb");
    g.drives.Dir(L"N:\\d");
    g.drives.File(L"N:\\d\\c.txt", "c");
    g.prompter.Answer(kIdYes);  // make the missing target
    results[here] = g.Run({{L"M:\\s", L"N:\\d", kTaskActive | kTaskSubdirs | kTaskSynchronise},
                           {L"M:\\s", L"N:\\new", kTaskActive | kTaskSubdirs | kTaskBackup}});
    boxes[here] = g.BoxTexts();
    files[here] = g.drives.List(L"N:\\new");
    for (const std::wstring& name : g.drives.List(L"M:\\s")) files[here].push_back(L"M:" + name);
  }
  EXPECT_TRUE(results[1].started);
  // a and sub\b one way, the three back (none newer-only), then all three into the new target
  EXPECT_EQ(results[1].files, 8u);
  EXPECT_EQ(results[1].files, results[0].files);
  EXPECT_EQ(results[1].bytes, results[0].bytes);
  EXPECT_EQ(boxes[1], boxes[0]);
  EXPECT_EQ(files[1], files[0]);
}

// A full target disk stops the run; what was copied before stays whole, the
// file that did not fit leaves no piece behind and the old copy of it stays.
TEST_F(CopyEngine, AFullDiskEndsTheRunAsCancelled) {
  f.drives.Dir(L"M:\\s");
  f.drives.Dir(L"N:\\d");
  f.drives.Dir(L"N:\\e");
  const std::string big(3000, 'x');
  f.drives.File(L"M:\\s\\1.bin", big);
  f.drives.File(L"M:\\s\\2.bin", big);
  f.drives.File(L"M:\\s\\3.bin", big);
  f.drives.File(L"M:\\s\\4.bin", big);
  f.drives.File(L"N:\\d\\3.bin", "earlier contents");
  if (!f.drives.LimitFreeSpace(7000)) GTEST_SKIP() << "no free-space limit in this build";

  auto r = f.Run({{L"M:\\s", L"N:\\d", kTaskActive | kTaskBackup}, {L"M:\\s", L"N:\\e", kTaskActive | kTaskBackup}});
  EXPECT_TRUE(r.stopped);
  auto names = f.drives.List(L"N:\\d");
  // The enumeration order is the file system's: two files fit, whichever came first.
  EXPECT_EQ(r.files, 2u);
  EXPECT_EQ(r.bytes, 6000u);
  int whole = 0;
  for (const std::wstring& n : names) {
    const std::string contents = f.drives.Read(L"N:\\d\\" + n);
    if (contents == big) {
      ++whole;
    } else {
      EXPECT_EQ(n, L"3.bin");
      EXPECT_EQ(contents, "earlier contents");
    }
  }
  EXPECT_EQ(whole, 2);
  EXPECT_LE(names.size(), 3u);
  EXPECT_TRUE(f.drives.List(L"N:\\e").empty());
  for (int i = 1; i <= 4; ++i) EXPECT_EQ(f.drives.Read(L"M:\\s\\" + std::to_wstring(i) + L".bin"), big);
  auto boxes = f.prompter.Boxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, L"The target disk is full!");
  EXPECT_EQ(boxes[0].style, 0x10u);
  EXPECT_EQ(boxes[1].text, Summary(kCancelled, 2, L" 5.9K "));
}

}  // namespace
}  // namespace zel

namespace zel {
namespace {

// A task file made elsewhere may hold a destination inside its own source:
// the run copies the source's files and folders into it once and never walks
// into the copies, whichever way it goes.
TEST_F(CopyEngine, ADestinationInsideItsSourceIsNotWalked) {
  f.drives.Dir(L"M:\\Data");
  f.drives.Dir(L"M:\\Data\\Sub");
  f.drives.File(L"M:\\Data\\a.txt", "a");
  f.drives.File(L"M:\\Data\\Sub\\b.txt", "bb");
  f.drives.Dir(L"M:\\Data\\Backup");
  const uint16_t backup = kTaskActive | kTaskSubdirs | kTaskBackup;
  auto r = f.Run({{L"M:\\Data", L"M:\\Data\\Backup", backup}});
  EXPECT_EQ(r.files, 2u);
  EXPECT_EQ(f.drives.List(L"M:\\Data\\Backup"), (std::vector<std::wstring>{L"Sub", L"a.txt"}));
  EXPECT_EQ(f.drives.List(L"M:\\Data\\Backup\\Sub"), std::vector<std::wstring>{L"b.txt"});

  // Synchronising back and forth: the way out of the copies does not enter them either.
  const uint16_t sync = kTaskActive | kTaskSubdirs | kTaskSynchronise;
  r = f.Run({{L"M:\\Data\\Backup", L"M:\\Data", sync}});
  EXPECT_EQ(r.files, 4u);
  EXPECT_EQ(f.drives.List(L"M:\\Data\\Backup"), (std::vector<std::wstring>{L"Sub", L"a.txt"}));
  EXPECT_EQ(f.drives.List(L"M:\\Data"), (std::vector<std::wstring>{L"Backup", L"Sub", L"a.txt"}));

  // A target inside its source that the run makes first is kept out of as well.
  f.prompter.Answer(kIdYes);
  r = f.Run({{L"M:\\Data\\Sub", L"M:\\Data\\Sub\\New", backup}});
  EXPECT_EQ(r.files, 1u);
  EXPECT_EQ(f.drives.List(L"M:\\Data\\Sub\\New"), std::vector<std::wstring>{L"b.txt"});
}

// What a killed copy left under a partial name is no file of the tree: it is
// neither counted nor copied, and the next run into its folder removes it.
// Other names, however close, are the user's.
TEST_F(CopyEngine, PartialFilesAreNeverCopiedAndLeftoversAreRemoved) {
  f.drives.Dir(L"M:\\s");
  f.drives.Dir(L"N:\\d");
  f.drives.File(L"M:\\s\\a.txt", "whole");
  f.drives.File(L"M:\\s\\~zel1A2B.tmp", "a piece");
  f.drives.File(L"N:\\d\\~ZEL00ff.TMP", "another piece");
  f.drives.File(L"N:\\d\\~zel00fg.tmp", "the user's");
  auto r = f.Run({{L"M:\\s", L"N:\\d", kTaskActive | kTaskBackup}});
  EXPECT_EQ(r.files, 1u);
  EXPECT_EQ(r.bytes, 5u);
  EXPECT_EQ(f.drives.List(L"N:\\d"), (std::vector<std::wstring>{L"a.txt", L"~zel00fg.tmp"}));
  EXPECT_EQ(f.drives.Read(L"N:\\d\\a.txt"), "whole");
}

// A file whose copy fails for another reason than a full disk does not stop
// the run; the summary says how many were not copied.
TEST_F(CopyEngine, AFileThatCannotBeCopiedIsCountedInTheSummary) {
  f.drives.Dir(L"M:\\s");
  f.drives.Dir(L"N:\\d");
  f.drives.File(L"M:\\s\\a.txt", "a");
  f.drives.File(L"M:\\s\\b.txt", "b");
  f.drives.Dir(L"N:\\d\\b.txt");  // a folder stands where the copy would go
  auto r = f.Run({{L"M:\\s", L"N:\\d", kTaskActive | kTaskBackup}});
  EXPECT_FALSE(r.stopped);
  EXPECT_EQ(r.files, 1u);
  EXPECT_EQ(f.drives.Read(L"N:\\d\\a.txt"), "a");
  auto boxes = f.prompter.Boxes();
  ASSERT_FALSE(boxes.empty());
  EXPECT_EQ(boxes.back().text, Summary(kCompleted, 1, L"1 ") + L"\nFiles not copied: 1");
  EXPECT_EQ(f.view.NotCopied(), std::vector<std::wstring>{L"M:\\s\\b.txt"});
}

// A folder 240 characters long still takes files with short names: the
// partial name beside them is short too.
TEST_F(CopyEngine, ADeepFolderReceivesItsShortNamedFiles) {
  const std::wstring deep = L"N:\\" + std::wstring(237, L'd');
  ASSERT_EQ(deep.size(), 240u);
  f.drives.Dir(L"M:\\s");
  f.drives.Dir(deep);
  f.drives.File(L"M:\\s\\a.txt", "short");
  f.drives.File(L"M:\\s\\b.txt", "names");
  auto r = f.Run({{L"M:\\s", deep, kTaskActive | kTaskBackup}});
  EXPECT_EQ(r.files, 2u);
  EXPECT_EQ(f.drives.Read(deep + L"\\a.txt"), "short");
  EXPECT_EQ(f.drives.Read(deep + L"\\b.txt"), "names");
  EXPECT_EQ(f.drives.List(deep), (std::vector<std::wstring>{L"a.txt", L"b.txt"}));
  EXPECT_EQ(f.drives.Files().WriteFile(deep + L"\\c.CT", {1, 2, 3}), kErrorSuccess);
  EXPECT_EQ(f.drives.Read(deep + L"\\c.CT"), std::string("\x01\x02\x03"));
  EXPECT_TRUE(f.view.NotCopied().empty());
}

}  // namespace
}  // namespace zel
