// The password hint: one string value kept on the computer (not in the
// enclosure), shown by the unlock and change-password dialogs. The key is
// opened, never created.
#pragma once
#include <string>

namespace zel {

inline constexpr wchar_t kHintKey[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Management\\Icon Hints";
inline constexpr wchar_t kHintValue[] = L"PwPrompt";
inline constexpr size_t kHintMaxChars = 24;

// The stored hint as the dialogs show it: empty when the key or the value
// cannot be read (or is longer than 24 characters); a text with a backslash
// after its first character is cut at the last such backslash, and then
// loses a leading double quote.
std::string ReadPasswordHint();
// Shapes a stored value for display (the rule above).
std::string DisplayedHint(std::string stored);
// Writes the hint into the existing key; false when the key is missing or
// the value cannot be written.
bool WritePasswordHint(const std::string& hint);
// Deletes the value after Erase; a missing key is no error.
void DeletePasswordHint();

}  // namespace zel
