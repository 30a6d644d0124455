#include "power/power_commands.h"

#include "common/bytes.h"
#include "common/device_list.h"
#include "common/scsi_send.h"
#include "common/text.h"
#include "common/transport.h"
#include "common/vendor_protocol.h"

namespace zel {
namespace {

VendorCommand PowerRequest(uint8_t sub, uint32_t length, uint32_t room, bool sendWhole) {
  VendorCommand c;
  c.cdb[0] = kOpPower;
  c.cdb[1] = sub;
  c.direction = DataDirection::In;
  c.dataLength = length;
  c.dataRoom = room;
  c.sendWhole = sendWhole;
  return c;
}

// The interface path of entry `device`, opened overlapped; an entry that
// does not exist has no target and its command fails.
ScsiTarget EntryTarget(uint8_t device) {
  const DeviceList& list = GlobalDeviceList();
  if (device >= list.entries.size()) return {};
  return ScsiTarget::Interface(AnsiToWide(list.entries[device].interfacePath), true);
}

}  // namespace

VendorCommand ReadPowerStatusRequest() { return PowerRequest(kPowerReadStatus, 3, kPowerStatusRoom, false); }

VendorCommand SetSystemPowerManagementRequest(bool on) {
  return PowerRequest(on ? kPowerStandbyOnSuspendOn : kPowerStandbyOnSuspendOff, 0, kPowerCommandRoom, true);
}

VendorCommand SetStandbyTimerRequest(uint16_t code) {
  VendorCommand c = PowerRequest(kPowerSetStandbyTimer, 0, kPowerCommandRoom, true);
  PutLe16(&c.cdb[2], code);
  return c;
}

VendorCommand RestorePowerDefaultsRequest() {
  return PowerRequest(kPowerFactoryDefaults, 0, kPowerCommandRoom, true);
}

PowerStatus DecodePowerStatus(const std::array<uint8_t, 3>& reply) {
  return PowerStatus{reply[0], GetBe16(&reply[1])};
}

bool ReadPowerStatus(uint8_t device, PowerStatus& status) {
  std::array<uint8_t, 3> reply{};
  if (!SendScsi(EntryTarget(device), ReadPowerStatusRequest(), reply.data())) return false;
  status = DecodePowerStatus(reply);
  return true;
}

bool SetSystemPowerManagement(uint8_t device, bool on) {
  return SendScsi(EntryTarget(device), SetSystemPowerManagementRequest(on), nullptr);
}

bool SetStandbyTimer(uint8_t device, uint16_t code) {
  return SendScsi(EntryTarget(device), SetStandbyTimerRequest(code), nullptr);
}

bool RestorePowerDefaults(uint8_t device) {
  return SendScsi(EntryTarget(device), RestorePowerDefaultsRequest(), nullptr);
}

bool ReadPowerRegister(uint8_t& value) {
  const DeviceList& list = GlobalDeviceList();
  if (list.entries.empty()) return false;
  uint8_t byte = 0;
  if (!ReadBridgeRegisterAt(AnsiToWide(list.entries[0].interfacePath), true, 0, kPowerRegister, 1, &byte)) {
    return false;
  }
  value = byte;
  return true;
}

}  // namespace zel
