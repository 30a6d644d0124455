// Carries one SCSI request to a device. A request is a command block, a
// direction, the data going out or the room for the data coming in, and the
// SCSI status and sense coming back. It is addressed to a target: either a
// device interface path (the NT family) or a host adapter, target and LUN of
// the ASPI library (the Windows 98 family).
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <utility>

namespace zel {

enum class DataDirection : uint8_t { Out = 0, In = 1 };

inline constexpr uint8_t kSenseLength = 18;
inline constexpr uint8_t kCdbLength = 12;
inline constexpr uint32_t kScsiTimeOut = 32;  // seconds
inline constexpr uint8_t kScsiStatusGood = 0, kScsiStatusCheckCondition = 2;

// One vendor or standard command as the tools send it. `dataRoom` is the room
// the request keeps for data (never less than dataLength); with `sendWhole`
// the data room goes to the device with the request, otherwise only the
// request's header does. Transports that pack a request into one buffer size
// it by these two; the others ignore them.
struct VendorCommand {
  std::array<uint8_t, 12> cdb{};
  DataDirection direction = DataDirection::In;
  uint32_t dataLength = 0;
  uint32_t dataRoom = 0;
  bool sendWhole = false;
};

// Where a request goes. Made once per disk or device-list entry, from the
// system family.
struct ScsiTarget {
  enum class Kind : uint8_t { None, Interface, Aspi };
  Kind kind = Kind::None;
  // Interface: the path, opened for the one request (read and write access,
  // read and write sharing, existing only, overlapped when asked).
  std::wstring path;
  bool overlapped = false;
  // Aspi: the address, and whether a request goes on without a completion
  // event by polling the request block (otherwise it fails).
  uint8_t hostAdapter = 0, targetId = 0, lun = 0;
  bool pollWithoutEvent = false;

  static ScsiTarget Interface(std::wstring path, bool overlapped) {
    ScsiTarget t;
    t.kind = path.empty() ? Kind::None : Kind::Interface;
    t.path = std::move(path);
    t.overlapped = overlapped;
    return t;
  }
  static ScsiTarget Aspi(uint8_t hostAdapter, bool pollWithoutEvent = false) {
    ScsiTarget t;
    t.kind = Kind::Aspi;
    t.hostAdapter = hostAdapter;
    t.pollWithoutEvent = pollWithoutEvent;
    return t;
  }
};

// One request in flight. `data` holds command.dataLength bytes: the outgoing
// block, or the place for the reply. The port fills in the status, the sense
// (when the status is not good) and the number of bytes that came in.
struct ScsiRequest {
  VendorCommand command;
  uint8_t* data = nullptr;
  uint8_t status = kScsiStatusGood;
  std::array<uint8_t, kSenseLength> sense{};
  uint32_t transferred = 0;
};

// Returns 0 when the request reached the device (the SCSI status tells the
// rest), otherwise a system error code.
class ScsiPort {
 public:
  virtual ~ScsiPort() = default;
  virtual long Execute(const ScsiTarget& target, ScsiRequest& request) = 0;
};

}  // namespace zel
