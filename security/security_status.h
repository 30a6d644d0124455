// The security status byte the bridge reports (ReadSecurityStatus).
#pragma once
#include <cstdint>

#include "common/vendor_protocol.h"

namespace zel {

inline bool IsPartitioned(uint8_t status) { return (status & kStatusPartitioned) != 0; }
inline bool IsLocked(uint8_t status) { return IsPartitioned(status) && (status & kStatusLocked) != 0; }
inline bool HasPassword(uint8_t status) { return (status & kStatusPasswordSet) != 0; }

}  // namespace zel
