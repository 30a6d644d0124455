// The main window's reading of the security state and its Lock and Erase
// actions, shared by the window and the terminal.
#pragma once
#include <cstdint>
#include <string>

namespace zel {

enum class SecurityState { Unknown, NoPartition, Unlocked, Locked };

// The state the status byte shows: Unknown when the query failed; the lock
// and password bits count only while the disk is partitioned.
SecurityState StateOfStatus(bool queried, uint8_t status);
// Reads the status of the current device (pass-through route) and tells the state.
SecurityState ReadSecurityState();
// The status text of a state ("N/A", `NoPartition`, `LockCaptionState`, ...).
std::string StateText(SecurityState state);

enum class LockOutcome { Locked, Busy, NotPartitioned, StatusUnknown };
// Locks the current device's private disk. A refused lock tells the user
// (MsgStr07).
LockOutcome LockCurrentDisk();

enum class EraseOutcome { Declined, Erased, Failed };
// Asks first (MsgStr08, unless `confirmed`), then erases the arrangement,
// has both disks enumerated anew and deletes the stored hint. When the
// bridge refuses the erase the user is told (MsgStr16) and the hint stays,
// as the password it belongs to does.
EraseOutcome EraseCurrentDisk(bool confirmed);

}  // namespace zel
