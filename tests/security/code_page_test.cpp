// Passwords and hints as code-page bytes: what goes to the bridge for a
// typed text must be the same from Windows and from Linux.
#include <gtest/gtest.h>

#include <string>

#include "security/code_page.h"

namespace zel {
namespace {

class CodePage : public ::testing::Test {
 protected:
  void SetUp() override { saved_ = SelectedCodePage(); }
  void TearDown() override { SelectCodePage(saved_); }
  static std::string Bytes(const std::wstring& text) {
    std::string bytes;
    EXPECT_TRUE(WideToCodePage(text, bytes)) << "no bytes for the text";
    return bytes;
  }

 private:
  unsigned saved_ = 0;
};

TEST_F(CodePage, WesternTextIsOneBytePerCharacterAndRoundTrips) {
  ASSERT_TRUE(SelectCodePage(1252));
  EXPECT_EQ(Bytes(L"p\u00e4ssw\u00f6rd"), "p\xe4ssw\xf6rd");
  EXPECT_EQ(Bytes(L"\u20ac"), "\x80");  // the euro sign has its own byte in 1252
  std::wstring back;
  ASSERT_TRUE(CodePageToWide("Gr\xfc\xdf" "e", back));
  EXPECT_EQ(back, L"Gr\u00fc\u00dfe");
}

TEST_F(CodePage, CharactersTheCodePageLacksAreRefusedNotReplaced) {
  ASSERT_TRUE(SelectCodePage(1252));
  std::string bytes;
  EXPECT_FALSE(WideToCodePage(L"pa\u5bc6", bytes));   // a Chinese character
  EXPECT_FALSE(WideToCodePage(L"\u0101", bytes));     // a with macron: no best-fit "a"
}

TEST_F(CodePage, TraditionalChineseTakesTwoBytesACharacter) {
  ASSERT_TRUE(SelectCodePage(950));
  EXPECT_EQ(Bytes(L"\u5bc6\u78bcab"), "\xb1\x4b\xbd\x58" "ab");
  std::wstring back;
  ASSERT_TRUE(CodePageToWide("\xb1\x4b" "a", back));
  EXPECT_EQ(back, L"\u5bc6a");
  EXPECT_FALSE(CodePageToWide("a\xb1", back)) << "a lead byte without its trail byte";
}

}  // namespace
}  // namespace zel
