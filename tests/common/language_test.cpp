// Resolving the system language in a language string file and looking texts
// up, in the wide and the 8-bit form, on the profile functions of the build
// (our reader natively, the system's under Wine).
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/language_file.h"
#include "common/profile_read.h"
#include "common/text.h"
#include "tests/support/fake_system.h"
#include "tests/support/test_files.h"

namespace zel {
namespace {

using Files = std::vector<std::pair<std::string, std::string>>;  // name, contents

// Files ending in ".lng16" are written as UTF-16LE (named without the "16").
struct LangCase {
  const char* what;
  Files files;  // the language string file is "lang.mlf"
  uint16_t language = 0x0409;
  const char* text = nullptr;  // the text of "Greeting"; null: not found
  uint32_t status = 0;
  bool fellBack = false;
};

const std::string kEnglish =
    "[MULTI_LANG]\r\n09=English\r\n[English]\r\nALL=EnStr\r\n[EnStr]\r\nGreeting=Hello\r\n";

std::string Spanish(const std::string& group) {
  return "[MULTI_LANG]\r\n09=English\r\n0A=Spanish\r\n[English]\r\nALL=EnStr\r\n[Spanish]\r\n" +
         group +
         "[EnStr]\r\nGreeting=Hello\r\n[Modern]\r\nGreeting=Hola moderno\r\n"
         "[Trad]\r\nGreeting=Hola\r\n[Todo]\r\nGreeting=Hola a todos\r\n";
}

std::string Text(size_t n) { return "[EnStr]\r\nGreeting=" + std::string(n, 'x') + "\r\n"; }

// A MULTI_LANG section whose key list is longer than the 16384-character
// buffer, with English listed before or after the cut.
std::string LongList(bool englishFirst) {
  std::string s = "[MULTI_LANG]\r\n";
  if (englishFirst) s += "09=English\r\n";
  for (int i = 0; i < 3000; ++i) s += "K" + std::to_string(10000 + i) + "=x\r\n";
  if (!englishFirst) s += "09=English\r\n";
  return s + "[English]\r\nALL=EnStr\r\n[EnStr]\r\nGreeting=Hello\r\n";
}

const std::string k2046(2046, 'x');

const std::vector<LangCase>& Cases() {
  static const std::vector<LangCase> cases = {
      {"section form", {{"lang.mlf", kEnglish}}, 0x0409, "Hello"},
      {"the full identifier's section is used", {{"lang.mlf", Spanish("OTHER=Trad\r\n0C0A=Modern\r\n")}},
       0x0C0A, "Hola moderno"},
      {"OTHER serves the other identifiers", {{"lang.mlf", Spanish("OTHER=Trad\r\n0C0A=Modern\r\n")}},
       0x040A, "Hola"},
      {"ALL wins wherever it stands", {{"lang.mlf", Spanish("0C0A=Modern\r\nOTHER=Trad\r\nALL=Todo\r\n")}},
       0x0C0A, "Hola a todos"},
      {"file form reads the further file beside the language file",
       {{"lang.mlf", "[MULTI_LANG]\r\n09=English\r\n[English]\r\n0409.FILE=Strings,english.lng\r\n"},
        {"english.lng", "[Strings]\r\nGreeting=Hello from a file\r\n"}},
       0x0409, "Hello from a file"},
      {"a group mixing ALL and .FILE keys is in file form",
       {{"lang.mlf",
         "[MULTI_LANG]\r\n09=English\r\n[English]\r\nALL=EnStr\r\n0409.FILE=Strings,english.lng\r\n"
         "[EnStr]\r\nGreeting=Hello inline\r\n"},
        {"english.lng", "[Strings]\r\nGreeting=Hello from a file\r\n"}},
       0x0409, "Hello from a file"},
      {"codes and keys ignore case",
       {{"lang.mlf", "[multi_lang]\r\n0a=spanish\r\n09=english\r\n[ENGLISH]\r\nall.file=Strings,english.lng\r\n"
                     "[SPANISH]\r\nall=ES\r\n[es]\r\nGreeting=Hola\r\n"},
        {"english.lng", "[strings]\r\ngreeting=Hello from a file\r\n"}},
       0x0409, "Hello from a file"},
      {"Chinese listed in file form with a UTF-16 file",
       {{"lang.mlf", "[MULTI_LANG]\r\n09=English\r\n04=Chinese\r\n[English]\r\nALL=EnStr\r\n"
                     "[Chinese]\r\n0404.FILE=Strings,chinese.lng\r\n[EnStr]\r\nGreeting=Hello\r\n"},
        {"chinese.lng16", "[Strings]\r\nGreeting=你好\r\n"}},
       0x0404, "你好"},
      {"an empty text counts as missing",
       {{"lang.mlf", "[MULTI_LANG]\r\n09=English\r\n[English]\r\nALL=EnStr\r\n[EnStr]\r\nGreeting=\r\n"}},
       0x0409, nullptr},
      {"system language not listed: English, found", {{"lang.mlf", kEnglish}}, 0x0411, "Hello",
       kLanguageNotListed, true},
      {"language file missing", {}, 0x0409, nullptr, kLanguageFileMissing},
      {"empty language file", {{"lang.mlf", ""}}, 0x0409, nullptr,
       kDefaultLanguageUnresolved | kLanguageNotListed, true},
      {"binary garbage", {{"lang.mlf", std::string("\x01\xFE[\x00\xC3=\x9F\n\r]\x1A\xFF", 12)}},
       0x0409, nullptr, kDefaultLanguageUnresolved | kLanguageNotListed, true},
      {"further file missing",
       {{"lang.mlf", "[MULTI_LANG]\r\n09=English\r\n[English]\r\n0409.FILE=Strings,nothere.lng\r\n"}},
       0x0409, nullptr},
      {"a file entry without comma names the file only",
       {{"lang.mlf", "[MULTI_LANG]\r\n09=English\r\n[English]\r\n0409.FILE=english.lng\r\n"},
        {"english.lng", "[Strings]\r\nGreeting=Hello from a file\r\n"}},
       0x0409, nullptr},
      {"default unresolvable, system language resolvable",
       {{"lang.mlf", "[MULTI_LANG]\r\n04=Chinese\r\n[Chinese]\r\nALL=Zh\r\n[Zh]\r\nGreeting=Ni hao\r\n"}},
       0x0404, "Ni hao", kDefaultLanguageUnresolved | kLanguageNotListed, false},
      {"group without an entry for the language",
       {{"lang.mlf", "[MULTI_LANG]\r\n09=English\r\n[English]\r\n0809=EnStr\r\n[EnStr]\r\nGreeting=Hello\r\n"}},
       0x0409, nullptr, kDefaultLanguageUnresolved | kNoEntryForLanguage, true},
      {"empty group name in MULTI_LANG",
       {{"lang.mlf", "[MULTI_LANG]\r\n09=\r\n[English]\r\nALL=EnStr\r\n[EnStr]\r\nGreeting=Hello\r\n"}},
       0x0409, nullptr, kDefaultLanguageUnresolved | kNoEntryForLanguage, true},
      {"a text of 2046 characters is found",
       {{"lang.mlf", "[MULTI_LANG]\r\n09=English\r\n[English]\r\nALL=EnStr\r\n" + Text(2046)}}, 0x0409,
       k2046.c_str()},
      {"a text of 2047 characters counts as cut",
       {{"lang.mlf", "[MULTI_LANG]\r\n09=English\r\n[English]\r\nALL=EnStr\r\n" + Text(2047)}}, 0x0409,
       nullptr},
      {"a text of 2048 characters is cut",
       {{"lang.mlf", "[MULTI_LANG]\r\n09=English\r\n[English]\r\nALL=EnStr\r\n" + Text(2048)}}, 0x0409,
       nullptr},
      {"MULTI_LANG longer than the key-list buffer, English before the cut",
       {{"lang.mlf", LongList(true)}}, 0x0409, "Hello"},
      {"MULTI_LANG longer than the key-list buffer, English after the cut",
       {{"lang.mlf", LongList(false)}}, 0x0409, nullptr,
       kDefaultLanguageUnresolved | kLanguageNotListed, true},
      {"a text equal to the missing-key marker is still found",
       {{"lang.mlf",
         "[MULTI_LANG]\r\n09=English\r\n[English]\r\nALL=EnStr\r\n[EnStr]\r\nGreeting=Bad12345678\r\n"}},
       0x0409, "Bad12345678"},
  };
  return cases;
}

std::basic_string<wchar_t> Path(const test::TempDir& d, wchar_t) { return d.Wide("lang.mlf"); }
std::basic_string<char> Path(const test::TempDir& d, char) { return d.Narrow("lang.mlf"); }
std::wstring In(const char* utf8, wchar_t) { return Utf8ToWide(utf8); }
std::string In(const char* utf8, char) { return WideToAnsi(Utf8ToWide(utf8)); }

class Languages : public ::testing::Test {
 protected:
  Languages() {
    ports_.emplace(test::BuildPlatformWith(system_));
  }

