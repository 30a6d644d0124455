// Drive letters on Linux, kept the way Wine keeps its drive mappings: each
// letter names a directory, and the volume mounted there is that drive. The
// letters live in a file of the user's configuration directory
// (~/.config/zel/drives), one "E=/media/ann/ONE TOUCH" a line, "#" starting a
// comment; the tools read it, give every newly mounted partition the first
// free letter from D:, and write it back, so a volume keeps its letter from
// run to run and task files written for it stay valid. The file may be
// edited by hand. ZEL_DRIVES ("E=/media/disk;F=/mnt/private"), when set,
// stands in for the file and is never written.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "ports/drive_map.h"

namespace zel::linux_adapters {

using LetterMap = std::map<wchar_t, std::string>;

class SysfsNodes;

// Items separated by `separator`; "X=dir" with a letter X, others skipped.
LetterMap ParseDriveLetters(const std::string& text, char separator = ';');
std::string FormatDriveLetters(const LetterMap& letters);

// Gives each directory of `mounted` that has no letter yet the first free
// letter from D: to Z:; the letters it gave, in order. Directories beyond
// Z: stay without one.
std::vector<wchar_t> ExtendDriveLetters(LetterMap& letters, const std::vector<std::string>& mounted);

// The mount points of the partitions (and whole disks) of real block
// devices, each device's first mount point once, in mount order.
std::vector<std::string> MountedPartitionDirectories(const SysfsNodes& nodes);

// $XDG_CONFIG_HOME/zel/drives, or ~/.config/zel/drives.
std::string DriveLettersFile();

// Reads the letters file at `file`, extends it with the mounted partitions of
// `nodes` and writes it back (whole, under its final name only when written
// in full) when it grew. False with `error` set when the file could not be
// written; the letters are still given for this run.
bool LoadDriveLetters(const SysfsNodes& nodes, const std::string& file, LetterMap& out, std::string& error);

// The process's letters: ZEL_DRIVES when set, otherwise the letters file as
// LoadDriveLetters leaves it, read once. `error` tells of a file that could
// not be written.
const LetterMap& ProcessDriveLetters(std::string* error = nullptr);

// The letters whose directories hold a mounted volume now (all of them when
// they come from ZEL_DRIVES), as the file-system adapter maps them.
std::vector<DriveMapping> MountedDriveMap(const SysfsNodes& nodes);

}  // namespace zel::linux_adapters
