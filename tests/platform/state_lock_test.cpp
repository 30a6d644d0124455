// The simulated machine's state lock: changes made by several writers at once
// all arrive, a lock file left by a dead process does not stop the machine,
// and taking the lock again on the same thread does not wait for itself.
// Replacing a file whole holds even for writers that take no lock.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <thread>
#include <vector>

#include "platform/sim/state_file.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

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

// Writers that replace one file at once, without the lock, while it is read:
// every read and the end give one writer's whole text, never a mix or a cut
// one, and no temporary file stays behind. (Windows refuses to replace a file
// that another process holds open, so there a reader that never stops holds
// the writers off; the machine's readers there read and let go.)
#ifndef _WIN32
TEST_F(StateLockTest, FilesReplacedByWritersAtOnceAreAlwaysWhole) {
  constexpr int kWriters = 4, kRounds = 150;
  const std::string path = (dir / "shared.state").string();
  std::vector<std::string> texts;
  for (int t = 0; t < kWriters; ++t) texts.push_back(std::string(90 + 61 * t, static_cast<char>('a' + t)) + "\n");
  ASSERT_TRUE(WriteTextFileAtomically(path, texts[0]));
  const auto whole = [&](const std::string& text) {
    return std::find(texts.begin(), texts.end(), text) != texts.end();
  };
  std::atomic<bool> writing{true};
  std::atomic<int> badReads{0}, failedWrites{0};
  std::thread reader([&] {
    while (writing) {
      std::string text;
      if (!ReadTextFile(path, text) || !whole(text)) ++badReads;
    }
  });
  std::vector<std::thread> writers;
  for (int t = 0; t < kWriters; ++t) {
    writers.emplace_back([&, t] {
      for (int i = 0; i < kRounds; ++i) {
        if (!WriteTextFileAtomically(path, texts[(t + i) % kWriters])) ++failedWrites;
      }
    });
  }
  for (std::thread& w : writers) w.join();
  writing = false;
  reader.join();
  EXPECT_EQ(failedWrites, 0);
  EXPECT_EQ(badReads, 0);
  std::string last;
  ASSERT_TRUE(ReadTextFile(path, last));
  EXPECT_TRUE(whole(last));
  for (const auto& entry : fs::directory_iterator(dir)) {
    EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << entry.path();
  }
}
#endif

