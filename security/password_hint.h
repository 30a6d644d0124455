// The password hint: one string value kept on the computer (not in the
// enclosure), shown by the unlock and change-password dialogs. The key is
// opened, never created. The hint is the 8-bit text of the code page
// (security/code_page.h), at most 24 bytes; the registry holds its
// characters, so both systems read back what either wrote.
#pragma once
#include <string>

namespace zel {

inline constexpr wchar_t kHintKey[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Management\\Icon Hints";
inline constexpr wchar_t kHintValue[] = L"PwPrompt";
inline constexpr size_t kHintMaxBytes = 24;

inline bool HintFits(const std::string& hint) { return hint.size() <= kHintMaxBytes; }

// The stored hint as the dialogs show it: empty when the key or the value
// cannot be read, or when the value does not fit 24 bytes of the code page;
// a text with a backslash after its first character is cut at the last such
// backslash, and then loses a leading double quote.
std::string ReadPasswordHint();
// Shapes a stored value for display (the rule above).
std::string DisplayedHint(std::string stored);
// Writes the hint into the existing key; false when the key is missing, the
// hint does not fit or is no text of the code page, or the value cannot be
// written.
bool WritePasswordHint(const std::string& hint);
// True when the hint's key is there (a kept hint needs no writing).
bool HintStoreExists();
// Deletes the value after Erase; a missing key is no error.
void DeletePasswordHint();

}  // namespace zel
