// Maps the program's code and a first stretch of its heap in two calls at
// start. A short command touches a few hundred pages of each, and on a
// virtual machine every first touch of a page costs a trap of its own that
// is many times dearer than mapping the same pages up front.
#pragma once

namespace zel::cli {

// Done once, before the program's static constructors where the platform
// allows; later calls do nothing.
void WarmUpProcessMemory();

}  // namespace zel::cli
