// The adapters of the Windows build. Each is created once and lives as long
// as the process; Win32Platform() hands out a table with every Windows
// adapter filled in, for a program to install with ScopedPorts at start-up.
#pragma once
#include "ports/platform.h"

namespace zel::win32 {

SystemPort& SystemAdapter();
ProfilePort& ProfileAdapter();

// The port table of a Windows program: the adapters above and those that the
// other Windows adapters add; ports without an adapter stay null.
Platform Win32Platform();

// True when the program runs under Wine rather than Windows (Wine's ntdll
// exports wine_get_version). Tests use it where Wine's profile functions
// are known to differ from the system's.
bool RunningUnderWine();

}  // namespace zel::win32
