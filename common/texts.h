// Texts shown to the user, looked up by key in the program's language file
// (ProcessPaths().languageFile) afresh for every message. The English
// default always comes from the call site.
#pragma once
#include <string>

namespace zel {

// The text of `key`, or `def` when the key is not found.
std::wstring TextW(const wchar_t* key, const wchar_t* def);
std::string TextA(const char* key, const char* def);

// True with the text when the key is found.
bool FindTextW(const wchar_t* key, std::wstring& out);
bool FindTextA(const char* key, std::string& out);

// A text that is a prefix of a fixed tail: the found text followed by `tail`,
// or the whole-sentence default when the key is missing.
std::wstring TextWithTailW(const wchar_t* key, const wchar_t* tail, const wchar_t* def);
std::string TextWithTailA(const char* key, const char* tail, const char* def);

}  // namespace zel
