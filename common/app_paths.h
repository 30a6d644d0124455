// The process's configuration and language file paths, formed at start-up
// from the program's directory ("%s\\config.ini", "%s\\Corvex.mlf", ...).
#pragma once
#include <string>

namespace zel {

struct AppPaths {
  std::wstring programDirectory;  // without a trailing separator
  std::wstring configFile;        // config.ini beside the program
  std::wstring languageFile;      // the program's .mlf beside the program
};

AppPaths& ProcessPaths();

// The paths of a program whose executable is `modulePath`: its directory
// (the path cut at its last separator), "config.ini" and `languageFileName`
// in it, joined with the system's separator.
AppPaths FormAppPaths(const std::wstring& modulePath, const std::wstring& languageFileName);

}  // namespace zel
