// The Windows 98 family's routes to a disk through the ASPI and vwin32 ports:
// loading the library, executing a command at a host adapter, and finding
// the host adapter of a drive letter.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "common/pass_through.h"
#include "ports/aspi_port.h"

namespace zel {

// Loads "wnaspi32" and takes both entry points; true when the support
// information reports success (status byte 1 in bits 8 to 15).
bool LoadAspi();
// The security and power tools' form: only "SendASPI32Command", success when
// the library loads and has it.
bool LoadAspiCommandOnly();
void UnloadAspi();
bool AspiLoaded();

// What a request does when no completion event can be created.
enum class AspiNoEvent { Fail, Poll };

// Executes one command at host adapter `ha`, target 0, LUN 0; `data` holds
// the outgoing bytes or receives the reply. True when the block completed.
bool AspiExecute(uint8_t hostAdapter, const VendorCommand& command, uint8_t* data,
                 AspiNoEvent noEvent);

// Number of host adapters; false when the inquiry does not complete.
bool AspiHostAdapterCount(uint8_t& count);

// Drive map information of a drive letter through "\\.\vwin32".
enum class Vwin32Result { Ok, CannotOpen, CallFailed };
Vwin32Result GetDriveMapInfo(char driveLetter, DriveMapRecord& record);

// The host adapter through which the disk of `driveLetter` answers (first
// resolution, by BIOS unit number); 255 when none. When "\\.\vwin32" cannot
// be opened the user is told and adapter 0 is taken.
uint8_t ResolveAspiHostAdapter(char driveLetter);
// The second resolution, by the SCSI device's hardware identifier and the
// volume serial number in the boot sector; 255 when none.
uint8_t ResolveAspiHostAdapterById(const std::string& hardwareId, char driveLetter);

}  // namespace zel

namespace zel {
// INQUIRY at target 0, LUN 0 of a host adapter: bytes 8..31 of the reply
// (vendor and product) as the unit sends them.
bool AspiInquiryIdentity(uint8_t hostAdapter, std::string& vendorProduct);
}  // namespace zel
