// Message boxes of the copy utility: the caption by key with its default,
// the text composed by the caller from its own keys, shown through the
// process's prompter.
#pragma once
#include <cstdint>
#include <string>

#include "ports/prompter.h"

namespace zel {

// Caption keys with their defaults at the call sites.
inline constexpr const wchar_t* kCaptionError = L"MsgCaption01";
inline constexpr const wchar_t* kCaptionPrompt = L"MsgCaption02";
inline constexpr const wchar_t* kCaptionInformation = L"MsgCaption03";

// The answer of the box (kIdOk, kIdYes, kIdNo, ...), or 0 when the process
// has no prompter (as when the system cannot show a box).
int ShowMessage(uintptr_t owner, const std::wstring& text, const wchar_t* captionKey,
                const wchar_t* captionDefault, uint32_t style);

// `text` with its first "%d" replaced by `n`. Language texts are never used as
// printf formats, so a translated text with other % sequences is shown as is.
std::wstring ReplaceNumber(const std::wstring& text, long long n);

}  // namespace zel
