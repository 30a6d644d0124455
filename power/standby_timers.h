// The standby timer list: ten entries, each a text and the timer code the
// bridge understands. Entry 0 ("Never") switches the timer off. The codes
// are the bridge's own encoding, not a multiple of the minutes.
#pragma once
#include <cstdint>
#include <string>

namespace zel {

inline constexpr int kStandbyEntryCount = 10;

struct StandbyEntry {
  const char* key;   // language key "ApmList0" .. "ApmList9"
  const char* text;  // English default
  uint16_t code;
};

const StandbyEntry& StandbyEntryAt(int entry);  // 0..9
// The entry's text for the system language.
std::string StandbyEntryText(int entry);
// The entry 1..9 whose code is `code`; -1 when none is.
int FindStandbyEntry(uint16_t code);
// An entry named by its number ("3") or by its text, English or translated,
// without regard to case ("10 minutes later"); -1 when nothing matches.
int ParseStandbyEntry(const std::string& name);

}  // namespace zel
