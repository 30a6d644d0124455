// The power tool's commands to the enclosure's bridge. Each addresses one
// entry of the device list by index, goes through the pass-through route on
// every system family, opens the device for the one request and closes it
// again, and returns true on success.
#pragma once
#include <array>
#include <cstdint>

#include "ports/scsi_port.h"

namespace zel {

// The requests: EB with its sub-command in byte 1. Commands that move no
// data still say "data in".
VendorCommand ReadPowerStatusRequest();
VendorCommand SetSystemPowerManagementRequest(bool on);  // EB 02 on, EB 03 off
VendorCommand SetStandbyTimerRequest(uint16_t code);     // the code low byte first
VendorCommand RestorePowerDefaultsRequest();

struct PowerStatus {
  uint8_t flags = 0;   // kPowerStatusStandbyOnSuspend, kPowerStatusTimerRunning
  uint16_t code = 0;   // the standby timer code
};
// The three-byte status reply: flags, then the code high byte first.
PowerStatus DecodePowerStatus(const std::array<uint8_t, 3>& reply);

// EB 01: the status is stored only on success.
bool ReadPowerStatus(uint8_t device, PowerStatus& status);
bool SetSystemPowerManagement(uint8_t device, bool on);
bool SetStandbyTimer(uint8_t device, uint16_t code);
bool RestorePowerDefaults(uint8_t device);
// E2 for the power register (0x001A, one byte) of device-list entry 0.
bool ReadPowerRegister(uint8_t& value);

}  // namespace zel
