// The hardware identifier table of the driver installer: the identifiers of
// the enclosures, from the [HardwareID] section of a config.ini (DeviceCount,
// Device00, Device01, ...), and the rules that decide which devices and which
// INF files belong to an identifier.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "setup/pellix/pellix_system.h"

namespace zel::pellix {

// The table holds this many identifiers; a larger DeviceCount reads only
// the first ones, a negative one none.
inline constexpr int kMaxIdentifiers = 32;
// An identifier has at most this many characters (a 260-character slot
// with its terminator). A longer one is left out rather than cut, since a
// cut identifier would be the prefix of more devices than the one meant.
inline constexpr size_t kMaxIdentifierLength = 259;
// The value of a listed key that is missing from the file.
inline constexpr const char* kMissingIdentifier = "BADID";

// Reads the table of `configFile`. Identifiers that can match nothing
// (empty, or too long) are left out.
std::vector<std::string> ReadHardwareIds(PellixSystem& system, const std::string& configFile);

// True when `deviceId` begins with `identifier`, without regard to letter
// case. An empty identifier matches no device.
bool DeviceMatches(const std::string& deviceId, const std::string& identifier);

// True when some line contains `identifier` as it is written. An empty
// identifier is mentioned by no file.
bool InfMentions(const std::vector<std::string>& lines, const std::string& identifier);

}  // namespace zel::pellix
