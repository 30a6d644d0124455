// The rules of the system's profile functions as one table of cases: file
// contents, a call, the result. Natively the table runs against our own
// reader (platform/posix); in the Windows build under Wine it runs against
// the system's functions. Each case holds the Windows rule; where Wine is
// known to answer otherwise, the case says so and the Wine run checks Wine's
// answer instead, so that both readers stay pinned.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "common/text.h"
#include "tests/support/test_files.h"

namespace zel {
namespace {

using namespace std::string_view_literals;

enum class File { kNone, kBytes, kUtf16 };  // kBytes: as written; kUtf16: UTF-16LE with BOM
enum class Call { kString, kKeys, kInt };

enum Forms { kWide = 1, kEightBit = 2, kBoth = 3 };

struct WineAnswer {
  const char* why = nullptr;  // null: Wine follows the system rule
  std::string_view text = {};
  bool unendedList = false;  // a cut key list lacks its second terminator
};

struct Case {
  const char* what;
  File file = File::kBytes;
  std::string content = {};  // raw bytes, or UTF-8 text for kUtf16
  Call call = Call::kString;
  const char* section = "Main";
  const char* key = "Name";
  const char* def = "dflt";
  uint32_t size = 64;
  // Expected: the units the call returns (the count is their number; key
  // lists hold each name's terminator), or for kInt the value.
  std::string_view text = {};
  int32_t value = 0;
  bool untouched = false;  // the buffer must not be written
  int forms = kBoth;       // the forms the case runs in
  WineAnswer wine = {};
};

const std::string kMain = "[Main]\r\nName=Value\r\n";
const std::string kKeys = "[S]\r\nname1=a\r\nname2=\r\nname3\r\n;c=1\r\nname4=b\r\n[T]\r\nx=1\r\n";

std::string Garbage() {
  std::string bytes;
  uint32_t x = 12345;
  for (int i = 0; i < 600; ++i) {
    x = x * 1103515245u + 12345u;
    bytes.push_back(static_cast<char>(x >> 16));
  }
  return bytes;
}

std::string Utf16Be(const std::string& utf8) {
  std::string bytes = "\xFE\xFF";
  for (char16_t u : WideToUtf16(Utf8ToWide(utf8))) {
    bytes.push_back(static_cast<char>(u >> 8));
    bytes.push_back(static_cast<char>(u & 0xFF));
  }
  return bytes;
}

// clang-format off
const std::vector<Case>& Cases() {
  static const std::vector<Case> cases = {
    {.what = "value of a key", .content = kMain, .text = "Value"},
    {.what = "section and key names ignore case", .content = kMain, .section = "mAIN", .key = "nAME",
     .text = "Value"},
    {.what = "blanks inside the brackets of a header", .content = "[ Main ]\r\nName=Value\r\n",
     .text = "Value"},
    {.what = "first of two equal keys wins", .content = "[Main]\r\nname=one\r\nNAME=two\r\n",
     .text = "one"},
    {.what = "blanks around name and value dropped, inner blanks kept",
     .content = "[Main]\r\n  Name  =  two  words \t\r\n", .text = "two  words"},
    {.what = "double quotes dropped, the blank inside kept", .content = "[Main]\r\nName=\"quoted \"\r\n",
     .text = "quoted "},
    {.what = "single quotes dropped", .content = "[Main]\r\nName='single'\r\n", .text = "single"},
    {.what = "an unmatched quote stays", .content = "[Main]\r\nName=\"open\r\n", .text = "\"open"},
    {.what = "quotes inside the value stay", .content = "[Main]\r\nName=a\"b\"\r\n", .text = "a\"b\""},
    {.what = "an empty value is an empty text, not the default", .content = "[Main]\r\nName=\r\n",
     .text = ""},
    {.what = "missing key gives the default", .content = kMain, .key = "Other", .text = "dflt"},
    {.what = "missing section gives the default", .content = kMain, .section = "Other", .text = "dflt"},
    {.what = "missing file gives the default", .file = File::kNone, .text = "dflt"},
    {.what = "an empty file gives the default", .content = "", .text = "dflt"},
    {.what = "the default loses trailing blanks", .content = kMain, .key = "Other", .def = "dflt  ",
     .text = "dflt"},
    {.what = "no default gives an empty text", .content = kMain, .key = "Other", .def = nullptr,
     .text = ""},
    {.what = "an empty key name gives the default", .content = kMain, .key = "", .text = "dflt"},
    {.what = "a comment line is no key", .content = "[Main]\r\n;Name=hidden\r\nName=shown\r\n",
     .text = "shown"},
    {.what = "LF line ends", .content = "[Main]\nOther=1\nName=Value\n", .text = "Value"},
    {.what = "a line without '=' is not found", .content = "[Main]\r\nName\r\n", .text = "dflt"},
    {.what = "a long value is cut to size - 1", .content = "[Main]\r\nName=abcdef\r\n", .size = 4,
     .text = "abc"},
    {.what = "a value that fits exactly", .content = "[Main]\r\nName=abcdef\r\n", .size = 7,
     .text = "abcdef"},
    {.what = "size 1 holds only the terminator", .content = kMain, .size = 1, .text = ""},
    {.what = "size 0 leaves the buffer alone", .content = kMain, .size = 0, .untouched = true},
    {.what = "key list: names with '=', without comments", .content = kKeys, .call = Call::kKeys,
     .section = "S", .def = nullptr, .text = "name1\0name2\0name4\0"sv},
    {.what = "key list too long: last name cut, size - 2 returned", .content = kKeys,
     .call = Call::kKeys, .section = "S", .def = nullptr, .size = 16, .text = "name1\0name2\0na"sv,
     .forms = kWide},
    {.what = "key list too long: last name cut, size - 2 returned", .content = kKeys,
     .call = Call::kKeys, .section = "S", .def = nullptr, .size = 16, .text = "name1\0name2\0na"sv,
     .forms = kEightBit,
     .wine = {"Wine's 8-bit form ends a cut list with one terminator", "name1\0name2\0na"sv, true}},
    {.what = "key list of a missing section", .content = kKeys, .call = Call::kKeys,
     .section = "Other", .def = nullptr, .text = ""},
    {.what = "UTF-16LE file with BOM", .file = File::kUtf16,
     .content = "[Main]\r\nName=Grüße 中文\r\n", .text = "Grüße 中文"},
    {.what = "UTF-16LE file: case ignored beyond ASCII", .file = File::kUtf16,
     .content = "[Ärger]\r\nÖl=ja\r\n", .section = "äRGER", .key = "öL", .text = "ja",
     .wine = {"Wine ignores the case of ASCII letters only; Windows folds every letter", "dflt"}},
    {.what = "UTF-16LE file: key list", .file = File::kUtf16, .content = kKeys, .call = Call::kKeys,
     .section = "s", .def = nullptr, .text = "name1\0name2\0name4\0"sv},
    {.what = "a UTF-8 byte-order mark before the first header hides that section",
     .content = "\xEF\xBB\xBF[Main]\r\nName=Value\r\n", .text = "dflt",
     .wine = {"Wine reads UTF-8 files with a mark; Windows reads them as 8-bit text", "Value"}},
    {.what = "a UTF-8 byte-order mark on a line of its own does no harm",
     .content = "\xEF\xBB\xBF\r\n[Main]\r\nName=Value\r\n", .text = "Value"},
    {.what = "a UTF-16BE file is not read as Unicode", .content = Utf16Be(kMain),
     .text = "dflt",
     .wine = {"Wine reads UTF-16BE files with a mark; Windows does not", "Value"}},
    {.what = "binary garbage gives the default", .content = Garbage(), .text = "dflt"},

    {.what = "integer", .content = "[Main]\r\nName=5\r\n", .call = Call::kInt, .value = 5},
    {.what = "negative integer", .content = "[Main]\r\nName=-3\r\n", .call = Call::kInt, .value = -3},
    {.what = "integer with plus sign", .content = "[Main]\r\nName=+7\r\n", .call = Call::kInt, .value = 7},
    {.what = "integer: leading digits only", .content = "[Main]\r\nName=12abc\r\n", .call = Call::kInt, .value = 12},
    {.what = "integer: not a number gives 0", .content = "[Main]\r\nName=abc\r\n", .call = Call::kInt, .value = 0},
    {.what = "integer: an empty value gives the default", .content = "[Main]\r\nName=\r\n", .call = Call::kInt, .value = 9},
    {.what = "integer: missing key gives the default", .content = kMain, .call = Call::kInt, .key = "Other", .value = 9},
    {.what = "integer: missing file gives the default", .file = File::kNone, .call = Call::kInt, .value = 9},
    {.what = "integer: wraps modulo 2^32", .content = "[Main]\r\nName=4294967297\r\n", .call = Call::kInt, .value = 1},
    {.what = "integer: huge value wraps", .content = "[Main]\r\nName=99999999999\r\n", .call = Call::kInt,
     .value = 1215752191},
    {.what = "integer: huge negative value wraps", .content = "[Main]\r\nName=-4294967297\r\n",
     .call = Call::kInt, .value = -1},
    {.what = "integer: quotes and blanks around it", .content = "[Main]\r\nName= \"17\" \r\n",
     .call = Call::kInt, .value = 17},
  };
  return cases;
}
// clang-format on

constexpr int32_t kIntDefault = 9;
constexpr char kUntouched = 0x0C;

template <class Ch>
std::basic_string<Ch> In(std::string_view utf8);
template <>
std::wstring In<wchar_t>(std::string_view utf8) { return Utf8ToWide(std::string(utf8)); }
template <>
std::string In<char>(std::string_view utf8) { return WideToAnsi(Utf8ToWide(std::string(utf8))); }

// The units expected in the form: each '\0'-separated piece converted.
template <class Ch>
std::basic_string<Ch> Expected(std::string_view joined) {
  std::basic_string<Ch> out;
  size_t start = 0;
  for (;;) {
    size_t end = std::min(joined.find('\0', start), joined.size());
    out += In<Ch>(joined.substr(start, end - start));
    if (end == joined.size()) return out;
    out.push_back(Ch(0));
    start = end + 1;
  }
}

// Readable form of a result, terminators shown as \0.
std::string Show(const std::wstring& units) {
  std::string out;
  for (wchar_t c : units) out += c == 0 ? std::string("\\0") : WideToUtf8(std::wstring(1, c));
  return out;
}
std::string Show(const std::string& units) { return Show(AnsiToWide(units)); }

template <class Ch>
struct Form;
template <>
struct Form<wchar_t> {
  static const char* Name() { return "wide"; }
  static std::wstring Path(const test::TempDir& d) { return d.Wide("case.ini"); }
  static uint32_t Get(const std::wstring& f, const wchar_t* s, const wchar_t* k, const wchar_t* def,
                      wchar_t* buf, uint32_t size) {
    return Ports().profile->GetStringW(f, s, k, def, buf, size);
  }
  static int32_t GetInt(const std::wstring& f, const wchar_t* s, const wchar_t* k, int32_t def) {
    return Ports().profile->GetIntW(f, s, k, def);
  }
};
template <>
struct Form<char> {
  static const char* Name() { return "8-bit"; }
  static std::string Path(const test::TempDir& d) { return d.Narrow("case.ini"); }
  static uint32_t Get(const std::string& f, const char* s, const char* k, const char* def, char* buf,
                      uint32_t size) {
    return Ports().profile->GetStringA(f, s, k, def, buf, size);
  }
  static int32_t GetInt(const std::string& f, const char* s, const char* k, int32_t def) {
    return Ports().profile->GetIntA(f, s, k, def);
  }
};

template <class Ch>
void RunCase(const Case& c) {
  SCOPED_TRACE(std::string(c.what) + " (" + Form<Ch>::Name() + " form)");
  // A directory of its own per case: a profile cache can never serve an
  // earlier case's file.
  test::TempDir dir;
  if (c.file == File::kBytes) dir.Write("case.ini", c.content);
  if (c.file == File::kUtf16) dir.WriteUtf16("case.ini", c.content);
  const auto path = Form<Ch>::Path(dir);
  const auto section = In<Ch>(c.section), key = In<Ch>(c.key);
  const auto def = c.def ? In<Ch>(c.def) : std::basic_string<Ch>();

  if (c.call == Call::kInt) {
    EXPECT_EQ(Form<Ch>::GetInt(path, section.c_str(), key.c_str(), kIntDefault), c.value);
    return;
  }
  const bool wineDiffers = test::UnderWine() && c.wine.why;
  SCOPED_TRACE(wineDiffers ? std::string("Wine differs: ") + c.wine.why : "the system rule");
  const std::string_view text = wineDiffers ? c.wine.text : c.text;
  const bool listEnded = !(wineDiffers && c.wine.unendedList);
  const std::basic_string<Ch> want = c.untouched ? std::basic_string<Ch>() : Expected<Ch>(text);

  std::vector<Ch> buf(256, Ch(kUntouched));
  uint32_t n = Form<Ch>::Get(path, section.c_str(), c.call == Call::kKeys ? nullptr : key.c_str(),
                             c.def ? def.c_str() : nullptr, buf.data(), c.size);
  EXPECT_EQ(n, want.size());
  if (c.untouched) {
    EXPECT_EQ(buf[0], Ch(kUntouched)) << "the buffer was written";
    return;
  }
  if (n >= buf.size()) return;
  const std::basic_string<Ch> got(buf.data(), n);
  EXPECT_TRUE(got == want) << "got \"" << Show(got) << "\", want \"" << Show(want) << "\"";
  EXPECT_EQ(buf[n], Ch(0)) << "no terminator after the text";
  // A cut list ends with two terminators of its own.
  if (c.call == Call::kKeys && listEnded && !want.empty() && want.back() != Ch(0)) {
    EXPECT_EQ(buf[n + 1], Ch(0)) << "the cut list has no final terminator";
  }
}

class ProfileRules : public ::testing::Test {
 protected:
  ScopedPorts ports_{test::BuildPlatform()};
};

TEST_F(ProfileRules, WideForm) {
  for (const Case& c : Cases()) {
    if (c.forms & kWide) RunCase<wchar_t>(c);
  }
}

TEST_F(ProfileRules, EightBitForm) {
  for (const Case& c : Cases()) {
    if (c.forms & kEightBit) RunCase<char>(c);
  }
}

}  // namespace
}  // namespace zel
