// The file-system port behaves the same natively and on Windows.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <set>
#include <thread>
#include <map>

#include "common/partial_name.h"
#include "tests/copy/test_drives.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include "platform/posix/file_system_posix.h"
#include "common/text.h"
#include "copy/task_paths.h"
#include "ports/platform.h"
#endif

namespace zel {
namespace {

using test::TimeAt;

class FileSystemPortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!d.Ready()) GTEST_SKIP() << "drives M: and N: are not mapped";
  }
  test::TestDrives d;
  FileSystemPort& fs() { return d.Files(); }
};

TEST_F(FileSystemPortTest, AttributesRoundTrip) {
  d.File(L"M:\\f.txt", "x");
  d.Dir(L"M:\\dir");
  EXPECT_EQ(fs().GetAttributes(L"M:\\f.txt"), static_cast<uint32_t>(kAttrArchive));
  EXPECT_EQ(fs().GetAttributes(L"M:\\dir"), static_cast<uint32_t>(kAttrDirectory));
  EXPECT_EQ(fs().GetAttributes(L"M:\\none"), kInvalidAttributes);
  struct Case {
    uint32_t set, get;
  } cases[] = {
      // Files stay archive, as on Wine's drives.
      {kAttrReadOnly | kAttrHidden, kAttrReadOnly | kAttrHidden | kAttrArchive},
      {kAttrHidden | kAttrArchive, kAttrHidden | kAttrArchive},
      {kAttrReadOnly | kAttrArchive, kAttrReadOnly | kAttrArchive},
      {kAttrNormal, kAttrArchive},
      {kAttrArchive, kAttrArchive},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(fs().SetAttributes(L"M:\\f.txt", c.set), kErrorSuccess);
    EXPECT_EQ(fs().GetAttributes(L"M:\\f.txt"), c.get) << c.set;
  }
  EXPECT_EQ(fs().SetAttributes(L"M:\\dir", kAttrHidden), kErrorSuccess);
  EXPECT_EQ(fs().GetAttributes(L"M:\\dir"), static_cast<uint32_t>(kAttrDirectory | kAttrHidden));
}

TEST_F(FileSystemPortTest, CopyCarriesContentsAttributesAndTime) {
  const uint64_t when = TimeAt(1234) + 5678;  // below a second, at 100 ns
  d.File(L"M:\\src.bin", std::string(100000, 'z'), when);
  fs().SetAttributes(L"M:\\src.bin", kAttrHidden | kAttrReadOnly | kAttrArchive);
  ASSERT_EQ(fs().CopyFile(L"M:\\src.bin", L"N:\\dst.bin", false), kErrorSuccess);
  EXPECT_EQ(d.Read(L"N:\\dst.bin"), std::string(100000, 'z'));
  EXPECT_EQ(fs().GetAttributes(L"N:\\dst.bin"), static_cast<uint32_t>(kAttrHidden | kAttrReadOnly | kAttrArchive));
  EXPECT_EQ(d.LastWriteTime(L"N:\\dst.bin"), when);
  EXPECT_EQ(d.LastWriteTime(L"M:\\src.bin"), when);
  // No temporary names are left beside the copy.
  EXPECT_EQ(d.List(L"N:"), std::vector<std::wstring>{L"dst.bin"});
}

TEST_F(FileSystemPortTest, CopyRefusals) {
  d.File(L"M:\\a", "new");
  d.File(L"N:\\ro", "old");
  fs().SetAttributes(L"N:\\ro", kAttrReadOnly);
  d.File(L"N:\\plain", "old");
  EXPECT_EQ(fs().CopyFile(L"M:\\a", L"N:\\ro", false), kErrorAccessDenied);
  EXPECT_EQ(d.Read(L"N:\\ro"), "old");
  EXPECT_EQ(fs().CopyFile(L"M:\\a", L"N:\\plain", true), kErrorFileExists);
  EXPECT_EQ(fs().CopyFile(L"M:\\missing", L"N:\\x", false), kErrorFileNotFound);
  EXPECT_EQ(fs().CopyFile(L"M:\\a", L"N:\\no\\such\\dir\\x", false), kErrorPathNotFound);
  EXPECT_EQ(fs().CopyFile(L"M:\\a", L"N:\\plain", false), kErrorSuccess);
  EXPECT_EQ(d.Read(L"N:\\plain"), "new");
  EXPECT_EQ(fs().DeleteFile(L"N:\\ro"), kErrorAccessDenied);
  EXPECT_EQ(fs().WriteFile(L"N:\\ro", {1}), kErrorAccessDenied);
  EXPECT_EQ(d.Read(L"N:\\ro"), "old");
  EXPECT_EQ(fs().CreateDirectory(L"N:\\sub"), kErrorSuccess);
  EXPECT_EQ(fs().CreateDirectory(L"N:\\sub"), kErrorAlreadyExists);
}

