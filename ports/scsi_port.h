// Carries one SCSI request to a device.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace zel {

// The NT route. `buffer` holds a whole pass-through request (header, sense
// area and data, laid out by common/pass_through.h for this build); the first
// `inLength` bytes are sent and up to buffer.size() come back into it, with
// the SCSI status, sense and any incoming data in place. The path is opened
// (read and write access, read and write sharing, existing only, overlapped
// when asked) for this one request and closed right after it.
// Returns 0 when the control call succeeded, otherwise a system error code.
class ScsiPort {
 public:
  virtual ~ScsiPort() = default;
  virtual long PassThrough(const std::wstring& path, bool overlapped, std::vector<uint8_t>& buffer,
                           uint32_t inLength) = 0;
};

}  // namespace zel
