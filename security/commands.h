// The security tool's commands to the enclosure's bridge. Each addresses one
// entry of the device list by index (entry 0 is the current device; after
// partitioning entry 1 is the private disk), opens the device for the one
// request and closes it again, and returns true on success.
#pragma once
#include <cstdint>

#include "security/password_block.h"

namespace zel {

// E5, pass-through route. On success the status byte is stored; on failure
// `status` is left as it was. The main window's display, the change-password
// and the partition dialogs use this form.
bool ReadSecurityStatus(uint8_t device, uint8_t& status);
// E5 through the route of the system family (pass-through on the NT family,
// ASPI on the Windows 98 family), as the Lock/Unlock button asks it.
bool ReadSecurityStatusForLock(uint8_t device, uint8_t& status);
bool ReadSecurityStatusAspi(uint8_t device, uint8_t& status);

// E6: the public disk's size in sectors, pass-through only.
bool SetPartitionSize(uint8_t device, uint32_t publicSectors);
// E7: removes the split and the password, pass-through only.
bool EraseDisk(uint8_t device);
// E8 with the old and the new password block, through the route of the
// system family; and its two forms.
bool ChangePassword(uint8_t device, const PasswordBlock& oldBlock, const PasswordBlock& newBlock);
bool ChangePasswordPassThrough(uint8_t device, const PasswordBlock& oldBlock,
                               const PasswordBlock& newBlock);
bool ChangePasswordAspi(uint8_t device, const PasswordBlock& oldBlock,
                        const PasswordBlock& newBlock);
// E9, pass-through only.
bool LockDisk(uint8_t device);
// EA with the password block, pass-through only; false also when the bridge
// rejects the password.
bool UnlockDisk(uint8_t device, const PasswordBlock& password);
// READ CAPACITY(10), pass-through only: the last logical block address.
bool ReadCapacity(uint8_t device, uint32_t& lastBlock);
// Disables the device node recorded for the entry's disk, waits 10 ms and
// enables it again, so that the system enumerates the disk anew.
void RescanDevice(uint8_t device);

}  // namespace zel
