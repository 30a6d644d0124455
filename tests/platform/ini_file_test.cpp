// What the key listing of a section names, a lookup of that name must find.
#include <gtest/gtest.h>

#include <optional>
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

// Every way a line is cut: blanks (a '\r' and the end-of-file mark among
// them), text after a NUL, a '[' without ']', names and values around the
// first '=', and a last line without its '\n'.
TEST(IniFile, LinesAreCutIntoSectionsNamesAndValues) {
  using namespace std::string_literals;
  const std::wstring text = L"k0=above\n"
                            L"  [ Main ] trailing\r\n"
                            L" Key One = Value = Two \r\n"
                            L"Bare\n"
                            L"=NoName\n"
                            L"[Half\n"
                            L"Nul\0Cut = v\0w\n"s
                            L"\x1A\t\n"
                            L"[Empty]\n"
                            L"[Sec\0ond]\n"s
                            L"Last=end";
  const IniFile ini = ParseIni(text);
  ASSERT_EQ(ini.sections.size(), 3u);
  EXPECT_EQ(ini.sections[0].name, L"Main");
  EXPECT_EQ(ini.sections[1].name, L"Empty");
  EXPECT_TRUE(ini.sections[1].keys.empty());
  EXPECT_EQ(ini.sections[2].name, L"Sec");
  struct Want {
    std::wstring name;
    std::optional<std::wstring> value;
  };
  const std::vector<Want> main = {
      {L"Key One", L"Value = Two"}, {L"Bare", std::nullopt}, {L"", L"NoName"}, {L"[Half", std::nullopt}, {L"Nul", L"v"}};
  ASSERT_EQ(ini.sections[0].keys.size(), main.size());
  for (size_t i = 0; i < main.size(); ++i) {
    EXPECT_EQ(ini.sections[0].keys[i].name, main[i].name) << i;
    EXPECT_EQ(ini.sections[0].keys[i].value, main[i].value) << i;
  }
  ASSERT_EQ(ini.sections[2].keys.size(), 1u);
  EXPECT_EQ(ini.sections[2].keys[0].name, L"Last");
  EXPECT_EQ(ini.sections[2].keys[0].value, std::optional<std::wstring>(L"end"));
}

}  // namespace
}  // namespace zel::posix
