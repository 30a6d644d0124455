// Pellix.dll: the exports the installer package calls, on the Windows 98
// family, with its DLL-call convention (a window, a value, a string; none of
// them used). Both always return 0: no step of either stops the others.
#include <windows.h>

#include <cstdint>
#include <string>

#include "setup/pellix/pellix_steps.h"
#include "setup/pellix/win/win32_system.h"

namespace {

// The directory that holds this library: the driver files, config.ini and
// the removal program lie beside it when Install is called.
std::string g_moduleDir;

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    char path[MAX_PATH] = {};
    DWORD n = GetModuleFileNameA(instance, path, MAX_PATH);
    std::string file(path, n < MAX_PATH ? n : 0);
    size_t cut = file.find_last_of('\\');
    g_moduleDir = cut == std::string::npos ? std::string() : file.substr(0, cut);
  }
  return TRUE;
}

extern "C" int32_t WINAPI Install(HWND, int32_t*, char*) {
  zel::pellix::Win32System system;
  return zel::pellix::Install(system, g_moduleDir);
}

extern "C" int32_t WINAPI UnInstall(HWND, int32_t*, char*) {
  zel::pellix::Win32System system;
  return zel::pellix::UnInstall(system);
}
