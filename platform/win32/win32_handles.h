// Owners of the system's handles in the Windows adapters.
#pragma once
#include <windows.h>

#include <string>

namespace zel::win32 {

class FileHandle {
 public:
  explicit FileHandle(HANDLE h) : h_(h) {}
  ~FileHandle() {
    if (ok()) CloseHandle(h_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  bool ok() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
  HANDLE get() const { return h_; }

 private:
  HANDLE h_;
};

class RegKey {
 public:
  RegKey() = default;
  ~RegKey() {
    if (h_ != nullptr) RegCloseKey(h_);
  }
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;
  HKEY* put() { return &h_; }
  HKEY get() const { return h_; }

 private:
  HKEY h_ = nullptr;
};

// Opens a device path for one request: read and write access, read and
// write sharing, existing only, overlapped when asked.
inline HANDLE OpenDevice(const std::wstring& path, bool overlapped) {
  return CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                     OPEN_EXISTING, overlapped ? FILE_FLAG_OVERLAPPED : 0, nullptr);
}

// One device control call, completed before it returns (a handle opened
// overlapped is waited on). 0 or the system error code.
inline long Control(HANDLE h, bool overlapped, DWORD code, void* in, DWORD inLength, void* out, DWORD outLength,
                    DWORD* returned = nullptr) {
  DWORD bytes = 0;
  if (!overlapped) {
    if (!DeviceIoControl(h, code, in, inLength, out, outLength, &bytes, nullptr)) return static_cast<long>(GetLastError());
  } else {
    OVERLAPPED ov{};
    FileHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!event.ok()) return static_cast<long>(GetLastError());
    ov.hEvent = event.get();
    if (!DeviceIoControl(h, code, in, inLength, out, outLength, &bytes, &ov)) {
      const DWORD error = GetLastError();
      if (error != ERROR_IO_PENDING) return static_cast<long>(error);
      if (!GetOverlappedResult(h, &ov, &bytes, TRUE)) return static_cast<long>(GetLastError());
    }
  }
  if (returned != nullptr) *returned = bytes;
  return 0;
}

}  // namespace zel::win32
