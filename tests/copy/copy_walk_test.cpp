// How the copy pass reads the two trees: the source once (from the counting
// pass), each target directory once, hidden bits only where they decide.
// What is copied must be what a look at every file would give.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

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
    if (aCopied) {
      EXPECT_EQ(f.drives.Read(L"N:\\d\\sub\\a.txt"), "sub a");
    }
    EXPECT_FALSE(f.drives.Exists(L"N:\\d\\sub\\deeper\\b.txt"));
  }
}

// What a killed run left (a directory still under a partial name) is removed
// with what it holds by the next run into that directory; a partial-named
// directory in a source is never copied.
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

// Large files of a new directory are copied two at a time; what comes of it
// is what one after the other gives: every file whole with its time, and on
// a disk with room for one, the directory's first file and no other.
TEST_F(CopyWalk, LargeFilesCopiedTwoAtATimeEndAsOneAfterTheOther) {
  const size_t kSize = (1 << 20) + 4096;
  f.drives.Dir(L"M:\\s");
  f.drives.Dir(L"M:\\s\\big");
  f.drives.Dir(L"N:\\d");
  const std::vector<std::wstring> names = {L"a.bin", L"b.bin", L"c.bin"};
  for (size_t k = 0; k < names.size(); ++k) {
    f.drives.File(L"M:\\s\\big\\" + names[k], std::string(kSize, static_cast<char>('a' + k)), TimeAt(30 + static_cast<int>(k)));
  }
  auto r = f.Run({{L"M:\\s", L"N:\\d", kTaskActive | kTaskSubdirs | kTaskBackup}});
  EXPECT_EQ(r.files, 3u);
  EXPECT_EQ(r.bytes, 3 * kSize);
  EXPECT_EQ(f.drives.List(L"N:\\d\\big"), names);
  for (size_t k = 0; k < names.size(); ++k) {
    EXPECT_TRUE(f.drives.Read(L"N:\\d\\big\\" + names[k]) == std::string(kSize, static_cast<char>('a' + k)));
    EXPECT_EQ(f.drives.LastWriteTime(L"N:\\d\\big\\" + names[k]), TimeAt(30 + static_cast<int>(k)));
  }

  FindData e;
  long error = 0;
  auto find = f.drives.Files().FindFirst(L"M:\\s\\big\\*", e, error, FindAttributes::kAll, DotEntries::kLeftOut);
  ASSERT_TRUE(find);
  const std::wstring firstListed = e.name;
  for (int round = 0; round < 6; ++round) {
    SCOPED_TRACE(round);
    ASSERT_EQ(f.drives.Files().RemoveTree(L"N:\\d\\big"), kErrorSuccess);
    if (!f.drives.LimitFreeSpace(kSize + kSize / 2)) break;
    r = f.Run({{L"M:\\s", L"N:\\d", kTaskActive | kTaskSubdirs | kTaskBackup}});
    EXPECT_TRUE(r.stopped);
    EXPECT_EQ(r.files, 1u);
    EXPECT_EQ(f.drives.List(L"N:\\d\\big"), std::vector<std::wstring>{firstListed});
    EXPECT_EQ(f.drives.Read(L"N:\\d\\big\\" + firstListed).size(), kSize);
  }
}

