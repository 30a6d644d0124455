// One library per program: ZEL_SETUP_PROGRAM (Corvex, Tessary or Dormel)
// picks the exports and the variant at build time.
#include "setup/win/setup_exports.h"

#include <string>

#include "platform/win32/file_system_win32.h"
#include "platform/win32/win32_device_ports.h"
#include "platform/win32/win32_profile.h"
#include "setup/setup_steps.h"
#include "setup/win/setup_host_win32.h"

#ifndef ZEL_SETUP_PROGRAM
#error "ZEL_SETUP_PROGRAM names the program of this library"
#endif
#define ZEL_JOIN2(a, b) a##b
#define ZEL_JOIN(a, b) ZEL_JOIN2(a, b)

namespace {

using namespace zel::setup;

// The directory that holds this library, recorded when it is loaded.
std::wstring g_moduleDir;

std::wstring Wide(const char* text) {
  if (!text || !*text) return {};
  const int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (n <= 1) return {};
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text, -1, out.data(), n);
  out.resize(static_cast<size_t>(n - 1));
  return out;
}

template <typename Step>
LONG Run(Step step, const LONG* mode, const char* title) {
  zel::Win32FileSystem files;
  zel::win32::Win32Registry registry;
  zel::win32::Win32Profile profile;
  Win32SetupHost host;
  const SetupContext context{VariantOf(Program::ZEL_SETUP_PROGRAM), files, registry, profile, host, g_moduleDir};
  const int32_t value = mode ? static_cast<int32_t>(*mode) : 0;
  return step(context, mode ? &value : nullptr, Wide(title));
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    wchar_t path[MAX_PATH] = {};
    const DWORD n = GetModuleFileNameW(instance, path, MAX_PATH);
    std::wstring dir(path, n < MAX_PATH ? n : 0);
    const size_t cut = dir.rfind(L'\\');
    g_moduleDir = cut == std::wstring::npos ? std::wstring() : dir.substr(0, cut);
  }
  return TRUE;
}

ZEL_SETUP_EXPORT ZEL_JOIN(Install, ZEL_SETUP_PROGRAM)(HWND, LONG* mode, LPSTR title) {
  return Run(Install, mode, title);
}

ZEL_SETUP_EXPORT ZEL_JOIN(Uninstall, ZEL_SETUP_PROGRAM)(HWND, LONG* mode, LPSTR title) {
  return Run(Uninstall, mode, title);
}
