// The simulated machine's state lock: changes made by several writers at once
// all arrive, a lock file left by a dead process does not stop the machine,
// and taking the lock again on the same thread does not wait for itself.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>
#include <vector>

#include "platform/sim/state_file.h"

namespace zel::sim {
namespace {
namespace fs = std::filesystem;

struct StateLockTest : ::testing::Test {
  fs::path dir;
  void SetUp() override {
    dir = fs::temp_directory_path() / ("zel-lock-" + std::to_string(std::random_device{}()));
    fs::create_directories(dir);
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
  std::string Counter() const { return (dir / "counter").string(); }
};

TEST_F(StateLockTest, ConcurrentReadChangeWriteLosesNothing) {
  constexpr int kThreads = 4, kRounds = 60;
  WriteKeyValues(Counter(), {{"n", "0"}});
  std::vector<std::thread> writers;
  for (int t = 0; t < kThreads; ++t) {
    writers.emplace_back([&] {
      for (int i = 0; i < kRounds; ++i) {
        StateLock lock(dir.string());
        ASSERT_TRUE(lock.Held());
        KeyValues kv;
        ReadKeyValues(Counter(), kv);
        std::this_thread::yield();  // widens the window a missing lock would leave open
        kv["n"] = std::to_string(ParseNumber(kv["n"], 0) + 1);
        WriteKeyValues(Counter(), kv);
      }
    });
  }
  for (std::thread& w : writers) w.join();
  KeyValues kv;
  ReadKeyValues(Counter(), kv);
  EXPECT_EQ(ParseNumber(kv["n"], 0), static_cast<uint64_t>(kThreads * kRounds));
  EXPECT_FALSE(fs::exists(dir / "state.lock"));
}

TEST_F(StateLockTest, AStaleLockIsBrokenAndANestedOneIsFree) {
  { std::ofstream(dir / "state.lock") << ""; }
  fs::last_write_time(dir / "state.lock", fs::file_time_type::clock::now() - std::chrono::minutes(1));
  const auto start = std::chrono::steady_clock::now();
  {
    StateLock outer(dir.string());
    EXPECT_TRUE(outer.Held());
    {
      StateLock inner(dir.string());
      EXPECT_TRUE(inner.Held());
    }
    EXPECT_TRUE(fs::exists(dir / "state.lock"));  // the inner one leaves the outer's file
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  EXPECT_FALSE(fs::exists(dir / "state.lock"));
}

TEST_F(StateLockTest, AMachineDirectoryThatIsGoneDoesNotHang) {
  StateLock lock((dir / "gone").string());
  EXPECT_FALSE(lock.Held());
}

}  // namespace
}  // namespace zel::sim
