// How the copy pass reads the two trees: the source once (from the counting
// pass), each target directory once, hidden bits only where they decide.
// What is copied must be what a look at every file would give.
#include <gtest/gtest.h>

#include "common/partial_name.h"
#include "copy/copy_rules.h"
#include "copy/task_flags.h"
#include "tests/copy/run_fixture.h"

namespace zel {
namespace {

using test::RunFixture;
using test::TimeAt;

class CopyWalk : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!f.drives.Ready()) GTEST_SKIP() << "drives M: and N: are not mapped";
  }
  RunFixture f;
};

// With the newer bit, a newer source still meets a hidden or read-only
// target; without the overwrite bit it is left alone, with it replaced.
TEST_F(CopyWalk, ANewerSourceStillRespectsAGuardedTarget) {
  f.drives.Dir(L"M:\\s");
  f.drives.Dir(L"N:\\d");
  f.drives.File(L"M:\\s\\hid.txt", "new hid", TimeAt(20));
  f.drives.File(L"M:\\s\\ro.txt", "new ro", TimeAt(20));
  f.drives.File(L"M:\\s\\plain.txt", "new plain", TimeAt(20));
  f.drives.File(L"N:\\d\\hid.txt", "old hid", TimeAt(10));
  f.drives.File(L"N:\\d\\ro.txt", "old ro", TimeAt(10));
  f.drives.File(L"N:\\d\\plain.txt", "old plain", TimeAt(10));
  ASSERT_EQ(f.drives.Files().SetAttributes(L"N:\\d\\hid.txt", kAttrHidden | kAttrArchive), kErrorSuccess);
  ASSERT_EQ(f.drives.Files().SetAttributes(L"N:\\d\\ro.txt", kAttrReadOnly | kAttrArchive), kErrorSuccess);

  auto r = f.Run({{L"M:\\s", L"N:\\d", kTaskActive | kTaskNewer | kTaskBackup}});
  EXPECT_EQ(r.files, 1u);
  EXPECT_EQ(f.drives.Read(L"N:\\d\\hid.txt"), "old hid");
  EXPECT_EQ(f.drives.Read(L"N:\\d\\ro.txt"), "old ro");
  EXPECT_EQ(f.drives.Read(L"N:\\d\\plain.txt"), "new plain");

  r = f.Run({{L"M:\\s", L"N:\\d", kTaskActive | kTaskNewer | kTaskOverwrite | kTaskBackup}});
  EXPECT_EQ(r.files, 2u);
  EXPECT_EQ(f.drives.Read(L"N:\\d\\hid.txt"), "new hid");
  EXPECT_EQ(f.drives.Read(L"N:\\d\\ro.txt"), "new ro");
}

// A target file that appears after its directory was read is replaced as
// any existing one, and a subdirectory made by the pass is filled whole.
TEST_F(CopyWalk, ATargetThatAppearsDuringThePassIsReplaced) {
  f.drives.Dir(L"M:\\s");
  f.drives.Dir(L"M:\\s\\sub");
  f.drives.Dir(L"N:\\d");
  f.drives.File(L"M:\\s\\a.txt", "source a");
  f.drives.File(L"M:\\s\\sub\\b.txt", "source b");
  f.view.onFile = [&](const std::wstring& file) {
    if (file == L"M:\\s\\a.txt") f.drives.File(L"N:\\d\\a.txt", "came in between");
  };
  auto r = f.Run({{L"M:\\s", L"N:\\d", kTaskActive | kTaskSubdirs | kTaskBackup}});
  EXPECT_EQ(r.files, 2u);
  EXPECT_EQ(f.drives.Read(L"N:\\d\\a.txt"), "source a");
  EXPECT_EQ(f.drives.Read(L"N:\\d\\sub\\b.txt"), "source b");
  EXPECT_EQ(f.drives.List(L"N:\\d"), (std::vector<std::wstring>{L"a.txt", L"sub"}));
}

