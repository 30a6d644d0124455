// UTF-8 to wide and back, and bytes kept as hex text: what each broken
// sequence turns into matters to every file name and text the tools read
// from UTF-8 files.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "common/hex_text.h"
#include "common/text.h"

namespace zel {
namespace {

TEST(Utf8Text, EachCharacterOfEveryLengthComesThrough) {
  const std::string utf8 = "A\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80z";  // A é 中 😀 z
  const std::wstring wide = Utf8ToWide(utf8);
  std::wstring expected = L"A\u00E9\u4E2D";
  if constexpr (sizeof(wchar_t) == 2) {
    expected += L"\xD83D\xDE00";
  } else {
    expected.push_back(static_cast<wchar_t>(0x1F600));
  }
  expected += L"z";
  EXPECT_EQ(wide, expected);
  EXPECT_EQ(WideToUtf8(wide), utf8);
  EXPECT_EQ(Utf8ToWide(""), L"");
}

// Long runs of ASCII around other characters and broken bytes, at every
// offset: each character comes through where it stood.
TEST(Utf8Text, CharactersAmidLongAsciiRunsComeThroughInPlace) {
  for (size_t at = 0; at < 20; ++at) {
    for (const auto& [inner, expected] : {std::pair<std::string, std::wstring>{"\xC3\xA9", L"\u00E9"},
                                          {"\xE4\xB8\xAD", L"\u4E2D"},
                                          {"\xFF", L"\uFFFD"}}) {
      const std::string head(at, 'h'), tail(19 - at, 't');
      const std::wstring wide = std::wstring(at, L'h') + expected + std::wstring(19 - at, L't');
      EXPECT_EQ(Utf8ToWide(head + inner + tail), wide) << at;
      // And back: a replacement character is written as its own three bytes.
      EXPECT_EQ(WideToUtf8(wide), head + (inner == "\xFF" ? "\xEF\xBF\xBD" : inner) + tail) << at;
    }
  }
}

// Text added after what a string holds already, ASCII or not.
TEST(Utf8Text, AppendingKeepsWhatWasThere) {
  std::string out = "head/";
  AppendUtf8(L"plain", out);
  EXPECT_EQ(out, "head/plain");
  AppendUtf8(L"/\u00E9\u4E2D", out);
  EXPECT_EQ(out, "head/plain/\xC3\xA9\xE4\xB8\xAD");
  AppendUtf8(L"", out);
  EXPECT_EQ(out, "head/plain/\xC3\xA9\xE4\xB8\xAD");
}

TEST(Utf8Text, BrokenSequencesBecomeReplacementCharacters) {
  // A byte that starts nothing, then text that goes on.
  EXPECT_EQ(Utf8ToWide("a\xFF" "b"), L"a\uFFFDb");
  EXPECT_EQ(Utf8ToWide("\x80x"), L"\uFFFDx");
  // A lead byte whose follower is not a continuation: one replacement, and
  // the follower is read as a character of its own.
  EXPECT_EQ(Utf8ToWide("\xC3(x"), L"\uFFFD(x");
  EXPECT_EQ(Utf8ToWide("\xE4\xB8(x"), L"\uFFFD\uFFFD(x");
  // A sequence cut by the end of the text: one replacement ends it.
  EXPECT_EQ(Utf8ToWide("ab\xE4\xB8"), L"ab\uFFFD");
  EXPECT_EQ(Utf8ToWide("\xF0\x9F"), L"\uFFFD");
}

}  // namespace
}  // namespace zel

namespace zel {
namespace {

// Hex text as the machine's files keep bytes: either case is read, and any
// other character anywhere, or a digit without its pair, refuses the whole.
TEST(HexText, DigitsOfEitherCaseAndNothingElse) {
  std::string bytes;
  ASSERT_TRUE(DecodeHexBytes("00ff7Fa0C3", bytes));
  EXPECT_EQ(bytes, std::string("\x00\xff\x7f\xa0\xc3", 5));
  ASSERT_TRUE(DecodeHexBytes("", bytes));
  EXPECT_TRUE(bytes.empty());
  EXPECT_FALSE(DecodeHexBytes("0ff", bytes));
  EXPECT_TRUE(bytes.empty());
  // The characters next to the digits' ranges, and bytes beyond ASCII.
  for (const char c : {'/', ':', '@', 'G', '`', 'g', ' ', '\0', '\x80', '\xff'}) {
    for (size_t at = 0; at < 4; ++at) {
      std::string text = "a1B2";
      text[at] = c;
      std::vector<uint8_t> out = {1, 2, 3};
      EXPECT_FALSE(DecodeHexBytes(text, out)) << at << " " << static_cast<int>(static_cast<unsigned char>(c));
      EXPECT_TRUE(out.empty());
    }
  }
}

// Numbers in hex as the state files and the profile lookups write them: as
// "%0*llX" gives them, in either text form, after what the text held.
TEST(HexText, NumbersAsTheFormattedOutputGivesThem) {
  for (const uint64_t value : {uint64_t{0}, uint64_t{1}, uint64_t{0xF}, uint64_t{0x10}, uint64_t{0x3FF},
                               uint64_t{0xABCDEF}, uint64_t{0xFFFFFFFF}, uint64_t{0x123456789ABCDEF0},
                               ~uint64_t{0}}) {
    for (const int digits : {0, 1, 2, 4, 8, 16, 20}) {
      char expected[40];
      std::snprintf(expected, sizeof expected, "0x%0*llX", digits, static_cast<unsigned long long>(value));
      std::string narrow = "0x";
      AppendHexNumber(narrow, value, digits);
      EXPECT_EQ(narrow, expected) << value << " " << digits;
      std::wstring wide = L"Bad";
      AppendHexNumber(wide, value, digits);
      EXPECT_EQ(wide, L"Bad" + Utf8ToWide(expected + 2));
    }
  }
}

}  // namespace
}  // namespace zel
