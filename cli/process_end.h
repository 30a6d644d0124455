// How a command-line tool ends once its sub-command has returned.
#pragma once

namespace zel::cli {

// Flushes what the process wrote and ends it with `status`. The caches a
// short command fills (parsed files, machine views, texts) go back to the
// system with the process instead of being freed one by one. Sanitizer
// builds end the usual way, so that their leak check runs.
[[noreturn]] void EndProcess(int status);

}  // namespace zel::cli