// A directory the pass makes shows under its own name only once its files
// are in; until then it is one partial-named entry that nobody copies. A run
// that stops (a full disk) still gives it its name with what it holds.
TEST_F(CopyWalk, ANewDirectoryTakesItsNameOnceFilled) {
  f.drives.Dir(L"M:\\s");
  f.drives.Dir(L"M:\\s\\sub");
  f.drives.Dir(L"M:\\s\\sub\\deeper");
  f.drives.Dir(L"N:\\d");
  f.drives.File(L"M:\\s\\sub\\a.txt", "sub a", TimeAt(11));
  f.drives.File(L"M:\\s\\sub\\deeper\\b.txt", "deeper b", TimeAt(12));
  std::vector<std::wstring> seen;
  f.view.onFile = [&](const std::wstring& file) {
    if (file == L"M:\\s\\sub\\deeper\\b.txt") seen = f.drives.List(L"N:\\d");
  };
  auto r = f.Run({{L"M:\\s", L"N:\\d", kTaskActive | kTaskSubdirs | kTaskBackup}});
  EXPECT_EQ(r.files, 2u);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_TRUE(IsPartialName(seen[0])) << seen[0];
  EXPECT_EQ(f.drives.List(L"N:\\d"), std::vector<std::wstring>{L"sub"});
  EXPECT_EQ(f.drives.Read(L"N:\\d\\sub\\a.txt"), "sub a");
  EXPECT_EQ(f.drives.LastWriteTime(L"N:\\d\\sub\\a.txt"), TimeAt(11));
  EXPECT_EQ(f.drives.Read(L"N:\\d\\sub\\deeper\\b.txt"), "deeper b");
  EXPECT_EQ(f.drives.LastWriteTime(L"N:\\d\\sub\\deeper\\b.txt"), TimeAt(12));

  // Made again with room for a.txt only: b.txt fills the disk, whichever
  // of the two comes first.
  ASSERT_EQ(f.drives.Files().RemoveTree(L"N:\\d\\sub"), kErrorSuccess);
  EXPECT_TRUE(f.drives.List(L"N:\\d").empty());
  if (f.drives.LimitFreeSpace(7)) {
    r = f.Run({{L"M:\\s", L"N:\\d", kTaskActive | kTaskSubdirs | kTaskBackup}});
    EXPECT_TRUE(r.stopped);
    EXPECT_EQ(f.drives.List(L"N:\\d"), std::vector<std::wstring>{L"sub"});
    const bool aCopied = f.drives.Exists(L"N:\\d\\sub\\a.txt");
    EXPECT_EQ(r.files, aCopied ? 1u : 0u);
    if (aCopied) EXPECT_EQ(f.drives.Read(L"N:\\d\\sub\\a.txt"), "sub a");
    EXPECT_FALSE(f.drives.Exists(L"N:\\d\\sub\\deeper\\b.txt"));
  }
}

// What a killed run left (a directory still under a partial name) is removed
// by the next run into that directory, links in it without following them;
// a partial-named directory in a source is never copied.
TEST_F(CopyWalk, ALeftoverDirectoryIsRemovedAndNeverCopied) {
  f.drives.Dir(L"M:\\s");
  f.drives.Dir(L"M:\\s\\~zel0C0D.tmp");
  f.drives.File(L"M:\\s\\~zel0C0D.tmp\\piece", "a piece");
  f.drives.File(L"M:\\s\\a.txt", "whole");
  f.drives.Dir(L"N:\\d");
  f.drives.Dir(L"N:\\d\\~ZEL0a0b.TMP");
  f.drives.Dir(L"N:\\d\\~ZEL0a0b.TMP\\x");
  f.drives.File(L"N:\\d\\~ZEL0a0b.TMP\\x\\y", "half");
  ASSERT_EQ(f.drives.Files().SetAttributes(L"N:\\d\\~ZEL0a0b.TMP\\x\\y", kAttrReadOnly), kErrorSuccess);
  f.drives.Dir(L"N:\\d\\~zel0a0g.tmp");  // not one of ours
  auto r = f.Run({{L"M:\\s", L"N:\\d", kTaskActive | kTaskSubdirs | kTaskBackup}});
  EXPECT_EQ(r.files, 1u);
  EXPECT_EQ(f.drives.List(L"N:\\d"), (std::vector<std::wstring>{L"a.txt", L"~zel0a0g.tmp"}));
}