// A tree of files of many sizes, on a disk with room for some: the files
// copied are those one after the other would copy before the first that
// does not fit, although copies run ahead; nothing else is left behind.
TEST_F(CopyWalk, CopiesRunAheadEndWhereOneAfterTheOtherEnds) {
  f.drives.Dir(L"M:\\s");
  f.drives.Dir(L"M:\\s\\t");
  f.drives.Dir(L"N:\\d");
  for (int k = 0; k < 4; ++k) {
    const std::wstring dir = L"M:\\s\\t" + (k == 0 ? std::wstring() : L"\\sub" + std::to_wstring(k));
    f.drives.Dir(dir);
    for (int i = 0; i < 6; ++i) {
      f.drives.File(dir + L"\\f" + std::to_wstring(i), std::string((i * 7 + k * 3) % 5 == 0 ? 60 : 900, 'x'));
    }
  }
  // The files in the order of the walk: each directory's entries in the
  // order the file system keeps them, a subdirectory's files where it stands.
  std::vector<std::pair<std::wstring, uint64_t>> order;
  std::function<void(const std::wstring&)> walk = [&](const std::wstring& dir) {
    std::vector<FindData> entries;
    FindData e;
    long error = 0;
    auto find = f.drives.Files().FindFirst(dir + L"\\*", e, error, FindAttributes::kAll, DotEntries::kLeftOut);
    if (find) {
      do entries.push_back(e);
      while (find->Next(e) == kErrorSuccess);
    }
    for (const FindData& entry : entries) {
      if (entry.attributes & kAttrDirectory) {
        walk(dir + L"\\" + entry.name);
      } else {
        order.emplace_back(dir.substr(5) + L"\\" + entry.name, entry.size);
      }
    }
  };
  walk(L"M:\\s\\t");
  ASSERT_EQ(order.size(), 24u);
  const uint64_t room = 6000;
  std::vector<std::wstring> expected;
  uint64_t used = 0;
  for (const auto& [name, size] : order) {
    if (used + size > room) break;
    used += size;
    expected.push_back(L"N:\\d\\" + name);
  }
  if (!f.drives.LimitFreeSpace(room)) GTEST_SKIP() << "no free-space limit in this build";
  auto r = f.Run({{L"M:\\s", L"N:\\d", kTaskActive | kTaskSubdirs | kTaskBackup}});
  EXPECT_TRUE(r.stopped);
  EXPECT_EQ(r.files, expected.size());
  std::vector<std::wstring> copied;
  std::function<void(const std::wstring&)> list = [&](const std::wstring& dir) {
    for (const std::wstring& name : f.drives.List(dir)) {
      EXPECT_FALSE(IsPartialName(name)) << name;
      const std::wstring path = dir + L"\\" + name;
      if (f.drives.Files().GetAttributes(path) & kAttrDirectory) {
        list(path);
      } else {
        copied.push_back(path);
      }
    }
  };
  list(L"N:\\d");
  std::sort(copied.begin(), copied.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(copied, expected);

  // Stopped (cancelled) while the third file is shown: that file is the last.
  ASSERT_EQ(f.drives.Files().RemoveTree(L"N:\\d\\t"), kErrorSuccess);
  f.drives.LimitFreeSpace(UINT64_MAX / 2);
  RunState state;
  int shown = 0;
  f.view.onFile = [&](const std::wstring&) {
    if (++shown == 3) state.stop = true;
  };
  ASSERT_EQ(CountFiles(L"M:\\s", kTaskSubdirs, state, L"N:\\d"), 24u);
  CopyDirectory(L"M:\\s", L"N:\\d", kTaskSubdirs, state, f.view);
  EXPECT_EQ(state.filesCopied, 3u);
  copied.clear();
  list(L"N:\\d");
  std::sort(copied.begin(), copied.end());
  expected.clear();
  for (size_t i = 0; i < 3; ++i) expected.push_back(L"N:\\d\\" + order[i].first);
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(copied, expected);
}

// The drives' file system, with the copy of one file held back for a while.
class HeldBackCopy : public FileSystemPort {
 public:
  HeldBackCopy(FileSystemPort& inner, std::wstring heldBack) : inner_(inner), heldBack_(std::move(heldBack)) {}
  std::unique_ptr<FindHandle> FindFirst(const std::wstring& pattern, FindData& first, long& error,
                                        FindAttributes wanted, DotEntries dots) override {
    return inner_.FindFirst(pattern, first, error, wanted, dots);
  }
  uint32_t GetAttributes(const std::wstring& path) override { return inner_.GetAttributes(path); }
  long SetAttributes(const std::wstring& path, uint32_t a) override { return inner_.SetAttributes(path, a); }
  long CopyFile(const std::wstring& from, const std::wstring& to, bool failIfExists, TargetName naming) override {
    if (from == heldBack_ && !held_) {
      held_ = true;
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
    return inner_.CopyFile(from, to, failIfExists, naming);
  }
  long CreateDirectory(const std::wstring& path) override { return inner_.CreateDirectory(path); }
  long MoveDirectory(const std::wstring& from, const std::wstring& to) override { return inner_.MoveDirectory(from, to); }
  long RemoveTree(const std::wstring& path) override { return inner_.RemoveTree(path); }
  long ReadFile(const std::wstring& path, uint64_t maxBytes, std::vector<uint8_t>& out) override {
    return inner_.ReadFile(path, maxBytes, out);
  }
  long WriteFile(const std::wstring& path, const std::vector<uint8_t>& bytes) override {
    return inner_.WriteFile(path, bytes);
  }
  long DeleteFile(const std::wstring& path) override { return inner_.DeleteFile(path); }
  long SetLastWriteTime(const std::wstring& path, uint64_t t) override { return inner_.SetLastWriteTime(path, t); }

 private:
  FileSystemPort& inner_;
  std::wstring heldBack_;
  std::atomic<bool> held_{false};
};

// Should the second of two large files take the disk's last room before the
// first, the first is still the one copied, as one after the other gives.
TEST_F(CopyWalk, TheSecondOfTwoLargeFilesNeverTakesTheFirstsRoom) {
  const size_t kSize = (1 << 20) + 4096;
  f.drives.Dir(L"M:\\s");
  f.drives.Dir(L"M:\\s\\big");
  f.drives.Dir(L"N:\\d");
  f.drives.File(L"M:\\s\\big\\a.bin", std::string(kSize, 'a'));
  f.drives.File(L"M:\\s\\big\\b.bin", std::string(kSize, 'b'));
  if (!f.drives.LimitFreeSpace(kSize + kSize / 2)) GTEST_SKIP() << "no free-space limit in this build";
  FindData e;
  long error = 0;
  auto find = f.drives.Files().FindFirst(L"M:\\s\\big\\*", e, error, FindAttributes::kAll, DotEntries::kLeftOut);
  ASSERT_TRUE(find);
  HeldBackCopy held(f.drives.Files(), L"M:\\s\\big\\" + e.name);
  Platform ports = Ports();
  ports.files = &held;
  ScopedPorts scoped(ports);
  RunState state;
  ASSERT_EQ(CountFiles(L"M:\\s", kTaskSubdirs, state, L"N:\\d"), 2u);
  CopyDirectory(L"M:\\s", L"N:\\d", kTaskSubdirs, state, f.view);
  EXPECT_TRUE(state.stop);
  EXPECT_EQ(state.filesCopied, 1u);
  EXPECT_EQ(f.drives.List(L"N:\\d\\big"), std::vector<std::wstring>{e.name});
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