TEST_F(FileSystemPortTest, EnumerationAndLookUp) {
  d.Dir(L"M:\\d");
  d.File(L"M:\\d\\one.txt", "1");
  d.File(L"M:\\d\\two.dat", "22");
  d.File(L"M:\\top", "t");
  FindData e;
  long error = 0;
  std::vector<std::wstring> names;
  auto find = fs().FindFirst(L"M:\\d\\*", e, error, FindAttributes::kAll);
  ASSERT_TRUE(find) << error;
  do names.push_back(e.name);
  while (find->Next(e) == kErrorSuccess);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::wstring>{L".", L"..", L"one.txt", L"two.dat"}));

  // Left out when the caller asks; a directory with nothing else then has nothing.
  names.clear();
  find = fs().FindFirst(L"M:\\d\\*", e, error, FindAttributes::kWithoutHiddenAndSystem, DotEntries::kLeftOut);
  ASSERT_TRUE(find) << error;
  do names.push_back(e.name);
  while (find->Next(e) == kErrorSuccess);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::wstring>{L"one.txt", L"two.dat"}));
  d.Dir(L"M:\\d\\empty");
  EXPECT_FALSE(fs().FindFirst(L"M:\\d\\empty\\*", e, error, FindAttributes::kAll, DotEntries::kLeftOut));
  EXPECT_EQ(error, kErrorFileNotFound);
  ASSERT_TRUE(fs().FindFirst(L"M:\\d\\empty\\*", e, error, FindAttributes::kAll));
  EXPECT_EQ(e.name, L".");

  names.clear();
  find = fs().FindFirst(L"M:\\*", e, error, FindAttributes::kAll);  // a drive's root has no dot entries
  ASSERT_TRUE(find);
  do names.push_back(e.name);
  while (find->Next(e) == kErrorSuccess);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::wstring>{L"d", L"top"}));

  ASSERT_TRUE(fs().FindFirst(L"M:\\d\\*.dat", e, error, FindAttributes::kAll));
  EXPECT_EQ(e.name, L"two.dat");
  EXPECT_EQ(e.size, 2u);
  ASSERT_TRUE(fs().FindFirst(L"M:\\d\\one.txt", e, error, FindAttributes::kAll));
  EXPECT_EQ(e.name, L"one.txt");
  EXPECT_EQ(e.attributes, static_cast<uint32_t>(kAttrArchive));
  EXPECT_FALSE(fs().FindFirst(L"M:\\d\\three.txt", e, error, FindAttributes::kAll));
  EXPECT_EQ(error, kErrorFileNotFound);
  EXPECT_FALSE(fs().FindFirst(L"M:\\nothing\\*", e, error, FindAttributes::kAll));
  EXPECT_EQ(error, kErrorPathNotFound);
}

