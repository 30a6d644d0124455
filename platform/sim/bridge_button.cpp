// The copy utility's commands: the button latch (E0 read, E1 write) and the
// bridge registers (E2 read n bytes, E3 write one byte).
#include "common/vendor_protocol.h"
#include "platform/sim/bridge.h"

namespace zel::sim::bridge_detail {

bool ButtonCommand(const Machine&, const SimEnclosure&, BridgeState& s, const BridgeRequest& q, BridgeReply& r,
                   bool& changed) {
  const uint8_t* cdb = q.cdb.data();
  const uint16_t address = static_cast<uint16_t>((cdb[2] << 8) | cdb[3]);
  switch (cdb[0]) {
    case kOpReadButtonStatus:
      if (q.direction != DataDirection::In || q.dataLength < 1) {
        CheckCondition(r, 0x05, 0x24);
        return true;
      }
      r.dataIn = {s.button};
      return true;
    case kOpWriteButtonStatus:
      if (q.direction != DataDirection::Out || q.dataOut.empty()) {
        CheckCondition(r, 0x05, 0x24);
        return true;
      }
      // A 1 bit releases a latched button; a 0 bit leaves it as it is, since
      // only the button itself latches a press. The other bits are stored.
      s.button = static_cast<uint8_t>((q.dataOut[0] & ~kButtonBits) | ((s.button | q.dataOut[0]) & kButtonBits));
      changed = true;
      return true;
    case kOpReadBridgeRegister: {
      const uint16_t n = static_cast<uint16_t>((cdb[4] << 8) | cdb[5]);
      if (q.direction != DataDirection::In || q.dataLength < n) {
        CheckCondition(r, 0x05, 0x24);
        return true;
      }
      for (uint32_t i = 0; i < n; ++i) r.dataIn.push_back(s.Register(cdb[1], static_cast<uint16_t>(address + i)));
      return true;
    }
    case kOpWriteBridgeRegister:
      if (q.direction != DataDirection::Out || q.dataOut.empty()) {
        CheckCondition(r, 0x05, 0x24);
        return true;
      }
      s.SetRegister(cdb[1], address, q.dataOut[0]);
      changed = true;
      return true;
    default:
      return false;
  }
}

}  // namespace zel::sim::bridge_detail
