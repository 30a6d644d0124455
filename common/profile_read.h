// Reading a text and the key names of a section with the system's profile
// functions (through the profile port), telling a missing key from a present
// one and a complete text from a cut one.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace zel {

// Results of ReadProfileString.
inline constexpr int kProfileFound = 0;
inline constexpr int kProfileTruncated = 2;  // 2047 characters or more: cut
inline constexpr int kProfileMissing = 8;    // no such key, or an empty value

// A text is read into a buffer of this many characters, so the longest
// complete text has 2046 characters.
inline constexpr uint32_t kProfileTextBuffer = 2048;
// The key-list buffer: this many characters, plus a terminator of our own.
inline constexpr uint32_t kKeyListBuffer = 16384;

// Reads `key` of `section` in `file` into `text` and returns one of the
// results above. A missing key is told from a present one by a default that
// no text in the file carries: "Bad%08X" of the system tick count, confirmed
// with a second such default when a value happens to equal the first. With a
// missing or empty key `text` is empty; a cut text is left as it was read.
template <class Ch>
int ReadProfileString(const std::basic_string<Ch>& file, const Ch* section, const Ch* key,
                      std::basic_string<Ch>& text);

// The key names of `section` in file order, as the key-list form of the
// profile functions gives them in a buffer of kKeyListBuffer characters: a
// list too long for it ends with the name the system cut off.
template <class Ch>
std::vector<std::basic_string<Ch>> ReadSectionKeys(const std::basic_string<Ch>& file,
                                                   const Ch* section);

}  // namespace zel
