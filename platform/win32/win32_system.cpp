#include "platform/win32/win32_system.h"

#include <windows.h>

#include <vector>

namespace zel::win32 {

uint16_t Win32System::DefaultLanguage() { return GetSystemDefaultLangID(); }

uint32_t Win32System::TickCount() { return GetTickCount(); }

OsVersion Win32System::Version() {
  OSVERSIONINFOW info = {};
  info.dwOSVersionInfoSize = sizeof info;  // 276 bytes
  if (!GetVersionExW(&info)) return {};
  return OsVersion{info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber};
}

std::wstring Win32System::ComputerName() {
  wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  if (!GetComputerNameW(name, &size)) return {};
  return std::wstring(name, size);
}

std::wstring Win32System::ModulePath() {
  // The path may be longer than MAX_PATH; grow until it fits.
  std::vector<wchar_t> buf(MAX_PATH);
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0) return {};
    if (n < buf.size()) return std::wstring(buf.data(), n);
    if (buf.size() >= 32768) return {};
    buf.resize(buf.size() * 2);
  }
}

std::wstring Win32System::CurrentDirectory() {
  DWORD n = GetCurrentDirectoryW(0, nullptr);
  if (n == 0) return {};
  std::vector<wchar_t> buf(n);
  n = GetCurrentDirectoryW(n, buf.data());
  if (n == 0 || n >= buf.size()) return {};
  return std::wstring(buf.data(), n);
}

bool Win32System::ChangeDirectory(const std::wstring& dir) {
  return SetCurrentDirectoryW(dir.c_str()) != 0;
}

void Win32System::Sleep(uint32_t ms) { ::Sleep(ms); }

}  // namespace zel::win32
