// The path rules, the copy modes and the shortcut results of the setup
// libraries.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "setup/setup_files.h"
#include "setup/setup_paths.h"
#include "setup/setup_shortcuts.h"
#include "tests/setup/setup_fixture.h"

namespace zel::setup::test {
namespace {

TEST(SetupPaths, TargetPathMustBePlainNamesBelowProgramFiles) {
  for (const wchar_t* good : {L"Zel\\Corvex", L"Zel", L"Zel\\Corvex\\", L"Zel/Corvex", L"a..b\\c", L"Zel Tools\\x.y"}) {
    EXPECT_EQ(CheckTargetPath(good), kOk) << std::wstring(good).size();
  }
  for (const wchar_t* bad : {L"", L"\\", L"\\Zel", L"/Zel", L"C:\\Zel", L"C:Zel", L"..", L".", L"Zel\\..",
                             L"Zel\\..\\..\\Windows", L"Zel\\.\\x", L"Zel\\\\x", L"Zel\\ .", L"Zel\\...",
                             L"Zel\\x*", L"Zel\\x?", L"Zel\\a|b", L"Zel\\\"x\"", L"Zel\\a\tb"}) {
    EXPECT_EQ(CheckTargetPath(bad), kUnsafeTarget) << std::wstring(bad).size();
  }
}

TEST(SetupPaths, JoiningAndCutting) {
  std::wstring out = L"unchanged";
  EXPECT_EQ(JoinPath(L"C:\\Program Files\\", L"Zel", out), kOk);
  EXPECT_EQ(out, L"C:\\Program Files\\Zel");
  EXPECT_EQ(JoinPath(L"C:\\a", L"b", out), kOk);
  EXPECT_EQ(out, L"C:\\a\\b");
  // 259 characters fit with the terminator; 260 do not.
  EXPECT_EQ(JoinPath(L"C:", std::wstring(256, L'x'), out), kOk);
  EXPECT_EQ(out.size(), 259u);
  EXPECT_EQ(JoinPath(L"C:", std::wstring(257, L'x'), out), kPathTooLong);
  EXPECT_EQ(out.size(), 259u);

  EXPECT_EQ(ProgramFilesPath(L"D:\\Programs", L"C:\\WINDOWS"), L"D:\\Programs\\");
  EXPECT_EQ(ProgramFilesPath(L"", L"E:\\WINNT"), L"E:\\Program Files\\");

  EXPECT_EQ(DirectoryOfCommand(L"C:\\Program Files\\Zel\\Corvex\\Corvex.exe /a /f"), L"C:\\Program Files\\Zel\\Corvex");
  EXPECT_EQ(DirectoryOfCommand(L"\"C:\\Zel\\Corvex.exe\" /a /f"), L"C:\\Zel");
  EXPECT_EQ(DirectoryOfCommand(L"Corvex.exe /a"), L"");

  EXPECT_TRUE(IsSameOrBelow(L"c:\\program files\\zel\\", L"C:\\Program Files\\Zel"));
  EXPECT_TRUE(IsSameOrBelow(L"C:\\Program Files\\Zel\\Corvex\\x", L"C:/Program Files/Zel"));
  EXPECT_FALSE(IsSameOrBelow(L"C:\\Program Files\\Zelda", L"C:\\Program Files\\Zel"));
  EXPECT_FALSE(IsSameOrBelow(L"C:\\Program Files", L"C:\\Program Files\\Zel"));
}

class CopyTest : public SetupFixture {
 protected:
  SetupFiles setup{files, host};
};

TEST_F(CopyTest, NamesAndPatterns) {
  Put("src/a.txt", "a");
  Put("src/b.txt", "b");
  Put("src/c.dat", "c");
  Put("src/sub/d.txt", "d");
  Put("dst/a.txt", "old");
  chmod((c / "dst/a.txt").c_str(), 0444);

  // Names: a read-only target is replaced; a missing name is reported after
  // the others are copied.
  EXPECT_EQ(setup.Copy(L"C:", L"dst", L"C:\\src", {L"a.txt", L"missing.txt", L"c.dat"}, kCopyNames), kNothingMatched);
  EXPECT_EQ(Get("dst/a.txt"), "a");
  EXPECT_EQ(Get("dst/c.dat"), "c");
  EXPECT_EQ(setup.Copy(L"C:", L"dst", L"C:\\src", {}, kCopyNames), kNothingToCopy);

  EXPECT_EQ(setup.Copy(L"", L"C:\\p\\q", L"C:\\src", {L"*.txt"}, kCopyPatterns), kOk);
  EXPECT_TRUE(Has("p/q/a.txt") && Has("p/q/b.txt"));
  EXPECT_FALSE(Has("p/q/c.dat") || Has("p/q/sub"));
  EXPECT_EQ(setup.Copy(L"C:", L"p", L"C:\\src", {L"*.exe", L"*.dat"}, kCopyPatterns), kNothingMatched);
  EXPECT_TRUE(Has("p/c.dat"));
  EXPECT_EQ(setup.Copy(L"C:", L"p", L"C:\\src", {}, kCopyPatterns), kEmptyNameList);
}

TEST_F(CopyTest, FilesTreesAndBadCalls) {
  Put("src/a.txt", "a");
  Put("src/sub/deeper/d.txt", "d");
  EXPECT_EQ(setup.Copy(L"C:", L"flat", L"C:\\src", {}, kCopyFiles), kOk);
  EXPECT_TRUE(Has("flat/a.txt"));
  EXPECT_FALSE(Has("flat/sub"));
  EXPECT_EQ(setup.Copy(L"C:", L"x\\tree", L"C:\\src", {}, kCopyTree), kOk);
  EXPECT_EQ(Get("x/tree/sub/deeper/d.txt"), "d");

  EXPECT_EQ(setup.Copy(L"C:", L"y", L"C:\\src", {}, 3), kUnknownCopyMode);
  EXPECT_EQ(setup.Copy(L"C:", L"y", L"", {}, kCopyTree), kNothingToCopy);
  EXPECT_EQ(setup.Copy(L"C:", L"y", L"C:\\nothing", {}, kCopyTree), kNothingMatched);
  Put("file", "in the way");
  EXPECT_EQ(setup.Copy(L"C:", L"file\\z", L"C:\\src", {}, kCopyTree), kTargetDirFailed);
  EXPECT_EQ(setup.MakePath(L"C:", L"file\\z\\w"), kMakeDirFailed);
  EXPECT_EQ(setup.MakePath(L"", L"C:\\m\\n\\o"), kOk);
  EXPECT_TRUE(fs::is_directory(c / "m/n/o"));
  EXPECT_EQ(setup.RemoveTree(L"C:\\nothing"), kNoSuchDirectory);
  EXPECT_EQ(setup.RemoveTree(L"C:\\file"), kNoSuchDirectory);
  EXPECT_TRUE(Has("file"));
}

TEST(SetupShortcuts, EachFailingStepGivesItsResult) {
  using R = LinkRules;
  auto result = [](LinkOutcome o, R rules) { return LinkResult(o, rules, kOk); };
  EXPECT_EQ(result({.createObject = 1}, R::Uninstall), kNoLinkObject);
  EXPECT_EQ(result({.fileInterface = 1}, R::Uninstall), kNoLinkFile);
  EXPECT_EQ(result({.setWorkDir = 1}, R::Uninstall), kLinkSetFailed);
  EXPECT_EQ(result({.setArguments = 1}, R::Uninstall), kOk);
  EXPECT_EQ(result({.save = 1}, R::Uninstall), kLinkSaveFailed);

  EXPECT_EQ(result({.createObject = 7, .lastError = 5}, R::General), 5);
  // No system error kept: the step's own failure, never success.
  EXPECT_EQ(result({.createObject = int(0x80040154)}, R::General), Code(0x80040154));
  EXPECT_EQ(result({.setDescription = 1, .lastError = 8}, R::General), 8);
  EXPECT_EQ(result({.setTarget = 1, .lastError = 8}, R::General), kLinkSetFailed);
  EXPECT_EQ(result({.save = 1}, R::General), kLinkSaveFailed);
  EXPECT_EQ(LinkResult({}, R::General, kMakeDirFailed), kMakeDirFailed);
}

}  // namespace
}  // namespace zel::setup::test
