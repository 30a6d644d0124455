#include "tests/power/power_fixture.h"

#include <cstdio>

#include "common/app_paths.h"
#include "common/device_list.h"
#include "common/vendor_protocol.h"

namespace zel::test {

long ScriptedBridge::Execute(const ScsiTarget& target, ScsiRequest& request) {
  if (target.kind != ScsiTarget::Kind::Interface || target.path != L"\\\\?\\usbstor#disk0") return 2;
  const auto& cdb = request.command.cdb;
  received.push_back(cdb);
  requests.push_back(request.command);
  request.status = failing.count({cdb[0], cdb[1]}) ? kScsiStatusCheckCondition : kScsiStatusGood;
  if (request.status != kScsiStatusGood) return 0;
  if (cdb[0] == kOpPower && cdb[1] == kPowerReadStatus) {
    for (size_t i = 0; i < 3; ++i) request.data[i] = status[i];
  }
  if (cdb[0] == kOpReadBridgeRegister) request.data[0] = powerRegister;
  return 0;
}

std::vector<std::string> ScriptedBridge::Sent() const {
  std::vector<std::string> out;
  for (const auto& cdb : received) {
    char name[8];
    std::snprintf(name, sizeof name, "%02X%02X", cdb[0], cdb[1]);
    out.push_back(name);
  }
  return out;
}

void PowerFixture::SetUp() {
  Platform ports;
  ports.scsi = &bridge;
  ports.skinned = &prompter;
  ports.family = SystemFamily::Nt;
  scope = std::make_unique<ScopedPorts>(ports);
  DeviceEntry entry;
  entry.interfacePath = "\\\\?\\usbstor#disk0";
  entry.friendlyName = "Test Disk";
  GlobalDeviceList().entries = {entry};
  ProcessPaths() = AppPaths{};
}

void PowerFixture::TearDown() {
  GlobalDeviceList().entries.clear();
  scope.reset();
}

}  // namespace zel::test
