// Install and UnInstall of the legacy driver installer: the driver files into
// the Windows directory, the enclosures Windows has already enumerated
// removed so that they are found again with the new driver, the driver
// information cache cleared, and the safe-removal program registered to
// start at log-on; UnInstall undoes all of it and deletes the copies of the
// driver's INF files that Windows made. No step stops the others; only the
// removal program's steps end early when it will not close.
#pragma once
#include <string>

#include "setup/pellix/pellix_system.h"

namespace zel::pellix {

// The safe-removal program: its window title, file and Run value name.
inline constexpr const char* kRemovalTitle = "Zel Safe Removal Application";
inline constexpr const char* kRemovalProgram = "zelusb.exe";
inline constexpr const char* kRemovalRunValue = "zelusb";
// The device class whose members are removed.
inline constexpr const char* kDeviceClass = "USB";
// Attempts of the program-closing wait.
inline constexpr int kCloseAttempts = 1000;

// Installs from `moduleDir`, the directory that holds the library and the
// files it installs. Always 0.
int32_t Install(PellixSystem& system, const std::string& moduleDir);
// Removes what Install put in place. Always 0.
int32_t UnInstall(PellixSystem& system);

// The Program Files folder, or the Windows directory's drive followed by
// "Program Files"; empty when neither is known.
std::string ProgramFilesPath(PellixSystem& system);
// True for "X:\..." (a drive and its root) and "\\server\share..." paths:
// the only bases from which this installer deletes.
bool IsFullPath(const std::string& path);

// Asks the window titled `title` to close until it is gone: kOk, or
// kStillRunning after kCloseAttempts requests.
int32_t CloseProgram(PellixSystem& system, const char* title);
// Removes every present device whose first hardware identifier begins with
// `identifier` (see DeviceMatches); the walk's result.
uint32_t RemoveMatchingDevices(PellixSystem& system, const std::string& identifier);
// Deletes the INF files in the Windows directory's "inf", "inf\other" and
// "inf\internet" that mention `identifier`; the number deleted.
int DeleteMatchingInfCopies(PellixSystem& system, const std::string& windowsDir,
                            const std::string& identifier);

}  // namespace zel::pellix
