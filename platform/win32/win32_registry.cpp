#include <windows.h>

#include <vector>

#include "platform/win32/win32_device_ports.h"
#include "platform/win32/win32_handles.h"

namespace zel::win32 {
namespace {

HKEY RootKey(RegRoot root) { return root == RegRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }

long Open(RegRoot root, const std::wstring& key, REGSAM access, RegKey& out) {
  return RegOpenKeyExW(RootKey(root), key.c_str(), 0, access, out.put());
}

}  // namespace

long Win32Registry::KeyExists(RegRoot root, const std::wstring& key) {
  RegKey k;
  return Open(root, key, KEY_READ, k);
}

long Win32Registry::CreateKey(RegRoot root, const std::wstring& key) {
  RegKey k;
  return RegCreateKeyExW(RootKey(root), key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, k.put(), nullptr);
}

long Win32Registry::ReadValue(RegRoot root, const std::wstring& key, const std::wstring& name, uint32_t maxBytes,
                              RegValue& out) {
  RegKey k;
  if (long e = Open(root, key, KEY_READ, k); e != 0) return e;
  std::vector<uint8_t> data(maxBytes);
  DWORD type = 0, length = maxBytes;
  const LONG e = RegQueryValueExW(k.get(), name.c_str(), nullptr, &type, maxBytes > 0 ? data.data() : nullptr, &length);
  if (e != ERROR_SUCCESS) return e;
  data.resize(length);
  out.name = name;
  out.type = type;
  out.data = std::move(data);
  return 0;
}

long Win32Registry::WriteValue(RegRoot root, const std::wstring& key, const RegValue& value) {
  RegKey k;
  if (long e = Open(root, key, KEY_SET_VALUE, k); e != 0) return e;
  return RegSetValueExW(k.get(), value.name.c_str(), 0, value.type, value.data.data(),
                        static_cast<DWORD>(value.data.size()));
}

long Win32Registry::DeleteValue(RegRoot root, const std::wstring& key, const std::wstring& name) {
  RegKey k;
  if (long e = Open(root, key, KEY_SET_VALUE, k); e != 0) return e;
  return RegDeleteValueW(k.get(), name.c_str());
}

long Win32Registry::EnumValues(RegRoot root, const std::wstring& key, std::vector<RegValue>& out) {
  RegKey k;
  if (long e = Open(root, key, KEY_READ, k); e != 0) return e;
  DWORD count = 0, maxName = 0, maxData = 0;
  if (LONG e = RegQueryInfoKeyW(k.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &maxName,
                                &maxData, nullptr, nullptr);
      e != ERROR_SUCCESS) {
    return e;
  }
  out.clear();
  std::vector<wchar_t> name(maxName + 2);
  std::vector<uint8_t> data(maxData + 2);
  for (DWORD i = 0;; ++i) {
    DWORD nameLength = static_cast<DWORD>(name.size()), dataLength = static_cast<DWORD>(data.size()), type = 0;
    const LONG e = RegEnumValueW(k.get(), i, name.data(), &nameLength, nullptr, &type, data.data(), &dataLength);
    if (e == ERROR_NO_MORE_ITEMS) break;
    if (e != ERROR_SUCCESS) return e;
    out.push_back({std::wstring(name.data(), nameLength), type,
                   std::vector<uint8_t>(data.begin(), data.begin() + dataLength)});
  }
  return 0;
}

long Win32Registry::DeleteTree(RegRoot root, const std::wstring& key) {
  return RegDeleteTreeW(RootKey(root), key.c_str());
}

}  // namespace zel::win32
