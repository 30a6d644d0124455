// The primary partition table of a master boot record as a drive layout
// (what the system's drive-layout request reports for an MBR disk).
#pragma once
#include <cstdint>

#include "ports/storage_port.h"

namespace zel {

// Reads a 512-byte first sector. Without the 0x55AA mark the disk has no
// table: an empty layout. Extended and empty entries are not recognised.
void ParseMbrLayout(const uint8_t* sector, DriveLayout& out);
bool RecognizedPartitionType(uint8_t type);

}  // namespace zel
