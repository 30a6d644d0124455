// Command identifiers the framework gives a meaning of its own, numbered as
// the resource scripts of the programs use them.
#pragma once

namespace zel::fw {

inline constexpr unsigned kIdAppAbout = 0xE140;  // 57664: show the about box (dialog 100)
inline constexpr unsigned kIdAppExit = 0xE141;   // 57665: close the main frame
inline constexpr unsigned kIdHelp = 0xE146;      // 57670: open the help file

}  // namespace zel::fw
