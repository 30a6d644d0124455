// A machine for the setup rules: drive C: is a throw-away host directory, the
// registry a file beside it, and the running programs, shell folders and
// shortcut files a small host of the test's own.
#pragma once
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <string>

#include "platform/posix/file_system_posix.h"
#include "platform/posix/posix_profile.h"
#include "platform/sim/sim_ports.h"
#include "setup/setup_steps.h"
#include "tests/support/test_files.h"

namespace zel::setup::test {

inline std::string Utf8(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) out.push_back(static_cast<char>(c));  // the tests use ASCII paths
  return out;
}

// The host's file system seen through drive C:, reporting a host symbolic
// link the way the system reports a junction (reparse point), and failing
// the copy of any file whose name is in `failCopies`.
class TestFiles : public PosixFileSystem {
 public:
  explicit TestFiles(const std::string& cDrive) : PosixFileSystem({{L'C', cDrive}}) {}
  std::set<std::wstring> failCopies;

  std::unique_ptr<FindHandle> FindFirst(const std::wstring& pattern, FindData& first, long& error,
                                        FindAttributes wanted, DotEntries dots = DotEntries::kListed) override {
    auto find = PosixFileSystem::FindFirst(pattern, first, error, wanted, dots);
    if (!find) return find;
    const std::wstring dir = pattern.substr(0, pattern.rfind(L'\\') + 1);
    MarkLink(dir + first.name, first);
    return std::make_unique<Marked>(std::move(find), dir, *this);
  }
  uint32_t GetAttributes(const std::wstring& path) override {
    uint32_t attributes = PosixFileSystem::GetAttributes(path);
    if (attributes != kInvalidAttributes && IsLink(path)) attributes |= 0x400;
    return attributes;
  }
  long CopyFile(const std::wstring& from, const std::wstring& to, bool failIfExists, TargetName naming) override {
    if (failCopies.count(from.substr(from.rfind(L'\\') + 1))) return kErrorDiskFull;
    return PosixFileSystem::CopyFile(from, to, failIfExists, naming);
  }
  bool IsLink(const std::wstring& path) {
    std::string host;
    struct stat st {};
    return HostPath(path, host) && lstat(host.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
  }

 private:
  void MarkLink(const std::wstring& path, FindData& entry) {
    if (IsLink(path)) entry.attributes |= 0x400;
  }
  struct Marked : FindHandle {
    Marked(std::unique_ptr<FindHandle> inner, std::wstring dir, TestFiles& files)
        : inner(std::move(inner)), dir(std::move(dir)), files(files) {}
    long Next(FindData& out) override {
      const long e = inner->Next(out);
      if (e == 0) files.MarkLink(dir + out.name, out);
      return e;
    }
    std::unique_ptr<FindHandle> inner;
    std::wstring dir;
    TestFiles& files;
  };
};

// The profile functions on Windows-form paths of drive C:.
class TestProfile : public ProfilePort {
 public:
  explicit TestProfile(TestFiles& files) : files_(files) {}
  uint32_t GetStringW(const std::wstring& file, const wchar_t* section, const wchar_t* key, const wchar_t* def,
                      wchar_t* buf, uint32_t size) override {
    return host_.GetStringW(Host(file), section, key, def, buf, size);
  }
  uint32_t GetStringA(const std::string& file, const char* section, const char* key, const char* def, char* buf,
                      uint32_t size) override {
    return host_.GetStringA(file, section, key, def, buf, size);
  }
  int32_t GetIntW(const std::wstring& file, const wchar_t* section, const wchar_t* key, int32_t def) override {
    return host_.GetIntW(Host(file), section, key, def);
  }
  int32_t GetIntA(const std::string& file, const char* section, const char* key, int32_t def) override {
    return host_.GetIntA(file, section, key, def);
  }
  bool FileExistsW(const std::wstring& path) override { return host_.FileExistsW(Host(path)); }
  bool FileExistsA(const std::string& path) override { return host_.FileExistsA(path); }

 private:
  std::wstring Host(const std::wstring& file) {
    std::string host;
    if (!files_.HostPath(file, host)) host = "/nonexistent";
    return std::wstring(host.begin(), host.end());
  }
  TestFiles& files_;
  posix::PosixProfile host_;
};

// A running program: its window title and how many Exit commands it takes
// before it closes (-1: never).
struct TestProgram {
  int exitsToClose = 1;
  int exitsSeen = 0;
};

class TestHost : public SetupHost {
 public:
  explicit TestHost(TestFiles& files) : files_(files) {}
  std::map<std::wstring, TestProgram> windows;
  std::map<Folder, std::wstring> folders{
      {Folder::ProgramFiles, L"C:\\Program Files"},
      {Folder::CommonPrograms, L"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs"},
      {Folder::UserPrograms, L"C:\\users\\tester\\Start Menu\\Programs"}};
  std::function<LinkOutcome(const LinkRequest&)> linkOutcome;  // unset: every step succeeds

  bool ProgramWindowExists(const std::wstring& title) override { return windows.count(title) != 0; }
  void SendExit(const std::wstring& title) override {
    auto it = windows.find(title);
    if (it == windows.end()) return;
    if (++it->second.exitsSeen == it->second.exitsToClose) windows.erase(it);
  }
  void Pause(unsigned) override { ++pauses; }
  long SpecialFolder(Folder folder, std::wstring& path) override {
    auto it = folders.find(folder);
    if (it == folders.end()) return 2;
    path = it->second;
    return 0;
  }
  std::wstring WindowsDirectory() override { return L"C:\\windows"; }
  long RemoveDirectory(const std::wstring& path) override {
    std::string host;
    if (!files_.HostPath(path, host)) return 3;
    if (files_.IsLink(path)) return unlink(host.c_str()) == 0 ? 0 : 5;
    return rmdir(host.c_str()) == 0 ? 0 : 145;
  }
  // The shortcut file holds its fields, one a line, so a test can read it back.
  LinkOutcome WriteShortcut(const LinkRequest& r) override {
    LinkOutcome o = linkOutcome ? linkOutcome(r) : LinkOutcome{};
    if (o.createObject || o.fileInterface || o.save) return o;
    std::string host;
    if (!files_.HostPath(r.file, host)) return LinkOutcome{.save = 3};
    std::ofstream(host) << Utf8(r.target) << "\n" << Utf8(r.workDir) << "\n" << Utf8(r.arguments) << "\n"
                        << Utf8(r.description) << "\n";
    return o;
  }
  int pauses = 0;

 private:
  TestFiles& files_;
};

}  // namespace zel::setup::test