// "." is the directory itself, with its own times; a directory whose entries
// take several reads of the directory comes whole, each name once.
TEST_F(FileSystemPortTest, DotIsTheDirectoryAndLongDirectoriesComeWhole) {
  d.Dir(L"M:\\many");
  std::set<std::wstring> made;
  for (int i = 0; i < 1500; ++i) {
    std::wstring name = L"a-name-long-enough-to-fill-the-reads-" + std::to_wstring(i) + L".dat";
    d.File(L"M:\\many\\" + name, "x");
    made.insert(name);
  }
  d.File(L"M:\\many\\\u00E9t\u00E9.txt", "e");
  made.insert(L"\u00E9t\u00E9.txt");
  FindData self, e;
  long error = 0;
  ASSERT_TRUE(fs().FindFirst(L"M:\\many", self, error, FindAttributes::kAll));
  auto find = fs().FindFirst(L"M:\\many\\*", e, error, FindAttributes::kWithoutHiddenAndSystem);
  ASSERT_TRUE(find) << error;
  std::set<std::wstring> seen;
  size_t entries = 0;
  do {
    ++entries;
    if (e.name == L".") {
      EXPECT_EQ(e.attributes & kAttrDirectory, static_cast<uint32_t>(kAttrDirectory));
      EXPECT_EQ(e.lastWriteTime, self.lastWriteTime);
    } else if (e.name != L"..") {
      seen.insert(e.name);
      EXPECT_EQ(e.size, 1u);
    }
  } while (find->Next(e) == kErrorSuccess);
  EXPECT_EQ(entries, made.size() + 2);
  EXPECT_EQ(seen, made);
}

// An enumeration that leaves hidden and system out still tells directories
// and read-only files, on both builds.
TEST_F(FileSystemPortTest, EnumerationWithoutHiddenAndSystem) {
  d.Dir(L"M:\\d");
  d.Dir(L"M:\\d\\sub");
  d.File(L"M:\\d\\h", "h");
  d.File(L"M:\\d\\r", "r");
  ASSERT_EQ(fs().SetAttributes(L"M:\\d\\h", kAttrHidden | kAttrSystem | kAttrArchive), kErrorSuccess);
  ASSERT_EQ(fs().SetAttributes(L"M:\\d\\r", kAttrReadOnly | kAttrHidden | kAttrArchive), kErrorSuccess);
  ASSERT_EQ(fs().SetAttributes(L"M:\\d\\sub", kAttrHidden), kErrorSuccess);
  for (FindAttributes wanted : {FindAttributes::kAll, FindAttributes::kWithoutHiddenAndSystem}) {
    const uint32_t hidden = wanted == FindAttributes::kAll ? kAttrHidden : 0u;
    const uint32_t system = wanted == FindAttributes::kAll ? kAttrSystem : 0u;
    std::map<std::wstring, uint32_t> seen;
    FindData e;
    long error = 0;
    auto find = fs().FindFirst(L"M:\\d\\*", e, error, wanted);
    ASSERT_TRUE(find) << error;
    do seen[e.name] = e.attributes;
    while (find->Next(e) == kErrorSuccess);
    EXPECT_EQ(seen[L"h"], hidden | system | kAttrArchive);
    EXPECT_EQ(seen[L"r"], kAttrReadOnly | hidden | kAttrArchive);
    EXPECT_EQ(seen[L"sub"], kAttrDirectory | hidden);
    ASSERT_TRUE(fs().FindFirst(L"M:\\d\\h", e, error, wanted));
    EXPECT_EQ(e.attributes, hidden | system | kAttrArchive);
  }
}

TEST_F(FileSystemPortTest, RelativePathsAreInTheCurrentDirectory) {
  d.File(L"rel.bin", "here");
  std::vector<uint8_t> b;
  ASSERT_EQ(fs().ReadFile(L"rel.bin", 2, b), kErrorSuccess);  // at most maxBytes
  EXPECT_EQ(b, (std::vector<uint8_t>{'h', 'e'}));
  EXPECT_EQ(fs().ReadFile(L"other.bin", 10, b), kErrorFileNotFound);

  // Whole files of any size, empty ones and ones past a read step included.
  for (size_t size : {size_t{0}, size_t{1}, size_t{65535}, size_t{65537}, size_t{200000}}) {
    std::string text(size, 'x');
    for (size_t i = 0; i < size; ++i) text[i] = static_cast<char>('a' + i % 23);
    d.File(L"rel.bin", text);
    ASSERT_EQ(fs().ReadFile(L"rel.bin", 1 << 20, b), kErrorSuccess) << size;
    EXPECT_EQ(std::string(b.begin(), b.end()), text) << size;
  }
}

