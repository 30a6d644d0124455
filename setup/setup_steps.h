// Install and uninstall of one program, in their fixed order of steps. The
// exports of the setup libraries (setup/win/setup_exports.cpp) call these
// with the Win32 adapters; tests call them with a host of their own.
#pragma once
#include <cstdint>
#include <string>

#include "platform/file_system_port.h"
#include "platform/profile_port.h"
#include "platform/registry_port.h"
#include "setup/setup_codes.h"
#include "setup/setup_host.h"
#include "setup/setup_variant.h"

namespace zel::setup {

// Install modes, as the installer passes them.
enum : int32_t { kModeAllUsers = 0, kModeCurrentUser = 1, kModeWow64 = 2 };

inline constexpr int kCloseAttempts = 1000;

inline const wchar_t kRunKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
inline const wchar_t kLayersKey[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers";
inline const wchar_t kRunAsAdmin[] = L"RUNASADMIN";

struct SetupContext {
  const Variant& variant;
  FileSystemPort& files;
  RegistryPort& registry;
  ProfilePort& profile;
  SetupHost& host;
  std::wstring moduleDir;  // the copy source: the directory that holds the library
};

// Closes the program whose main window has `title` by sending it the Exit
// command until no such window is left, pausing `pauseMs` between attempts.
// kStillRunning after kCloseAttempts attempts. An empty title names no
// window and closes nothing.
Result CloseProgram(SetupHost& host, const std::wstring& title, unsigned pauseMs);

// The installation values from config.ini's [Installation] section, with the
// build's defaults.
struct InstallValues {
  std::wstring targetPath, appDesc, unAppDesc, hlpDesc;
};
InstallValues ReadInstallValues(ProfilePort& profile, const Variant& variant, const std::wstring& iniPath);

// Places the program below Program Files, registers it to start at log-on
// and makes its shortcuts; `mode` null is a mode without shortcuts.
Result Install(const SetupContext& context, const int32_t* mode, const std::wstring& title);

// Removes what Install made. Only Program Files + TargetPath and the
// Start-menu folder TargetPath are ever removed, whatever the autostart
// value names.
Result Uninstall(const SetupContext& context, const int32_t* mode, const std::wstring& title);

}  // namespace zel::setup
