// The "text" sub-command of corvex, tessary and dormel: looks keys up in the
// program's language file for the system language, the way the program's
// messages do (the wide form for corvex, the 8-bit form for the others).
#pragma once
#include <string>
#include <vector>

namespace zel::cli {

enum class TextForm { kWide, kEightBit };

// Prints which texts serve the system language, then one line per key:
// "KEY found: TEXT" or "KEY missing". 0 when every key was found, 1 when
// some were missing, 2 without keys.
int PrintLanguageTexts(const char* tool, TextForm form, const std::vector<std::string>& keys);

}  // namespace zel::cli