// New contents are written under a short partial name and take the file's
// name only when whole: in a folder 240 characters deep, where a short file
// name still fits the 259-character limit, the partial name must fit too.
// Contents that replace a file are written under a partial name first, one
// short enough for the deepest directory the system can name.
TEST_F(FileSystemPortTest, NewContentsGoUnderAShortPartialNameFirst) {
  const std::wstring deep = L"N:\\" + std::wstring(237, L'd');
  d.Dir(deep);
  const std::string big(16 << 20, 'b');  // as much as Read takes
  d.File(L"M:\\big.bin", big);
  // Seeing the partial name is a race with the copy; a loaded machine may
  // finish a copy between two looks, so the copy is made again a few times.
  std::set<std::wstring> seen;
  for (int attempt = 0; attempt < 25 && seen.empty(); ++attempt) {
    d.File(deep + L"\\big.bin", "old");
    std::atomic<bool> done{false};
    std::thread watch([&] {
      while (!done) {
        FindData e;
        long error = 0;
        auto find = fs().FindFirst(deep + L"\\*", e, error, FindAttributes::kAll);
        if (!find) continue;
        do {
          if (e.name != L"." && e.name != L".." && e.name != L"big.bin") seen.insert(e.name);
        } while (find->Next(e) == kErrorSuccess);
      }
    });
    const long result = fs().CopyFile(L"M:\\big.bin", deep + L"\\big.bin", false);
    done = true;
    watch.join();
    ASSERT_EQ(result, kErrorSuccess);
    EXPECT_TRUE(d.Read(deep + L"\\big.bin") == big);
  }
  ASSERT_FALSE(seen.empty()) << "the copy was never seen under another name";
  for (const std::wstring& name : seen) {
    EXPECT_TRUE(IsPartialName(name)) << name;
    EXPECT_LE(deep.size() + 1 + name.size(), 259u) << name;
  }
  EXPECT_EQ(d.List(deep), std::vector<std::wstring>{L"big.bin"});
}

// A directory takes another name only while that name is free; a tree goes
// whole, read-only files and all. A file copied "at once" is under its own
// name from the start and never over another file.
TEST_F(FileSystemPortTest, DirectoriesMoveWithoutReplacingAndTreesGoWhole) {
  d.Dir(L"N:\\p");
  d.Dir(L"N:\\p\\sub");
  d.File(L"N:\\p\\sub\\ro", "read-only");
  ASSERT_EQ(fs().SetAttributes(L"N:\\p\\sub\\ro", kAttrReadOnly), kErrorSuccess);
  d.Dir(L"N:\\taken");
  d.File(L"N:\\file", "a file");
  EXPECT_EQ(fs().MoveDirectory(L"N:\\p", L"N:\\taken"), kErrorAlreadyExists);
  EXPECT_EQ(fs().MoveDirectory(L"N:\\p", L"N:\\file"), kErrorAlreadyExists);
  EXPECT_EQ(d.Read(L"N:\\file"), "a file");
  EXPECT_EQ(fs().MoveDirectory(L"N:\\p", L"N:\\q"), kErrorSuccess);
  EXPECT_EQ(d.List(L"N:"), (std::vector<std::wstring>{L"file", L"q", L"taken"}));
  EXPECT_EQ(d.Read(L"N:\\q\\sub\\ro"), "read-only");

  d.File(L"M:\\src", "contents", TimeAt(5));
  EXPECT_EQ(fs().CopyFile(L"M:\\src", L"N:\\q\\new", true, TargetName::kAtOnce), kErrorSuccess);
  EXPECT_EQ(d.Read(L"N:\\q\\new"), "contents");
  EXPECT_EQ(d.LastWriteTime(L"N:\\q\\new"), TimeAt(5));
  d.File(L"M:\\other", "other");
  EXPECT_EQ(fs().CopyFile(L"M:\\other", L"N:\\q\\new", true, TargetName::kAtOnce), kErrorFileExists);
  EXPECT_EQ(d.Read(L"N:\\q\\new"), "contents");

  EXPECT_EQ(fs().RemoveTree(L"N:\\q"), kErrorSuccess);
  EXPECT_EQ(d.List(L"N:"), (std::vector<std::wstring>{L"file", L"taken"}));
  EXPECT_NE(fs().RemoveTree(L"N:\\q"), kErrorSuccess);
}

