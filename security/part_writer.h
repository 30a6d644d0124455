// Writes one part onto the open whole-disk device: its master boot record,
// then a fresh FAT volume behind the hidden sectors.
#pragma once
#include "ports/storage_port.h"
#include "security/part_layout.h"
#include "security/progress.h"

namespace zel {

// The geometry values the boot records carry, from the disk's geometry query
// (low byte of each). False when the query fails.
bool ReadTrackGeometry(RawDevice& disk, TrackGeometry& out);

// Writes the part's master boot record at B (after reading that sector) and
// formats its volume, adding 10 to the progress three times on the way.
// False as soon as a read, a write or the geometry query fails, or when the
// part cannot hold its layout.
bool WritePart(RawDevice& disk, const PartPlan& part, Progress& progress);

}  // namespace zel
