// What the system finds when an enclosure presents its disks anew (after a
// new split): the volumes as their boot sectors describe them.
#pragma once
#include <string>

namespace zel::sim {

// For each volume on the enclosure's disks whose boot sector carries another
// serial number than its record, the volume was formatted since: the record
// takes the label, file system, serial and capacity the formatter wrote, and
// the volume's host directory (when it lies inside the machine directory) is
// emptied, as a fresh volume holds no files. Volumes whose serial is
// unchanged, or whose partition holds no FAT boot sector, stay as they are.
// False when the machine cannot be read or written.
bool MountFormattedVolumes(const std::string& machineDir, const std::string& enclosureId);

}  // namespace zel::sim
