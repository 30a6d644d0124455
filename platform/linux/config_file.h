// Files the tools share in the user's configuration directory
// ($XDG_CONFIG_HOME/zel, or ~/.config/zel): the drive letters and the
// registry values. Each is replaced whole, and a change (read, alter, write)
// is made under the file's lock, so that two tools running at once never
// lose each other's change and no reader ever sees half a file.
#pragma once
#include <string>

namespace zel::linux_adapters {

// The path of `name` in the configuration directory.
std::string UserConfigFile(const std::string& name);

// Writes `text` to "<file>.new" beside `file`, flushes it to the disk and
// renames it over `file`, making the directory first. A process killed on
// the way leaves the old file whole. False with `error` ("FILE:
// reason") when any step fails; the old file then stays.
bool ReplaceFileWhole(const std::string& file, const std::string& text, std::string& error);

// Holds "<file>.lock" locked (flock, exclusive) for its lifetime; the kernel
// lets it go when the holder dies. Where the lock file cannot be made (a
// directory that is not writable) nothing is held, and the write that
// follows fails on its own.
class ConfigFileLock {
 public:
  explicit ConfigFileLock(const std::string& file);
  ~ConfigFileLock();
  ConfigFileLock(const ConfigFileLock&) = delete;
  ConfigFileLock& operator=(const ConfigFileLock&) = delete;

 private:
  int fd_ = -1;
};

}  // namespace zel::linux_adapters