#ifndef _WIN32
// A new file, where the host makes files without a name, has none until it
// is whole: no look at its directory sees it under any other name.
TEST_F(FileSystemPortTest, ANewFileIsSeenUnderNoOtherName) {
  std::string host;
  ASSERT_TRUE(static_cast<PosixFileSystem&>(fs()).HostPath(L"N:\\", host));
  const int probe = open(host.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
  if (probe < 0) GTEST_SKIP() << "this file system makes no nameless files";
  close(probe);
  const std::string big(16 << 20, 'n');
  d.File(L"M:\\big.bin", big);
  std::set<std::wstring> seen;
  int looks = 0;
  for (int attempt = 0; attempt < 5; ++attempt) {
    std::atomic<bool> done{false};
    std::thread watch([&] {
      while (!done) {
        FindData e;
        long error = 0;
        auto find = fs().FindFirst(L"N:\\*", e, error, FindAttributes::kAll);
        ++looks;
        if (!find) continue;
        do {
          if (e.name != L"big.bin") seen.insert(e.name);
          if (e.name == L"big.bin") {
            EXPECT_EQ(e.size, big.size());  // never a piece of it
          }
        } while (find->Next(e) == kErrorSuccess);
      }
    });
    const long result = fs().CopyFile(L"M:\\big.bin", L"N:\\big.bin", true);
    done = true;
    watch.join();
    ASSERT_EQ(result, kErrorSuccess);
    EXPECT_TRUE(d.Read(L"N:\\big.bin") == big);
    ASSERT_EQ(fs().DeleteFile(L"N:\\big.bin"), kErrorSuccess);
  }
  EXPECT_GT(looks, 5);
  EXPECT_TRUE(seen.empty()) << WideToUtf8(*seen.begin());
  // And a name that is taken meanwhile is not taken over.
  d.File(L"N:\\big.bin", "mine");
  EXPECT_EQ(fs().CopyFile(L"M:\\big.bin", L"N:\\big.bin", true), kErrorFileExists);
  EXPECT_EQ(d.Read(L"N:\\big.bin"), "mine");
  EXPECT_EQ(d.List(L"N:"), std::vector<std::wstring>{L"big.bin"});
}

// A link inside a removed tree goes with it; what it leads to stays. A file
// copied at once that does not fit is removed.
TEST_F(FileSystemPortTest, ARemovedTreeLeavesWhatItsLinksLeadTo) {
  d.Dir(L"M:\\kept");
  d.File(L"M:\\kept\\precious", "precious");
  d.Dir(L"N:\\t");
  std::string kept, tree;
  auto& posix = static_cast<PosixFileSystem&>(fs());
  ASSERT_TRUE(posix.HostPath(L"M:\\kept", kept) && posix.HostPath(L"N:\\t", tree));
  ASSERT_EQ(symlink(kept.c_str(), (tree + "/link").c_str()), 0);
  ASSERT_EQ(symlink(kept.c_str(), (tree + "/../toplink").c_str()), 0);
  EXPECT_EQ(fs().RemoveTree(L"N:\\t"), kErrorSuccess);
  EXPECT_EQ(fs().RemoveTree(L"N:\\toplink"), kErrorSuccess);
  EXPECT_EQ(d.List(L"N:"), std::vector<std::wstring>{});
  EXPECT_EQ(d.Read(L"M:\\kept\\precious"), "precious");

  d.File(L"M:\\big", std::string(50000, 'b'));
  d.Dir(L"N:\\u");
  ASSERT_TRUE(d.LimitFreeSpace(20000));
  EXPECT_EQ(fs().CopyFile(L"M:\\big", L"N:\\u\\big", true, TargetName::kAtOnce), kErrorDiskFull);
  EXPECT_TRUE(d.List(L"N:\\u").empty());
}

TEST(PosixFileSystem, PathsMapToTheDrivesDirectories) {
  PosixFileSystem fs({{L'e', "/mnt/e/"}, {L'F', "/"}});
  std::string host;
  ASSERT_TRUE(fs.HostPath(L"E:\\a\\b.txt", host));
  EXPECT_EQ(host, "/mnt/e/a/b.txt");
  ASSERT_TRUE(fs.HostPath(L"e:", host));
  EXPECT_EQ(host, "/mnt/e");
  ASSERT_TRUE(fs.HostPath(L"E:\\\\/a/\u00E9\\b", host));
  EXPECT_EQ(host, "/mnt/e/a/\xC3\xA9/b");
  ASSERT_TRUE(fs.HostPath(L"E:\\", host));
  EXPECT_EQ(host, "/mnt/e");
  ASSERT_TRUE(fs.HostPath(L"F:\\x", host));
  EXPECT_EQ(host, "/x");
  ASSERT_TRUE(fs.HostPath(L"Disk1.CT", host));
  EXPECT_EQ(host, "Disk1.CT");
  ASSERT_TRUE(fs.HostPath(L"/tmp/t.CT", host));
  EXPECT_EQ(host, "/tmp/t.CT");
  EXPECT_FALSE(fs.HostPath(L"G:\\x", host));
}

// A drive that is a folder of another drive: its paths lead into the other
// drive's tree, so a task between the two is one inside the other.
TEST(PosixFileSystem, ADriveInsideAnotherLeadsIntoItsTree) {
  namespace stdfs = std::filesystem;
  const stdfs::path root = stdfs::canonical(stdfs::temp_directory_path()) /
                           ("zel-location-" + std::to_string(getpid()));
  stdfs::remove_all(root);
  stdfs::create_directories(root / "m" / "Mounted" / "Backup");
  stdfs::create_directories(root / "m" / "Other");
  stdfs::create_directory_symlink(root / "m" / "Other", root / "linked");
  PosixFileSystem fs({{L'M', (root / "m").string()}, {L'N', (root / "m" / "Mounted").string()},
                      {L'O', (root / "linked").string()}});
  Platform ports;
  ports.files = &fs;
  ScopedPorts scoped(ports);

  const std::wstring m = Utf8ToWide((root / "m").string());
  EXPECT_EQ(fs.Location(L"N:\\Backup"), m + L"/Mounted/Backup");
  EXPECT_EQ(fs.Location(L"N:\\New\\Deeper"), m + L"/Mounted/New/Deeper") << "a path that does not exist yet";
  EXPECT_EQ(fs.Location(L"O:\\x"), m + L"/Other/x") << "links are followed";
  EXPECT_EQ(fs.Location(L"Q:\\x"), L"Q:\\x") << "an unmapped drive stays as it is";

  EXPECT_EQ(PathInside(L"M:\\", L"N:\\Backup"), L"M:\\Mounted\\Backup");
  EXPECT_EQ(PathInside(L"m:", L"N:"), L"M:\\Mounted");
  EXPECT_EQ(PathInside(L"M:\\Mounted2", L"N:\\Backup"), L"");
  EXPECT_EQ(CheckTaskPaths(L"M:\\", L"N:\\Backup"), TaskPathProblem::kDestinationInsideSource);
  EXPECT_EQ(CheckTaskPaths(L"N:\\Backup", L"M:\\Mounted"), TaskPathProblem::kSourceInsideDestination);
  EXPECT_EQ(CheckTaskPaths(L"M:\\Other", L"O:\\"), TaskPathProblem::kDestinationInsideSource);
  EXPECT_EQ(CheckTaskPaths(L"M:\\Other", L"N:\\Backup"), TaskPathProblem::kNone);
  stdfs::remove_all(root);
}

// Hidden is kept where Wine and Samba keep it, so both builds agree.
TEST_F(FileSystemPortTest, HiddenIsStoredAsTheDosAttribute) {
  d.File(L"M:\\h", "h");
  ASSERT_EQ(fs().SetAttributes(L"M:\\h", kAttrHidden | kAttrArchive), kErrorSuccess);
  std::string host;
  ASSERT_TRUE(static_cast<PosixFileSystem&>(fs()).HostPath(L"M:\\h", host));
  char value[32] = {};
  ASSERT_GT(getxattr(host.c_str(), "user.DOSATTRIB", value, sizeof value - 1), 0);
  EXPECT_STREQ(value, "0x2");
  ASSERT_EQ(fs().SetAttributes(L"M:\\h", kAttrReadOnly), kErrorSuccess);
  struct stat st;
  ASSERT_EQ(stat(host.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0222, 0u);
}

// A copy that does not fit fails as a full disk does and changes nothing.
TEST_F(FileSystemPortTest, AFailedCopyLeavesSourceAndTargetAsTheyWere) {
  d.File(L"M:\\big", std::string(50000, 'n'), TimeAt(7));
  d.File(L"N:\\big", "the old copy", TimeAt(3));
  ASSERT_TRUE(d.LimitFreeSpace(20000));
  EXPECT_EQ(fs().CopyFile(L"M:\\big", L"N:\\big", false), kErrorDiskFull);
  EXPECT_EQ(d.Read(L"N:\\big"), "the old copy");
  EXPECT_EQ(d.LastWriteTime(L"N:\\big"), TimeAt(3));
  EXPECT_EQ(d.Read(L"M:\\big"), std::string(50000, 'n'));
  EXPECT_EQ(d.LastWriteTime(L"M:\\big"), TimeAt(7));
  EXPECT_EQ(d.List(L"N:"), std::vector<std::wstring>{L"big"});
  EXPECT_EQ(fs().WriteFile(L"N:\\task.CT", std::vector<uint8_t>(30000)), kErrorDiskFull);
  EXPECT_FALSE(d.Exists(L"N:\\task.CT"));
}

// A volume's free space is worked out when the first write to it needs it,
// once; reading, looking up and making directories never ask.
TEST_F(FileSystemPortTest, AFreeSpaceLimitIsCountedAtTheFirstWrite) {
  auto& posix = static_cast<PosixFileSystem&>(fs());
  d.File(L"M:\\a", std::string(6000, 'a'));
  d.File(L"N:\\old", "old");
  int counted = 0;
  posix.SetFreeSpaceLimit(L'n', [&counted] {
    ++counted;
    return uint64_t{10000};
  });
  FindData e;
  long error = 0;
  EXPECT_TRUE(fs().FindFirst(L"N:\\*", e, error, FindAttributes::kAll));
  EXPECT_NE(fs().GetAttributes(L"N:\\old"), kInvalidAttributes);
  EXPECT_EQ(fs().CreateDirectory(L"N:\\sub"), kErrorSuccess);
  EXPECT_EQ(d.Read(L"N:\\old"), "old");
  EXPECT_EQ(fs().CopyFile(L"N:\\old", L"M:\\old", false), kErrorSuccess);  // onto another drive
  EXPECT_EQ(counted, 0);
  EXPECT_EQ(fs().CopyFile(L"M:\\a", L"N:\\a", false), kErrorSuccess);
  EXPECT_EQ(counted, 1);
  EXPECT_EQ(fs().CopyFile(L"M:\\a", L"N:\\b", false), kErrorDiskFull);  // 4000 bytes were left
  EXPECT_FALSE(d.Exists(L"N:\\b"));
  EXPECT_EQ(fs().WriteFile(L"N:\\c", std::vector<uint8_t>(4000)), kErrorSuccess);
  EXPECT_EQ(counted, 1);
  // What is removed is free again: the volume is full now.
  EXPECT_EQ(fs().CopyFile(L"M:\\a", L"N:\\sub\\a", true), kErrorDiskFull);
  EXPECT_EQ(fs().DeleteFile(L"N:\\a"), kErrorSuccess);
  EXPECT_EQ(fs().CopyFile(L"M:\\a", L"N:\\sub\\a", true), kErrorSuccess);
  EXPECT_EQ(fs().CopyFile(L"M:\\a", L"N:\\a", true), kErrorDiskFull);
  EXPECT_EQ(fs().RemoveTree(L"N:\\sub"), kErrorSuccess);
  EXPECT_EQ(fs().CopyFile(L"M:\\a", L"N:\\a", true), kErrorSuccess);
  EXPECT_EQ(counted, 1);
}
#endif

}  // namespace
}  // namespace zel
