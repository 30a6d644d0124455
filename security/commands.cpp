#include "security/commands.h"

#include "common/scsi_send.h"
#include "ports/platform.h"
#include "security/command_blocks.h"
#include "security/security_device.h"

namespace zel {
namespace {

enum class Route { PassThrough, Aspi, Family };

// The entry's target: its interface path opened overlapped, or its host
// adapter, target 0, LUN 0 (a request without a completion event fails); the
// family route takes the one of the process's system family.
ScsiTarget EntryTarget(uint8_t device, Route route) {
  SecurityDevice d;
  if (!FindSecurityDevice(device, d)) return {};
  if (route == Route::Family) route = Ports().family == SystemFamily::Nt ? Route::PassThrough : Route::Aspi;
  if (route == Route::Aspi) return ScsiTarget::Aspi(d.hostAdapter);
  return ScsiTarget::Interface(d.path, true);
}

bool Send(uint8_t device, const VendorCommand& request, uint8_t* data, Route route = Route::PassThrough) {
  return SendScsi(EntryTarget(device, route), request, data);
}

bool QueryStatus(uint8_t device, StatusQuery query, uint8_t& status, Route route = Route::PassThrough) {
  uint8_t reply = 0;
  if (!Send(device, ReadSecurityStatusRequest(query), &reply, route)) return false;
  status = reply;
  return true;
}

}  // namespace

bool ReadSecurityStatus(uint8_t device, uint8_t& status) {
  return QueryStatus(device, StatusQuery::Display, status);
}

bool ReadSecurityStatusAspi(uint8_t device, uint8_t& status) {
  return QueryStatus(device, StatusQuery::LockButton, status, Route::Aspi);
}

bool ReadSecurityStatusForLock(uint8_t device, uint8_t& status) {
  return QueryStatus(device, StatusQuery::LockButton, status, Route::Family);
}

bool SetPartitionSize(uint8_t device, uint32_t publicSectors) {
  auto data = PartitionSizeData(publicSectors);
  return Send(device, SetPartitionSizeRequest(), data.data());
}

bool EraseDisk(uint8_t device) { return Send(device, EraseDiskRequest(), nullptr); }

bool ChangePasswordPassThrough(uint8_t device, const PasswordBlock& oldBlock,
                               const PasswordBlock& newBlock) {
  auto data = ChangePasswordData(oldBlock, newBlock);
  return Send(device, ChangePasswordRequest(), data.data());
}

bool ChangePasswordAspi(uint8_t device, const PasswordBlock& oldBlock,
                        const PasswordBlock& newBlock) {
  auto data = ChangePasswordData(oldBlock, newBlock);
  return Send(device, ChangePasswordRequest(), data.data(), Route::Aspi);
}

bool ChangePassword(uint8_t device, const PasswordBlock& oldBlock, const PasswordBlock& newBlock) {
  auto data = ChangePasswordData(oldBlock, newBlock);
  return Send(device, ChangePasswordRequest(), data.data(), Route::Family);
}

bool LockDisk(uint8_t device) { return Send(device, LockDiskRequest(), nullptr); }

bool UnlockDisk(uint8_t device, const PasswordBlock& password) {
  PasswordBlock data = password;
  return Send(device, UnlockDiskRequest(), data.data());
}

bool ReadCapacity(uint8_t device, uint32_t& lastBlock) {
  std::array<uint8_t, 8> reply{};
  if (!Send(device, ReadCapacityRequest(), reply.data())) return false;
  lastBlock = LastBlockAddress(reply);
  return true;
}

void RescanDevice(uint8_t device) {
  SecurityDevice d;
  DeviceTreePort* tree = Ports().deviceTree;
  if (!FindSecurityDevice(device, d) || d.diskNode == 0 || !tree) return;
  tree->Disable(d.diskNode);
  if (Ports().system) Ports().system->Sleep(10);
  tree->Enable(d.diskNode);
}

}  // namespace zel
