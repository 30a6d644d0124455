// Start-menu shortcuts of the setup libraries, and which result a shortcut
// step gives for the way writing it went.
#pragma once
#include <string>

#include "setup/setup_files.h"
#include "setup/setup_host.h"

namespace zel::setup {

// The general shortcut operation reports a missing link object or file
// interface, and a failure to set the working directory, the arguments or
// the description, as the system's error; the uninstall shortcut of modes 0
// and 1 has codes of its own for them and does not report the arguments.
enum class LinkRules { General, Uninstall };

Result LinkResult(const LinkOutcome& outcome, LinkRules rules, Result makePathResult);

struct Shortcut {
  Folder folder;
  std::wstring subFolder;   // below the folder; made when missing
  std::wstring workDir;     // also the directory of the program
  std::wstring program;     // file name in workDir
  std::wstring name;        // the .lnk file's name and the description
  std::wstring arguments;   // none when empty
};

// Writes "<folder>\<subFolder>\<name>.lnk". A name that is not one plain
// file name is refused with kUnsafeTarget.
Result CreateShortcut(SetupFiles& files, SetupHost& host, const Shortcut& shortcut, LinkRules rules);

}  // namespace zel::setup
