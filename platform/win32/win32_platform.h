// The adapters of the Windows build. Each is created once and lives as long
// as the process; Win32Platform() hands out a table with every Windows
// adapter filled in, for a program to install with ScopedPorts at start-up.
#pragma once
#include "platform/platform.h"

namespace zel::win32 {

SystemPort& SystemAdapter();
ProfilePort& ProfileAdapter();

// The port table of a Windows program: the adapters above and those that the
// other Windows adapters add; ports without an adapter stay null.
Platform Win32Platform();

}  // namespace zel::win32
