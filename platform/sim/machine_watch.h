// Notices of changes to the files of a simulated machine. Every port call
// asks for the machine's view as it stands; when the host tells of changes
// to files as they happen (Linux), a view can be known to stand without
// reading its files again, or by reading only the files that were touched.
#pragma once
#include <string>
#include <vector>

namespace zel::sim {

// What may have become of the files `names` (names directly in `dir`) since
// the last call for `dir`. The notices are gathered from the moment of the
// first call, so that call, a call with other names than the last, and a
// host without such notices answer `unknown`; so does anything the notices
// cannot vouch for (a lost notice, a file that was not there).
struct FileChanges {
  bool unknown = true;               // any of the files may have changed
  std::vector<std::string> touched;  // otherwise: those written, replaced or removed
};

FileChanges ChangesSince(const std::string& dir, const std::vector<std::string>& names);

}  // namespace zel::sim