  template <class Ch>
  void Run(const LangCase& c) {
    SCOPED_TRACE(std::string(c.what) + (sizeof(Ch) == 1 ? " (8-bit form)" : " (wide form)"));
    test::TempDir dir;
    for (const auto& [name, contents] : c.files) {
      if (name.size() > 2 && name.substr(name.size() - 2) == "16") {
        dir.WriteUtf16(name.substr(0, name.size() - 2), contents);
      } else {
        dir.Write(name, contents);
      }
    }
    system_.language = c.language;
    auto lang = LanguageFile<Ch>::Open(Path(dir, Ch()));
    std::basic_string<Ch> text;
    EXPECT_EQ(lang.Lookup(In("Greeting", Ch()).c_str(), text), c.text != nullptr);
    if (c.text) {
      EXPECT_TRUE(text == In(c.text, Ch()));
    }
    EXPECT_EQ(lang.status, c.status);
    EXPECT_EQ(lang.fellBack, c.fellBack);
  }

  test::FakeSystem system_;
  std::optional<ScopedPorts> ports_;
};

TEST_F(Languages, WideForm) {
  for (const LangCase& c : Cases()) Run<wchar_t>(c);
}

TEST_F(Languages, EightBitForm) {
  for (const LangCase& c : Cases()) Run<char>(c);
}

TEST_F(Languages, FileFormEntryNamesSectionAndFileBesideTheLanguageFile) {
  test::TempDir dir;
  dir.Write("lang.mlf", "[MULTI_LANG]\r\n09=English\r\n[English]\r\n0409.FILE=Strings,english.lng\r\n");
  auto lang = LanguageFile<wchar_t>::Open(dir.Wide("lang.mlf"));
  EXPECT_EQ(lang.directory, dir.WideDir());
  EXPECT_EQ(lang.systemEntry.form, LanguageForm::kFile);
  EXPECT_EQ(lang.systemEntry.group, L"English");
  EXPECT_EQ(lang.systemEntry.section, L"Strings");
  EXPECT_EQ(lang.systemEntry.file, dir.Wide("english.lng"));
}

TEST_F(Languages, SystemLanguageFallsBackToTheDefaultLanguagesEntry) {
  test::TempDir dir;
  dir.Write("lang.mlf", kEnglish);
  system_.language = 0x0407;
  auto lang = LanguageFile<char>::Open(dir.Narrow("lang.mlf"));
  EXPECT_TRUE(lang.fellBack);
  EXPECT_EQ(lang.systemLanguage, 0x0409);
  EXPECT_EQ(lang.systemEntry.section, "EnStr");
}

}  // namespace
}  // namespace zel
