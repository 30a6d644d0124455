// The POSIX system port: language and version from the environment, and the
// case folding that the profile and language rules rely on.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "common/text.h"
#include "platform/posix/posix_system.h"

namespace zel::posix {
namespace {

TEST(LocaleLanguage, LocaleNamesMapToLanguageIdentifiers) {
  struct {
    const char* locale;
    int id;  // -1: none
  } const cases[] = {
      {"zh_TW.UTF-8", 0x0404}, {"zh_TW", 0x0404},       {"zh_HK.Big5HKSCS", 0x0C04},
      {"zh_CN.UTF-8", 0x0804}, {"en_US.UTF-8", 0x0409}, {"en_GB", 0x0809},
      {"de_AT.UTF-8@euro", 0x0C07}, {"de_LU", 0x0407},  {"es_ES", 0x0C0A},
      {"ja", 0x0411},          {"C", -1},               {"POSIX", -1},
      {"C.UTF-8", -1},         {"", -1},                {"xx_YY", -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.locale);
    auto id = LanguageOfLocale(c.locale);
    EXPECT_EQ(id ? static_cast<int>(*id) : -1, c.id);
  }
}

TEST(LocaleLanguage, IdentifiersParseAsHexOrDecimal) {
  EXPECT_EQ(ParseLanguageId("0x0404"), uint16_t{0x0404});
  EXPECT_EQ(ParseLanguageId("1028"), uint16_t{0x0404});
  EXPECT_EQ(ParseLanguageId("0x10000"), std::nullopt);
  EXPECT_EQ(ParseLanguageId("-1"), std::nullopt);
  EXPECT_EQ(ParseLanguageId("zh_TW"), std::nullopt);
  EXPECT_EQ(ParseLanguageId(""), std::nullopt);
}

TEST(OsVersionText, MajorMinorAndBuild) {
  auto v = ParseOsVersion("4.10");
  ASSERT_TRUE(v);
  EXPECT_EQ(v->major, 4u);
  EXPECT_EQ(v->minor, 10u);
  v = ParseOsVersion("6.0.6002");
  ASSERT_TRUE(v);
  EXPECT_EQ(v->build, 6002u);
  EXPECT_FALSE(ParseOsVersion("5"));
  EXPECT_FALSE(ParseOsVersion("5."));
  EXPECT_FALSE(ParseOsVersion("5.1.2.3"));
  EXPECT_FALSE(ParseOsVersion("five.one"));
}

// Sets environment variables for one test and restores them afterwards.
class Environment : public ::testing::Test {
 protected:
  void Set(const char* name, const char* value) {
    if (!saved_.count(name)) {
      const char* old = std::getenv(name);
      saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
    }
    if (value) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~Environment() override {
    for (const auto& [name, value] : saved_) {
      if (value) {
        setenv(name.c_str(), value->c_str(), 1);
      } else {
        unsetenv(name.c_str());
      }
    }
  }
  std::map<std::string, std::optional<std::string>> saved_;
  PosixSystem system_;
};

TEST_F(Environment, LanguageComesFromZelLangidThenTheLocale) {
  Set("ZEL_LANGID", nullptr);
  Set("LC_ALL", nullptr);
  Set("LC_MESSAGES", nullptr);
  Set("LANG", nullptr);
  EXPECT_EQ(system_.DefaultLanguage(), 0x0409);
  Set("LANG", "zh_TW.UTF-8");
  EXPECT_EQ(system_.DefaultLanguage(), 0x0404);
  Set("LC_ALL", "ja_JP.UTF-8");
  EXPECT_EQ(system_.DefaultLanguage(), 0x0411);
  Set("LC_ALL", "C");
  EXPECT_EQ(system_.DefaultLanguage(), 0x0409);
  Set("ZEL_LANGID", "0x0C0A");
  EXPECT_EQ(system_.DefaultLanguage(), 0x0C0A);
  Set("ZEL_LANGID", "nonsense");
  EXPECT_EQ(system_.DefaultLanguage(), 0x0409);
}

TEST_F(Environment, VersionIsXpUnlessSetOtherwise) {
  Set("ZEL_OSVERSION", nullptr);
  EXPECT_EQ(system_.Version().major, 5u);
  EXPECT_EQ(system_.Version().minor, 1u);
  Set("ZEL_OSVERSION", "4.90");
  EXPECT_EQ(system_.Version().major, 4u);
  EXPECT_EQ(system_.Version().minor, 90u);
  Set("ZEL_OSVERSION", "bad");
  EXPECT_EQ(system_.Version().minor, 1u);
}

TEST(PosixSystemFacts, ModulePathIsThisProgram) {
  PosixSystem system;
  std::wstring path = system.ModulePath();
  EXPECT_NE(path.find(L"posix_platform_tests"), std::wstring::npos);
  EXPECT_FALSE(system.ComputerName().empty());
  EXPECT_EQ(system.ComputerName(), UpperWide(system.ComputerName()));
}

// The process keeps the "C" locale here (nothing calls setlocale), where
// towupper knows ASCII only; the folding must not depend on it.
TEST(CaseFolding, FoldsLettersBeyondAscii) {
  EXPECT_EQ(UpperWide(L"ärger écru σοφία жёлтый"), L"ÄRGER ÉCRU ΣΟΦΊΑ ЖЁЛТЫЙ");
  EXPECT_EQ(UpperWide(L"中文 all.file"), L"中文 ALL.FILE");
  EXPECT_TRUE(EqualsNoCaseWide(L"Ärger", L"äRGER"));
  EXPECT_TRUE(EqualsNoCaseAnsi("Ärger", "äRGER"));  // 8-bit text is UTF-8 here
  EXPECT_FALSE(EqualsNoCaseAnsi("Ärger", "Arger"));
}

// A comparison without regard to case answers as comparing the upper-cased
// texts would: for ASCII, letters beyond it, texts of other lengths, and an
// 8-bit letter whose upper case is shorter than itself.
TEST(CaseFolding, ComparingWithoutCaseAgreesWithUpperCasing) {
  const std::vector<std::wstring> wide = {L"", L"a", L"A", L"b", L"ab", L"AB", L"a[", L"A{", L"ä", L"Ä", L"ſ", L"s", L"S", L"中"};
  for (const std::wstring& a : wide) {
    for (const std::wstring& b : wide) {
      EXPECT_EQ(EqualsNoCaseWide(a, b), UpperWide(a) == UpperWide(b)) << WideToUtf8(a) << " " << WideToUtf8(b);
      const std::string a8 = WideToUtf8(a), b8 = WideToUtf8(b);
      EXPECT_EQ(EqualsNoCaseAnsi(a8, b8), UpperAnsi(a8) == UpperAnsi(b8)) << a8 << " " << b8;
    }
  }
  EXPECT_TRUE(EqualsNoCaseAnsi("ſ", "S"));  // two bytes against one
  EXPECT_FALSE(EqualsNoCaseWide(L"[", L"{"));  // not letters: they differ by the case bit only
}

}  // namespace
}  // namespace zel::posix
