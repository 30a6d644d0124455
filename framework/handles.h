// RAII owners for the system handles the programs keep.
#pragma once
#include <windows.h>

#include "platform/win32/win32_handles.h"

namespace zel::fw {

using win32::GdiObject;
using win32::IconHandle;
using win32::KernelHandle;
using win32::MenuHandle;
using win32::ModuleHandle;

// A named mutex of the program's single-instance guards. `existed` tells
// whether another holder had made it first.
struct NamedMutex {
  KernelHandle handle;
  bool existed = false;
};
NamedMutex CreateNamedMutex(const wchar_t* name, bool initiallyOwned);

}  // namespace zel::fw
