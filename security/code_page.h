// The 8-bit text of the security tool: a password block and the stored hint
// hold what the user typed as one or two bytes a character in a code page.
// The Windows program uses the system's ANSI code page; the Linux tool uses
// code page 1252 (Western) unless another is chosen, so that the same typed
// password opens the disk from either system.
#pragma once
#include <string>

namespace zel {

inline constexpr unsigned kDefaultLinuxCodePage = 1252;

// Chooses the code page of later conversions; false (nothing changed) when
// the system cannot convert to and from it.
bool SelectCodePage(unsigned codePage);
// The code page in use: 0 for the system's ANSI code page (Windows' default).
unsigned SelectedCodePage();

// The code page's bytes for a text; false when a character has no form in
// the code page (nothing is replaced by a look-alike).
bool WideToCodePage(const std::wstring& text, std::string& bytes);
// The characters that code-page bytes stand for; false for bytes that are
// not text in the code page (a lone lead byte, an unassigned byte).
bool CodePageToWide(const std::string& bytes, std::wstring& text);

}  // namespace zel
