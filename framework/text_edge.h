// The edge between the 8-bit programs and the wide window layer. Tessary and
// Dormel keep their texts in the system code page (as their language files
// and profile reads give them); the framework's windows are wide, so their
// texts are converted here on the way in and out, and nowhere else.
#pragma once
#include <string>

#include "common/text.h"

namespace zel::fw {

inline std::wstring WideForWindow(const std::string& text) { return AnsiToWide(text); }
inline std::string NarrowFromWindow(const std::wstring& text) { return WideToAnsi(text); }

}  // namespace zel::fw
