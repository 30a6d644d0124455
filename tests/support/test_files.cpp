#include "tests/support/test_files.h"

#include <chrono>
#include <fstream>
#include <random>

#include "common/text.h"

#ifdef _WIN32
#include "platform/win32/win32_platform.h"
#else
#include "platform/posix/posix_platform.h"
#endif

namespace zel::test {

TempDir::TempDir() {
  std::random_device rd;
  std::mt19937_64 gen(rd() ^ static_cast<uint64_t>(
                                  std::chrono::steady_clock::now().time_since_epoch().count()));
  for (;;) {
    dir_ = std::filesystem::temp_directory_path() /
           ("zel-test-" + std::to_string(gen() % 1000000000));
    if (std::filesystem::create_directory(dir_)) break;
  }
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(dir_, ec);
}

std::wstring TempDir::Wide(const std::string& name) const {
#ifdef _WIN32
  return (dir_ / name).wstring();
#else
  return Utf8ToWide((dir_ / name).string());
#endif
}

std::string TempDir::Narrow(const std::string& name) const { return (dir_ / name).string(); }

std::wstring TempDir::WideDir() const {
  std::wstring w = Wide("x");
  return w.substr(0, w.size() - 1);
}

std::string TempDir::NarrowDir() const {
  std::string n = Narrow("x");
  return n.substr(0, n.size() - 1);
}

void TempDir::Write(const std::string& name, const std::string& bytes) const {
  std::ofstream out(dir_ / name, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void TempDir::WriteUtf16(const std::string& name, const std::string& text) const {
  std::string bytes = "\xFF\xFE";
  for (char16_t u : WideToUtf16(Utf8ToWide(text))) {
    bytes.push_back(static_cast<char>(u & 0xFF));
    bytes.push_back(static_cast<char>(u >> 8));
  }
  Write(name, bytes);
}

Platform BuildPlatform() {
#ifdef _WIN32
  return win32::Win32Platform();
#else
  return posix::PosixPlatform();
#endif
}

Platform BuildPlatformWith(SystemPort& system) {
  Platform p = BuildPlatform();
  p.system = &system;
  return p;
}

bool UnderWine() {
#ifdef _WIN32
  return win32::RunningUnderWine();
#else
  return false;
#endif
}

}  // namespace zel::test