// Should another process make a directory of the same name while the pass
// fills its own, that directory stays as it is, and the files that were to
// go into it count as not copied.
TEST_F(CopyWalk, ADirectoryMadeMeanwhileUnderTheSameNameIsLeftAlone) {
  f.drives.Dir(L"M:\\s");
  f.drives.Dir(L"M:\\s\\sub");
  f.drives.File(L"M:\\s\\sub\\a.txt", "sub a");
  f.drives.File(L"M:\\s\\sub\\b.txt", "sub b");
  f.drives.File(L"M:\\s\\z.txt", "top z");
  f.drives.Dir(L"N:\\d");
  f.view.onFile = [&](const std::wstring& file) {
    if (file == L"M:\\s\\sub\\a.txt") {
      f.drives.Dir(L"N:\\d\\sub");
      f.drives.File(L"N:\\d\\sub\\theirs", "theirs");
    }
  };
  auto r = f.Run({{L"M:\\s", L"N:\\d", kTaskActive | kTaskSubdirs | kTaskBackup}});
  EXPECT_EQ(r.files, 1u);
  EXPECT_EQ(r.bytes, 5u);
  EXPECT_EQ(f.view.NotCopied(), std::vector<std::wstring>{L"M:\\s\\sub"});
  EXPECT_EQ(f.drives.List(L"N:\\d"), (std::vector<std::wstring>{L"sub", L"z.txt"}));
  EXPECT_EQ(f.drives.List(L"N:\\d\\sub"), std::vector<std::wstring>{L"theirs"});
}

// The counting pass's walk serves only the copy of the same tree.
TEST_F(CopyWalk, ACountOfOneTreeIsNotTakenForAnother) {
  f.drives.Dir(L"M:\\one");
  f.drives.Dir(L"M:\\two");
  f.drives.Dir(L"N:\\d");
  f.drives.File(L"M:\\one\\x.txt", "one");
  f.drives.File(L"M:\\two\\y.txt", "two");
  test::RecordingView view;
  RunState state;
  ASSERT_EQ(CountFiles(L"M:\\one", kTaskSubdirs, state, L"N:\\d"), 1u);
  CopyDirectory(L"M:\\two", L"N:\\d", kTaskSubdirs, state, view);
  EXPECT_EQ(state.filesCopied.load(), 1u);
  EXPECT_EQ(f.drives.List(L"N:\\d"), std::vector<std::wstring>{L"y.txt"});
}

#ifndef _WIN32
// On a host whose names differ by case, a target of another case is another file.
TEST_F(CopyWalk, ATargetOfAnotherCaseIsAnotherFileOnACaseSensitiveHost) {
  f.drives.Dir(L"M:\\s");
  f.drives.Dir(L"N:\\d");
  f.drives.File(L"M:\\s\\note.txt", "new", TimeAt(10));
  f.drives.File(L"N:\\d\\NOTE.TXT", "other", TimeAt(99));
  auto r = f.Run({{L"M:\\s", L"N:\\d", kTaskActive | kTaskNewer | kTaskBackup}});
  EXPECT_EQ(r.files, 1u);
  EXPECT_EQ(f.drives.Read(L"N:\\d\\note.txt"), "new");
  EXPECT_EQ(f.drives.Read(L"N:\\d\\NOTE.TXT"), "other");
}
#endif

}  // namespace
}  // namespace zel
