// The security status byte the bridge reports (ReadSecurityStatus).
#pragma once
#include <cstdint>

namespace zel {

enum : uint8_t {
  kStatusPartitioned = 0x01,  // a private disk exists; other bits count only with it
  kStatusLocked = 0x02,       // the private disk is locked
  kStatusPasswordSet = 0x04,  // a password is set
};

inline bool IsPartitioned(uint8_t status) { return (status & kStatusPartitioned) != 0; }
inline bool IsLocked(uint8_t status) { return IsPartitioned(status) && (status & kStatusLocked) != 0; }
inline bool HasPassword(uint8_t status) { return (status & kStatusPasswordSet) != 0; }

}  // namespace zel
