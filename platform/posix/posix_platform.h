// The adapters of the POSIX build. Each is created once and lives as long as
// the process; PosixPlatform() hands out a table with every POSIX adapter
// filled in, for a program to install with ScopedPorts at start-up.
#pragma once
#include "ports/platform.h"

namespace zel::posix {

SystemPort& SystemAdapter();
ProfilePort& ProfileAdapter();

// The port table of a POSIX program: the adapters above and those that the
// other POSIX and Linux adapters add; ports without an adapter stay null.
Platform PosixPlatform();

}  // namespace zel::posix
