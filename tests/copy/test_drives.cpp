#include "tests/copy/test_drives.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <vector>

#ifdef _WIN32
#include "platform/win32/file_system_win32.h"
#else
#include "platform/posix/file_system_posix.h"
#endif

namespace zel::test {
namespace {

std::filesystem::path FreshDirectory(const char* tag) {
  std::random_device rd;
  auto base = std::filesystem::temp_directory_path();
  for (;;) {
    auto p = base / (std::string("zel-") + tag + "-" + std::to_string(rd()));
    if (std::filesystem::create_directory(p)) return p;
  }
}

#ifdef _WIN32
// Everything under a mapped drive's root is removed, read-only files at any
// depth included (the system refuses to delete those), so that one run's
// files never show up in the next. False when the drive is not mapped.
bool EmptyDrive(const std::wstring& root) {
  std::error_code ec;
  if (!std::filesystem::is_directory(root, ec)) return false;
  for (auto& e : std::filesystem::recursive_directory_iterator(root, ec)) {
    std::filesystem::permissions(e.path(), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add, ec);
  }
  std::vector<std::filesystem::path> entries;
  for (auto& e : std::filesystem::directory_iterator(root, ec)) entries.push_back(e.path());
  for (const auto& p : entries) {
    std::error_code removeError;
    std::filesystem::remove_all(p, removeError);
    if (removeError) ADD_FAILURE() << p.string() << ": " << removeError.message();
  }
  for (auto& e : std::filesystem::directory_iterator(root, ec)) {
    ADD_FAILURE() << "left over on the test drive: " << e.path().string();
  }
  return true;
}
#endif

}  // namespace

uint64_t TimeAt(int64_t seconds) {
  const uint64_t k2020 = 132223104000000000ULL;  // 1 January 2020 as a FILETIME
  return k2020 + static_cast<uint64_t>(seconds) * 10000000ULL;
}

TestDrives::TestDrives() {
  previousCwd_ = std::filesystem::current_path();
  work_ = FreshDirectory("copy");
  std::filesystem::create_directory(work_ / "cwd");
  std::filesystem::current_path(work_ / "cwd");
#ifdef _WIN32
  files_ = std::make_unique<Win32FileSystem>();
  ready_ = EmptyDrive(L"M:\\") && EmptyDrive(L"N:\\");
#else
  std::filesystem::create_directory(work_ / "m");
  std::filesystem::create_directory(work_ / "n");
  files_ = std::make_unique<PosixFileSystem>(
      std::map<wchar_t, std::string>{{L'M', (work_ / "m").string()}, {L'N', (work_ / "n").string()}});
#endif
}

TestDrives::~TestDrives() {
  std::error_code ec;
  std::filesystem::current_path(previousCwd_, ec);
  for (auto& e : std::filesystem::recursive_directory_iterator(work_, ec)) {
    std::filesystem::permissions(e.path(), std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
  }
  std::filesystem::remove_all(work_, ec);
}

bool TestDrives::LimitFreeSpace(uint64_t bytes) {
#ifdef _WIN32
  (void)bytes;
  return false;
#else
  static_cast<PosixFileSystem&>(*files_).SetFreeSpaceLimit(L'N', bytes);
  return true;
#endif
}

void TestDrives::Dir(const std::wstring& path) {
  long r = files_->CreateDirectory(path);
  ASSERT_TRUE(r == kErrorSuccess || r == kErrorAlreadyExists) << r;
}

void TestDrives::File(const std::wstring& path, const std::string& contents, uint64_t lastWriteTime) {
  ASSERT_EQ(files_->WriteFile(path, std::vector<uint8_t>(contents.begin(), contents.end())), kErrorSuccess);
  if (lastWriteTime != 0) {
    ASSERT_EQ(files_->SetLastWriteTime(path, lastWriteTime), kErrorSuccess);
  }
}

std::string TestDrives::Read(const std::wstring& path) {
  std::vector<uint8_t> bytes;
  EXPECT_EQ(files_->ReadFile(path, 1 << 24, bytes), kErrorSuccess);
  return std::string(bytes.begin(), bytes.end());
}

bool TestDrives::Exists(const std::wstring& path) { return files_->GetAttributes(path) != kInvalidAttributes; }

uint32_t TestDrives::Attributes(const std::wstring& path) { return files_->GetAttributes(path); }

uint64_t TestDrives::LastWriteTime(const std::wstring& path) {
  FindData d;
  long error = 0;
  EXPECT_TRUE(files_->FindFirst(path, d, error, FindAttributes::kAll) != nullptr) << error;
  return d.lastWriteTime;
}

std::vector<std::wstring> TestDrives::List(const std::wstring& dir) {
  std::vector<std::wstring> names;
  FindData d;
  long error = 0;
  auto find = files_->FindFirst(dir + L"\\*", d, error, FindAttributes::kAll);
  if (!find) return names;
  do {
    if (d.name != L"." && d.name != L"..") names.push_back(d.name);
  } while (find->Next(d) == kErrorSuccess);
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace zel::test
