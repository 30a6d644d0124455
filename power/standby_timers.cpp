#include "power/standby_timers.h"

#include <array>
#include <cctype>

#include "common/texts.h"

namespace zel {
namespace {

constexpr std::array<StandbyEntry, kStandbyEntryCount> kEntries = {{
    {"ApmList0", "Never", 0x0000},
    {"ApmList1", "3 minutes later", 0x0B40},
    {"ApmList2", "5 minutes later", 0x1200},
    {"ApmList3", "10 minutes later", 0x23F0},
    {"ApmList4", "15 minutes later", 0x3660},
    {"ApmList5", "20 minutes later", 0x4880},
    {"ApmList6", "25 minutes later", 0x5AA0},
    {"ApmList7", "30 minutes later", 0x6CC0},
    {"ApmList8", "45 minutes later", 0xA320},
    {"ApmList9", "1 hours later", 0xD980},
}};

bool SameText(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

}  // namespace

const StandbyEntry& StandbyEntryAt(int entry) { return kEntries.at(static_cast<size_t>(entry)); }

std::string StandbyEntryText(int entry) {
  const StandbyEntry& e = StandbyEntryAt(entry);
  return TextA(e.key, e.text);
}

int FindStandbyEntry(uint16_t code) {
  for (int i = 1; i < kStandbyEntryCount; ++i) {
    if (kEntries[static_cast<size_t>(i)].code == code) return i;
  }
  return -1;
}

int ParseStandbyEntry(const std::string& name) {
  if (name.size() == 1 && name[0] >= '0' && name[0] <= '9') return name[0] - '0';
  for (int i = 0; i < kStandbyEntryCount; ++i) {
    if (SameText(name, kEntries[static_cast<size_t>(i)].text) || SameText(name, StandbyEntryText(i))) return i;
  }
  return -1;
}

}  // namespace zel