#ifndef _WIN32
// A spare that another writer has claimed (holds locked) is left to it: the
// replacement goes into the other spare, or into a new file when that one
// is claimed too, and the claimed spares keep what they held.
TEST_F(StateLockTest, ASpareClaimedByAnotherWriterIsNotWrittenInto) {
  const std::string path = (dir / "claimed.state").string();
  for (const char* text : {"one\n", "two\n", "three\n"}) ASSERT_TRUE(WriteTextFileAtomically(path, text));
  std::this_thread::sleep_for(std::chrono::milliseconds(30));  // rested, whatever the host's file times
  const auto holdLocked = [](const std::string& name) {
    const int fd = open(name.c_str(), O_RDONLY | O_CLOEXEC);
    EXPECT_GE(fd, 0) << name;
    EXPECT_EQ(flock(fd, LOCK_EX | LOCK_NB), 0) << name;
    return fd;
  };
  const auto textOf = [](const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  const std::string spare = path + ".spare", spare2 = path + ".spare2";
  const std::string spareText = textOf(spare);
  ASSERT_FALSE(spareText.empty());

  const int first = holdLocked(spare);
  ASSERT_TRUE(WriteTextFileAtomically(path, "four\n"));
  EXPECT_EQ(textOf(spare), spareText) << "the claimed spare was written into";
  std::string text;
  ASSERT_TRUE(ReadTextFile(path, text));
  EXPECT_EQ(text, "four\n");

  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  const std::string secondText = textOf(spare2);  // the text "four" replaced
  ASSERT_FALSE(secondText.empty());
  const int second = holdLocked(spare2);
  ASSERT_TRUE(WriteTextFileAtomically(path, "five\n"));
  EXPECT_EQ(textOf(spare), spareText);
  EXPECT_EQ(textOf(spare2), secondText) << "the second claimed spare was written into";
  ASSERT_TRUE(ReadTextFile(path, text));
  EXPECT_EQ(text, "five\n");
  close(first);
  close(second);
}
#endif

// A file replaced after a pause may be written over the text it had two
// replacements ago: the new text must stand alone, however long the old was.
TEST_F(StateLockTest, AShorterTextWrittenOverAnOldOneLeavesNothingOfIt) {
  const std::string path = (dir / "paused.state").string();
  const std::string longText(300, 'L'), middle = "button=0xFF\nplugged=1\n", shortText = "n=1\n";
  ASSERT_TRUE(WriteTextFileAtomically(path, longText));
  ASSERT_TRUE(WriteTextFileAtomically(path, middle));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  ASSERT_TRUE(WriteTextFileAtomically(path, shortText));
  std::string text;
  ASSERT_TRUE(ReadTextFile(path, text));
  EXPECT_EQ(text, shortText);
  ASSERT_TRUE(WriteTextFileAtomically(path, middle));
  ASSERT_TRUE(ReadTextFile(path, text));
  EXPECT_EQ(text, middle);
}

#ifndef _WIN32
// A holder that died while it held the lock taken by linking leaves the file
// under both names: it is broken once it is stale, like one made afresh,
// however often waiters try for it. A second name that is no lock at all
// does not hold anyone off.
TEST_F(StateLockTest, ALockFileUnderTwoNamesDoesNotHoldTheLockOff) {
  { StateLock first(dir.string()); }  // leaves the let-go file for the next
  const fs::path lock = dir / "state.lock";
  ASSERT_FALSE(fs::exists(lock));
  std::vector<fs::path> others;
  for (const auto& entry : fs::directory_iterator(dir)) others.push_back(entry.path());
  ASSERT_EQ(others.size(), 1u);
  ASSERT_EQ(link(others[0].c_str(), lock.c_str()), 0);
  fs::last_write_time(lock, fs::file_time_type::clock::now() - std::chrono::minutes(1));
  const auto start = std::chrono::steady_clock::now();
  {
    StateLock taken(dir.string());
    EXPECT_TRUE(taken.Held());
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  EXPECT_FALSE(fs::exists(lock));

  // The let-go file linked from elsewhere too, as a copy of the machine made
  // with hard links leaves it: the lock is still free to take at once.
  ASSERT_EQ(link(others[0].c_str(), (dir / "copied").c_str()), 0);
  const auto again = std::chrono::steady_clock::now();
  {
    StateLock taken(dir.string());
    EXPECT_TRUE(taken.Held());
    EXPECT_TRUE(fs::exists(lock));
  }
  EXPECT_LT(std::chrono::steady_clock::now() - again, std::chrono::seconds(2));
  EXPECT_FALSE(fs::exists(lock));
}
#endif

// A lock file made by a holder that does not keep it for the next (a
// Windows program) is waited for, even with one let go of lying beside it.
TEST_F(StateLockTest, AHeldLockIsWaitedForBesideAFreedOne) {
  { StateLock first(dir.string()); }
  { std::ofstream(dir / "state.lock") << ""; }
  std::atomic<bool> taken{false};
  std::thread waiter([&] {
    StateLock lock(dir.string());
    taken = lock.Held();
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_FALSE(taken);
  fs::remove(dir / "state.lock");
  waiter.join();
  EXPECT_TRUE(taken);
  EXPECT_FALSE(fs::exists(dir / "state.lock"));
}

TEST_F(StateLockTest, AMachineDirectoryThatIsGoneDoesNotHang) {
  StateLock lock((dir / "gone").string());
  EXPECT_FALSE(lock.Held());
}

}  // namespace
}  // namespace zel::sim
