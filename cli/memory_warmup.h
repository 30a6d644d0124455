// Maps the program's writable data and a first stretch of its heap in a few
// calls at start. A short command touches a few hundred of these pages, and
// on a virtual machine every first touch of a page costs a trap of its own
// that is many times dearer than mapping the same pages up front.
#pragma once

namespace zel::cli {

// Done once, before the program's static constructors where the platform
// allows; later calls do nothing.
void WarmUpProcessMemory();

}  // namespace zel::cli
