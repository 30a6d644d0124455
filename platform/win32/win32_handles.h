// Owners of the system's handles, for the Windows adapters and the programs' framework.
#pragma once
#include <windows.h>

#include <string>
#include <utility>

namespace zel::win32 {

// The one owner of the system's handles: closes what it holds when it goes
// away or is given another. `Traits` says which values hold nothing and how a
// handle is closed.
template <class H, class Traits>
class Owned {
 public:
  Owned() = default;
  explicit Owned(H h) : h_(h) {}
  ~Owned() { reset(); }
  Owned(Owned&& o) noexcept : h_(std::exchange(o.h_, H{})) {}
  Owned& operator=(Owned&& o) noexcept {
    if (this != &o) {
      reset();
      h_ = std::exchange(o.h_, H{});
    }
    return *this;
  }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;

  H get() const { return h_; }
  explicit operator bool() const { return Traits::Valid(h_); }
  H release() { return std::exchange(h_, H{}); }
  void reset(H h = H{}) {
    if (Traits::Valid(h_)) Traits::Close(h_);
    h_ = h;
  }
  // Where a system call that returns the handle through a pointer puts it;
  // whatever was held is closed first.
  H* put() {
    reset();
    return &h_;
  }

 private:
  H h_{};
};

// Kernel objects: files, devices, events, mutexes. Creation calls answer
// failure with null or INVALID_HANDLE_VALUE, depending on the call.
struct KernelHandleTraits {
  static bool Valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { ::CloseHandle(h); }
};
struct FindHandleTraits {
  static bool Valid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(HANDLE h) { ::FindClose(h); }
};
struct RegKeyTraits {
  static bool Valid(HKEY h) { return h != nullptr; }
  static void Close(HKEY h) { ::RegCloseKey(h); }
};
struct GdiObjectTraits {
  static bool Valid(HGDIOBJ h) { return h != nullptr; }
  static void Close(HGDIOBJ h) { ::DeleteObject(h); }
};
struct MenuTraits {
  static bool Valid(HMENU h) { return h != nullptr; }
  static void Close(HMENU h) { ::DestroyMenu(h); }
};
struct IconTraits {
  static bool Valid(HICON h) { return h != nullptr; }
  static void Close(HICON h) { ::DestroyIcon(h); }
};
struct ModuleTraits {
  static bool Valid(HMODULE h) { return h != nullptr; }
  static void Close(HMODULE h) { ::FreeLibrary(h); }
};

using KernelHandle = Owned<HANDLE, KernelHandleTraits>;
using FindHandleOwner = Owned<HANDLE, FindHandleTraits>;
using RegKey = Owned<HKEY, RegKeyTraits>;
using GdiObject = Owned<HGDIOBJ, GdiObjectTraits>;
using MenuHandle = Owned<HMENU, MenuTraits>;
using IconHandle = Owned<HICON, IconTraits>;
using ModuleHandle = Owned<HMODULE, ModuleTraits>;

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
    KernelHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!event) return static_cast<long>(GetLastError());
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
