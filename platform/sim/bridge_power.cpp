// The power tool's command EB and its sub-commands: 01 read status, 02/03
// standby on suspend on/off, 04 standby timer (code low byte first), 06
// factory defaults. Register 0x001A is an ordinary bridge register.
#include "common/vendor_protocol.h"
#include "platform/sim/bridge.h"

namespace zel::sim::bridge_detail {

bool PowerCommand(const Machine&, const SimEnclosure&, BridgeState& s, const BridgeRequest& q, BridgeReply& r,
                  bool& changed) {
  if (q.cdb[0] != kOpPower) return false;
  switch (q.cdb[1]) {
    case kPowerReadStatus:
      // Bit 0 standby on suspend, bit 1 a standby timer is running; the
      // timer code high byte first.
      r.dataIn = {static_cast<uint8_t>((s.spm ? kPowerStatusStandbyOnSuspend : 0) |
                                       (s.timer != 0 ? kPowerStatusTimerRunning : 0)),
                  static_cast<uint8_t>(s.timer >> 8), static_cast<uint8_t>(s.timer)};
      return true;
    case kPowerStandbyOnSuspendOn:
    case kPowerStandbyOnSuspendOff:
      s.spm = q.cdb[1] == kPowerStandbyOnSuspendOn;
      changed = true;
      return true;
    case kPowerSetStandbyTimer:
      s.timer = static_cast<uint16_t>(q.cdb[2] | (q.cdb[3] << 8));
      changed = true;
      return true;
    case kPowerFactoryDefaults:
      s.spm = s.defaultSpm;
      s.timer = s.defaultTimer;
      changed = true;
      return true;
    default:
      CheckCondition(r, 0x05, 0x24);
      return true;
  }
}

}  // namespace zel::sim::bridge_detail
