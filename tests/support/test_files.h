// Files for tests of the profile and language rules: a throw-away directory,
// files written byte for byte or as UTF-16LE, and the ports of this build.
#pragma once
#include <filesystem>
#include <string>

#include "ports/platform.h"

namespace zel::test {

// A fresh directory under the system's temporary directory, removed with
// everything in it when the object goes away.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // Paths of `name` in the directory in the two forms the ports take.
  std::wstring Wide(const std::string& name) const;
  std::string Narrow(const std::string& name) const;
  // The directory itself, ending with a separator, in both forms.
  std::wstring WideDir() const;
  std::string NarrowDir() const;

  // Writes `bytes` as they are.
  void Write(const std::string& name, const std::string& bytes) const;
  // Writes UTF-8 `text` as UTF-16LE with a byte-order mark.
  void WriteUtf16(const std::string& name, const std::string& text) const;

 private:
  std::filesystem::path dir_;
};

// The ports of the build under test: the POSIX adapters natively, the
// Windows adapters (the system's own functions) in the Windows build.
Platform BuildPlatform();
// The same with `system` in place of the build's system port.
Platform BuildPlatformWith(SystemPort& system);

// True when the Windows build runs under Wine.
bool UnderWine();

}  // namespace zel::test
