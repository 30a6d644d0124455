// Notices of changes to the files of a simulated machine. Every port call
// asks for the machine's view as it stands; when the host tells of changes
// to files as they happen (Linux), a view can be known to stand without
// reading its files again.
#pragma once
#include <string>
#include <vector>

namespace zel::sim {

// Whether any of the files `names` (names directly in `dir`) may have
// changed since the last call for `dir`. The notices are gathered from the
// moment of the first call, so that call, a call with other names than the
// last, and a host without such notices answer true; so does anything the
// notices cannot vouch for (a lost notice, a file that was not there).
bool MayHaveChanged(const std::string& dir, const std::vector<std::string>& names);

}  // namespace zel::sim
