// How the copy pass reads the two trees: the source once (from the counting
// pass), each target directory once, hidden bits only where they decide.
// What is copied must be what a look at every file would give.
#include <gtest/gtest.h>

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
