#include "security/commands.h"

#include "common/aspi.h"
#include "common/transport.h"
#include "ports/platform.h"
#include "security/command_blocks.h"
#include "security/security_device.h"

namespace zel {
namespace {

// Pass-through route: the entry's interface path, opened overlapped.
bool Send(uint8_t device, const VendorCommand& request, uint8_t* data) {
  SecurityDevice d;
  if (!FindSecurityDevice(device, d) || d.path.empty()) return false;
  return SendVendorCommand(d.path, true, request, data);
}

// ASPI route: the entry's host adapter, target 0, LUN 0; a request without
// a completion event fails.
bool SendAspi(uint8_t device, const VendorCommand& request, uint8_t* data) {
  SecurityDevice d;
  if (!FindSecurityDevice(device, d)) return false;
  return AspiExecute(d.hostAdapter, request, data, AspiNoEvent::Fail);
}

bool QueryStatus(uint8_t device, StatusQuery query, uint8_t& status) {
  uint8_t reply = 0;
  if (!Send(device, ReadSecurityStatusRequest(query), &reply)) return false;
  status = reply;
  return true;
}

}  // namespace

bool ReadSecurityStatus(uint8_t device, uint8_t& status) {
  return QueryStatus(device, StatusQuery::Display, status);
}

bool ReadSecurityStatusAspi(uint8_t device, uint8_t& status) {
  uint8_t reply = 0;
  if (!SendAspi(device, ReadSecurityStatusRequest(StatusQuery::LockButton), &reply)) {
    return false;
  }
  status = reply;
  return true;
}

bool ReadSecurityStatusForLock(uint8_t device, uint8_t& status) {
  if (Ports().family == SystemFamily::Nt) return QueryStatus(device, StatusQuery::LockButton, status);
  return ReadSecurityStatusAspi(device, status);
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
  return SendAspi(device, ChangePasswordRequest(), data.data());
}

bool ChangePassword(uint8_t device, const PasswordBlock& oldBlock, const PasswordBlock& newBlock) {
  if (Ports().family == SystemFamily::Nt) return ChangePasswordPassThrough(device, oldBlock, newBlock);
  return ChangePasswordAspi(device, oldBlock, newBlock);
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
