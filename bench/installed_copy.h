// The program a bench times is run as a user runs it: installed, that is
// copied with the files beside it (its settings, language and picture files)
// into a directory of the bench's own, and started from there.
//
// Timing the file the build left behind instead would time however the
// system happens to hold that file. One whose pages the system had dropped
// and read back in piece by piece as it ran (a build some hours old) started
// about a tenth slower on this kind of machine than the same file freshly
// written, as a new build or an installation leaves it, with about the same
// number of page faults: in one series of copy runs with nothing to copy,
// 1.73 ms against 1.49 ms for a fresh copy, and 1.60 ms for a copy read in
// whole after its pages were dropped.
#pragma once
#include <filesystem>
#include <string>

namespace bench {

// Installs `program` and the regular files beside it into `into` (made
// afresh), each written anew with its permission bits, and returns the
// installed program; empty when something could not be copied.
inline std::string InstalledCopy(const std::string& program, const std::filesystem::path& into) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::remove_all(into, ec);
  fs::create_directories(into, ec);
  if (ec) return {};
  const fs::path from = fs::path(program).parent_path();
  for (fs::directory_iterator it(from, ec); !ec && it != fs::directory_iterator(); it.increment(ec)) {
    if (!it->is_regular_file(ec)) continue;
    fs::copy_file(it->path(), into / it->path().filename(), ec);
    if (ec) return {};
  }
  if (ec) return {};
  const fs::path installed = into / fs::path(program).filename();
  return fs::exists(installed, ec) ? installed.string() : std::string();
}

}  // namespace bench
