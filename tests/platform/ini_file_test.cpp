// What the key listing of a section names, a lookup of that name must find.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/posix/ini_file.h"

namespace zel::posix {
namespace {

TEST(IniFile, ListedKeysAreTheOnesALookupFinds) {
  // "Task" first appears without a value, so it reads as missing and is not
  // listed, although a later line gives it one; comments are not listed.
  const IniFile ini = ParseIni(L"[Strings]\nTask\nOk=Yes\n;Note=x\nTask=Later\n  Blank =  \n");
  const IniSection* s = FindSection(ini, L"strings");
  ASSERT_NE(s, nullptr);
  const std::vector<std::wstring> names = ListedKeyNames(*s);
  EXPECT_EQ(names, (std::vector<std::wstring>{L"Ok", L"Blank"}));
  for (const std::wstring& name : names) {
    const IniKey* k = FindKey(*s, name);
    ASSERT_NE(k, nullptr) << name.size();
    EXPECT_TRUE(k->value.has_value());
  }
  const IniKey* task = FindKey(*s, L"TASK");
  ASSERT_NE(task, nullptr);
  EXPECT_FALSE(task->value.has_value());
}

}  // namespace
}  // namespace zel::posix
