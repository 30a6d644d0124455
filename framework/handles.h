// RAII owners for the system handles the programs keep.
#pragma once
#include <windows.h>

#include <utility>

namespace zel::fw {

template <class H, class Closer>
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
  explicit operator bool() const { return h_ != H{}; }
  H release() { return std::exchange(h_, H{}); }
  void reset(H h = H{}) {
    if (h_ != H{}) Closer()(h_);
    h_ = h;
  }

 private:
  H h_{};
};

struct CloseKernelHandle {
  void operator()(HANDLE h) const { ::CloseHandle(h); }
};
struct DeleteGdiObject {
  void operator()(HGDIOBJ h) const { ::DeleteObject(h); }
};
struct DestroyMenuHandle {
  void operator()(HMENU h) const { ::DestroyMenu(h); }
};
struct DestroyIconHandle {
  void operator()(HICON h) const { ::DestroyIcon(h); }
};
struct FreeModule {
  void operator()(HMODULE h) const { ::FreeLibrary(h); }
};

using KernelHandle = Owned<HANDLE, CloseKernelHandle>;
using GdiObject = Owned<HGDIOBJ, DeleteGdiObject>;
using MenuHandle = Owned<HMENU, DestroyMenuHandle>;
using IconHandle = Owned<HICON, DestroyIconHandle>;
using ModuleHandle = Owned<HMODULE, FreeModule>;

// A named mutex of the program's single-instance guards. `existed` tells
// whether another holder had made it first.
struct NamedMutex {
  KernelHandle handle;
  bool existed = false;
};
NamedMutex CreateNamedMutex(const wchar_t* name, bool initiallyOwned);

}  // namespace zel::fw
