// How the command-line tools' heap behaves: one arena for all threads, and
// growth in steps of a quarter megabyte.
#pragma once

namespace zel::cli {

// Done once, before the program's static constructors where the platform
// allows; later calls do nothing.
void SetUpHeap();

}  // namespace zel::cli
