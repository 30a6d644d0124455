// What may have changed among the files of a simulated machine. Every port
// call asks for the machine's view as it stands; where the host's file times
// can vouch for a file (Linux, on its usual local file systems), a view can
// be known to stand without reading its files again, or by reading only the
// files that were touched.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace zel::sim {

// What may have become of the files `names` (names directly in `dir`) since
// the last call for `dir`. The first call, a call with other names than the
// last, and a host whose file times cannot be trusted answer `unknown`; so
// does a file that was not there.
struct FileChanges {
  bool unknown = true;               // any of the files may have changed
  std::vector<std::string> touched;  // otherwise: those that may have been written, replaced or removed
};

FileChanges ChangesSince(const std::string& dir, const std::vector<std::string>& names);

// A number for the names in `dir` as the last ChangesSince call for it found
// them: while the number stays the same, no name was made, removed or
// renamed in the directory up to that call. 0 when nothing can be vouched
// for (no call yet, or a host whose file times cannot be trusted).
uint64_t NamesEpoch(const std::string& dir);

// Whether, on the file system of `dir`, any change to one of its files after
// a look at it (a stat) shows as another version at the next look, however
// soon it comes. Where it does not, a version tells changes apart only once
// it has settled. Found out once per directory.
bool LooksTellEveryChange(const std::string& dir);

// Whether a Linux kernel of this release ("6.13.0-1-amd64") gives a file
// whose times were just asked for a finer change time at its next change, on
// ext4, XFS, Btrfs and tmpfs: those of 6.13 and later do.
bool KernelGivesFineTimesAfterAsking(const std::string& release);

}  // namespace zel::sim
