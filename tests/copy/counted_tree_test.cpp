// The counting pass's entries come back to the copy pass exactly as they were
// read, whatever characters the names hold and however the tree is kept.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "copy/counted_tree.h"

namespace zel {
namespace {

void ExpectSame(const std::vector<CountedEntry>& want, const std::vector<CountedEntry>& got) {
  ASSERT_EQ(want.size(), got.size());
  for (size_t i = 0; i < want.size(); ++i) {
    EXPECT_EQ(want[i].name, got[i].name) << i;
    EXPECT_EQ(want[i].size, got[i].size) << i;
    EXPECT_EQ(want[i].lastWriteTime, got[i].lastWriteTime) << i;
    EXPECT_EQ(want[i].directory, got[i].directory) << i;
  }
}

// Plain, accented (one byte each) and wider names, in directories of their
// own and mixed, each handed out once, in the order read.
TEST(CountedTree, EntriesComeBackAsReadOnce) {
  const std::vector<CountedEntry> ascii = {
      {L"a.txt", 1, 10, false}, {L"sub", 0, 20, true}, {L"", 0, 0, false}, {L"big.bin", 1ULL << 40, ~0ULL, false}};
  const std::vector<CountedEntry> accented = {{L"caf\u00e9.txt", 5, 7, false}, {L"\u00ff\u00e0", 6, 8, true}};
  const std::vector<CountedEntry> mixed = {
      {L"plain", 1, 2, false}, {L"\u65e5\u672c.doc", 3, 4, false}, {L"\u0100x", 5, 6, true}, {L"z", 7, 8, false}};
  CountedTree tree;
  tree.Start(L"C:\\s", L"", 2, L"");
  tree.Add(L"C:\\s", ascii);
  tree.Add(L"C:\\s\\sub", accented);
  tree.Add(L"C:\\s\\mixed", mixed);
  tree.Add(L"C:\\s\\empty", {});
  EXPECT_TRUE(tree.Covers(L"C:\\s", L"", 2));
  EXPECT_FALSE(tree.Covers(L"C:\\s", L"", 3));

  std::vector<CountedEntry> got;
  ASSERT_TRUE(tree.Take(L"C:\\s\\mixed", got));
  ExpectSame(mixed, got);
  ASSERT_TRUE(tree.Take(L"C:\\s", got));
  ExpectSame(ascii, got);
  ASSERT_TRUE(tree.Take(L"C:\\s\\sub", got));
  ExpectSame(accented, got);
  ASSERT_TRUE(tree.Take(L"C:\\s\\empty", got));
  EXPECT_TRUE(got.empty());
  EXPECT_FALSE(tree.Take(L"C:\\s", got));
  EXPECT_FALSE(tree.Take(L"C:\\s\\other", got));
}

}  // namespace
}  // namespace zel
