// The profile reader keeps the parse of an unchanged file between reads. No
// change to the file, however quick or small, may be hidden by it.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/posix/posix_profile.h"

namespace zel::posix {
namespace {

namespace fs = std::filesystem;

class ProfileKept : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("zel-profile-kept-" + std::to_string(getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    path_ = (dir_ / "lang.ini").string();
  }
  void TearDown() override { fs::remove_all(dir_); }

  void Write(const std::string& text) { std::ofstream(path_, std::ios::binary | std::ios::trunc) << text; }
  // Long enough untouched for the reader to keep what it parsed.
  static void StandStill() { std::this_thread::sleep_for(std::chrono::milliseconds(40)); }
  std::string Get(const char* key) {
    char buf[64];
    const uint32_t n = profile_.GetStringA(path_, "Strings", key, "none", buf, sizeof buf);
    return std::string(buf, n);
  }

  fs::path dir_;
  std::string path_;
  PosixProfile profile_;
};

// A file that has stood still is kept; writing it again in place (same size),
// replacing it or removing it is seen at the very next read.
TEST_F(ProfileKept, ChangesToAKeptFileAreSeenAtTheNextRead) {
  Write("[Strings]\nMsg=Foo\n");
  StandStill();
  EXPECT_EQ(Get("Msg"), "Foo");
  EXPECT_EQ(Get("Msg"), "Foo");

  Write("[Strings]\nMsg=Bar\n");
  EXPECT_EQ(Get("Msg"), "Bar");
  StandStill();
  EXPECT_EQ(Get("Msg"), "Bar");
  EXPECT_EQ(Get("Msg"), "Bar");

  // Replaced by another file of the same size and modification time.
  const std::string other = (dir_ / "other.ini").string();
  std::ofstream(other, std::ios::binary) << "[Strings]\nMsg=Baz\n";
  fs::last_write_time(other, fs::last_write_time(path_));
  fs::rename(other, path_);
  EXPECT_EQ(Get("Msg"), "Baz");
  StandStill();
  EXPECT_EQ(Get("Msg"), "Baz");

  fs::remove(path_);
  EXPECT_EQ(Get("Msg"), "none");
  Write("[Strings]\nOther=1\n");
  EXPECT_EQ(Get("Msg"), "none");
  EXPECT_EQ(Get("Other"), "1");
}

// The reads of one text lookup see one version of the file, however it
// changes in between (here it appears, changes and goes); the next lookup,
// and another thread meanwhile, see the file as it is.
TEST_F(ProfileKept, ALookupSeesOneVersionOfTheFile) {
  {
    ProfileLookup lookup(&profile_);
    EXPECT_EQ(Get("Msg"), "none");
    Write("[Strings]\nMsg=Foo\n");
    EXPECT_EQ(Get("Msg"), "none");
  }
  {
    ProfileLookup lookup(&profile_);
    EXPECT_EQ(Get("Msg"), "Foo");
    {
      ProfileLookup inner(&profile_);  // nested: still the same lookup
      Write("[Strings]\nMsg=Longer\n");
      EXPECT_EQ(Get("Msg"), "Foo");
    }
    EXPECT_EQ(Get("Msg"), "Foo");
    std::string elsewhere;
    std::thread([&] { elsewhere = Get("Msg"); }).join();
    EXPECT_EQ(elsewhere, "Longer");
    fs::remove(path_);
    EXPECT_EQ(Get("Msg"), "Foo");
  }
  EXPECT_EQ(Get("Msg"), "none");
}

// Several files read in turn each answer from their own text.
TEST_F(ProfileKept, FilesReadInTurnKeepTheirOwnTexts) {
  std::vector<std::string> paths;
  for (int i = 0; i < 12; ++i) {
    paths.push_back((dir_ / ("f" + std::to_string(i) + ".ini")).string());
    std::ofstream(paths.back(), std::ios::binary) << "[Strings]\nMsg=v" << i << "\n";
  }
  StandStill();
  for (int round = 0; round < 2; ++round) {
    for (int i = 0; i < 12; ++i) {
      char buf[16];
      const uint32_t n = profile_.GetStringA(paths[i], "Strings", "Msg", "", buf, sizeof buf);
      EXPECT_EQ(std::string(buf, n), "v" + std::to_string(i));
    }
  }
}

}  // namespace
}  // namespace zel::posix
