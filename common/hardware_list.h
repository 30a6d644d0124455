// The supported-hardware list: hardware identifiers of the enclosures this
// suite serves, read once at start-up from the [HardwareID] section of
// config.ini (DeviceCount, Device00, Device01, ...).
#pragma once
#include <cstddef>
#include <string>

namespace zel {

// DeviceCount is taken as at most this many entries; a negative or
// unreadable count gives none.
inline constexpr int kMaxHardwareIds = 256;
inline constexpr size_t kHardwareIdSlot = 40;  // characters with the terminator

// Reads the list through the process's profile port (wide or 8-bit reads,
// as the calling program reads its configuration).
void LoadHardwareList(const std::wstring& configPath);
void LoadHardwareListA(const std::string& configPath);
void FreeHardwareList();

// True when some entry is a prefix of `hardwareId`, without regard to case.
// Empty entries match nothing.
bool MatchHardwareId(const std::wstring& hardwareId);
size_t HardwareListSize();

}  // namespace zel
