#include "copy/task_paths.h"

#include <gtest/gtest.h>

#include "common/text.h"

namespace zel {
namespace {

using P = TaskPathProblem;

TEST(TaskPaths, LengthIsCountedInUtf16Units) {
  const std::wstring longest = L"C:\\" + std::wstring(256, L'p');
  EXPECT_EQ(CheckTaskPaths(longest, L"E:\\x"), P::kNone);
  EXPECT_EQ(CheckTaskPaths(longest + L"q", L"E:\\x"), P::kSourceTooLong);
  EXPECT_EQ(CheckTaskPaths(L"E:\\x", longest + L"q"), P::kDestinationTooLong);
  // 259 characters, one of them outside the basic plane: 260 units.
  const std::wstring astral = L"C:\\" + std::wstring(255, L'p') + Utf16ToWide(u"\U0001F600");
  EXPECT_EQ(CheckTaskPaths(L"E:\\x", astral), P::kDestinationTooLong);
  EXPECT_NE(TaskPathProblemText(P::kSourceTooLong).find(L"259"), std::wstring::npos);
}

TEST(TaskPaths, EmptyPathsAreRefused) {
  EXPECT_EQ(CheckTaskPaths(L"", L"E:\\x"), P::kSourceEmpty);
  EXPECT_EQ(CheckTaskPaths(L"C:\\x", L""), P::kDestinationEmpty);
}

TEST(TaskPaths, CanonicalFormFoldsSeparatorsDotsAndTheDriveLetter) {
  EXPECT_EQ(CanonicalTaskPath(L"e:/Data//Sub/./x\\..\\"), L"E:\\Data\\Sub");
  EXPECT_EQ(CanonicalTaskPath(L"E:"), L"E:");
  EXPECT_EQ(CanonicalTaskPath(L"e:\\"), L"E:\\");
  EXPECT_EQ(CanonicalTaskPath(L"E:\\..\\a"), L"E:\\a");
}

TEST(TaskPaths, OneInsideTheOtherIsRefusedEitherWay) {
  struct Case {
    const wchar_t* source;
    const wchar_t* destination;
    P problem;
  } cases[] = {
      {L"E:\\Data", L"E:\\Data\\Backup", P::kDestinationInsideSource},
      {L"e:\\data\\", L"E:/DATA/Backup/Deep", P::kDestinationInsideSource},
      {L"E:\\Data", L"e:\\Data\\.\\Sub\\..\\Backup", P::kDestinationInsideSource},
      {L"E:\\Data", L"E:\\data", P::kDestinationInsideSource},
      {L"E:", L"E:\\Backup", P::kDestinationInsideSource},
      {L"E:\\", L"e:\\Backup", P::kDestinationInsideSource},
      {L"E:\\Data\\Backup", L"E:\\Data", P::kSourceInsideDestination},
      {L"E:\\Photos", L"E:", P::kSourceInsideDestination},
      // Neighbours and other drives are fine.
      {L"E:\\Data", L"E:\\Data2", P::kNone},
      {L"E:\\Data2", L"E:\\Data", P::kNone},
      {L"E:\\Data", L"F:\\Data\\Backup", P::kNone},
      {L"E:\\Data\\..\\Other", L"E:\\Data\\Backup", P::kNone},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CheckTaskPaths(c.source, c.destination), c.problem) << c.source << L" -> " << c.destination;
  }
}

}  // namespace
}  // namespace zel
