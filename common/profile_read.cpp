#include "common/profile_read.h"

#include <memory>
#include <vector>

#include "common/hex_text.h"
#include "common/profile_chars.h"

namespace zel {
namespace {

// One read of `key` with the given default; true when the file's value (not
// the default) came back. `count` is what the system returned.
template <class Ch>
bool ReadWithDefault(ProfilePort& port, const std::basic_string<Ch>& file, const Ch* section,
                     const Ch* key, const std::basic_string<Ch>& def, std::basic_string<Ch>& text,
                     uint32_t& count) {
  // Only the characters the reader counts are looked at, so the buffer is
  // not cleared first.
  const std::unique_ptr<Ch[]> buf(new Ch[kProfileTextBuffer]);
  count = ProfileChars<Ch>::Get(port, file, section, key, def.c_str(), buf.get(),
                                kProfileTextBuffer);
  if (count >= kProfileTextBuffer) count = kProfileTextBuffer - 1;
  text.assign(buf.get(), count);
  return count != 0 && text != def;
}

}  // namespace

template <class Ch>
int ReadProfileString(const std::basic_string<Ch>& file, const Ch* section, const Ch* key,
                      std::basic_string<Ch>& text) {
  text.clear();
  ProfilePort* port = Ports().profile;
  if (port == nullptr || section == nullptr || key == nullptr) return kProfileMissing;
  uint32_t tick = Ports().system ? Ports().system->TickCount() : 0;

  // "Bad" and the tick count in eight hex digits.
  auto sentinel = [](uint32_t value) {
    std::basic_string<Ch> s = ProfileChars<Ch>::FromAscii("Bad");
    AppendHexNumber(s, value, 8);
    return s;
  };
  uint32_t count = 0;
  if (!ReadWithDefault(*port, file, section, key, sentinel(tick), text, count)) {
    // Empty, or equal to the default: a second, different default tells a
    // missing key from a value that merely looks like the first one.
    if (count == 0 || !ReadWithDefault(*port, file, section, key, sentinel(~tick), text, count)) {
      text.clear();
      return kProfileMissing;
    }
  }
  if (count == kProfileTextBuffer - 1) return kProfileTruncated;
  return kProfileFound;
}

template <class Ch>
std::vector<std::basic_string<Ch>> ReadSectionKeys(const std::basic_string<Ch>& file,
                                                   const Ch* section) {
  std::vector<std::basic_string<Ch>> keys;
  ProfilePort* port = Ports().profile;
  if (port == nullptr || section == nullptr) return keys;
  // The names end where the reader's count says, so the buffer is not
  // cleared first.
  const std::unique_ptr<Ch[]> buf(new Ch[kKeyListBuffer + 1]);
  uint32_t count =
      ProfileChars<Ch>::Get(*port, file, section, nullptr, nullptr, buf.get(), kKeyListBuffer);
  if (count > kKeyListBuffer) count = kKeyListBuffer;
  // Names are separated by terminators; an empty name ends the list.
  size_t start = 0;
  while (start < count && buf[start] != Ch(0)) {
    size_t end = start;
    while (end < count && buf[end] != Ch(0)) ++end;
    keys.emplace_back(buf.get() + start, end - start);
    start = end + 1;
  }
  return keys;
}

template int ReadProfileString<wchar_t>(const std::wstring&, const wchar_t*, const wchar_t*,
                                        std::wstring&);
template int ReadProfileString<char>(const std::string&, const char*, const char*, std::string&);
template std::vector<std::wstring> ReadSectionKeys<wchar_t>(const std::wstring&, const wchar_t*);
template std::vector<std::string> ReadSectionKeys<char>(const std::string&, const char*);

}  // namespace zel
