// What the simulated machine keeps between calls: each volume's byte count
// between free-space answers, the text of its state files and its open disk
// images. None of it may hide a change another process makes.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "common/vendor_protocol.h"
#include "platform/sim/bridge.h"
#include "platform/sim/image_io.h"
#include "platform/sim/machine.h"
#include "platform/sim/machine_builder.h"
#include "platform/sim/machine_watch.h"
#include "platform/sim/state_file.h"
#include "platform/sim/view.h"

namespace zel {
namespace {

namespace fs = std::filesystem;

class UsedBytesKept : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("zel-used-bytes-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                         "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    volume_ = root_ / "E";
    keep_ = (root_ / "used-E.txt").string();
    for (const char* d : {"a", "a/b", "c"}) fs::create_directories(volume_ / d);
    Put("a/one.bin", 100);
    Put("a/b/two.bin", 20);
    Put("c/three.bin", 3);
  }
  void TearDown() override { fs::remove_all(root_); }

  void Put(const std::string& name, size_t bytes) {
    std::ofstream(volume_ / name, std::ios::binary) << std::string(bytes, 'x');
  }
  // Every directory's time an hour back, as if the tree had been left alone.
  void Settle() {
    const auto past = fs::file_time_type::clock::now() - std::chrono::hours(1);
    fs::last_write_time(volume_, past);
    for (const auto& e : fs::recursive_directory_iterator(volume_)) {
      if (e.is_directory()) fs::last_write_time(e.path(), past);
    }
  }
  uint64_t Used() { return sim::UsedBytes(volume_.string(), keep_); }

  fs::path root_, volume_;
  std::string keep_;
};

TEST_F(UsedBytesKept, AFreshlyChangedTreeIsCountedButItsCountNotKept) {
  EXPECT_EQ(Used(), 123u);
  EXPECT_FALSE(fs::exists(keep_));
}

// Once kept, every change of names anywhere in the tree is seen at the next answer.
TEST_F(UsedBytesKept, AddedRemovedAndRenamedFilesMoveTheCount) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows hosts count a volume afresh for every answer";
#endif
  Settle();
  EXPECT_EQ(Used(), 123u);
  ASSERT_TRUE(fs::exists(keep_));
  EXPECT_EQ(Used(), 123u);

  Put("a/b/four.bin", 4000);
  EXPECT_EQ(Used(), 4123u);
  Settle();
  EXPECT_EQ(Used(), 4123u);
  fs::remove(volume_ / "a" / "one.bin");
  EXPECT_EQ(Used(), 4023u);
  Settle();
  EXPECT_EQ(Used(), 4023u);
  // A whole file renamed over a smaller one, the way every copy lands.
  Put("c/new.tmp", 50);
  Settle();
  EXPECT_EQ(Used(), 4073u);
  fs::rename(volume_ / "c" / "new.tmp", volume_ / "c" / "three.bin");
  EXPECT_EQ(Used(), 4070u);
  fs::create_directories(volume_ / "c" / "d" / "e");
  Settle();
  EXPECT_EQ(Used(), 4070u);
  Put("c/d/e/deep.bin", 7);
  EXPECT_EQ(Used(), 4077u);

  // The kept count stands while no name changes: a file grown in place is
  // seen with the next change in its directory.
  Settle();
  EXPECT_EQ(Used(), 4077u);
  Put("c/d/e/deep.bin", 1007);
  EXPECT_EQ(Used(), 4077u);
  Put("c/d/e/more.bin", 1);
  EXPECT_EQ(Used(), 5078u);
}

// A count kept for another directory, or a damaged file, is never taken.
TEST_F(UsedBytesKept, ACountOfAnotherTreeOrABrokenFileIsNotTaken) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows hosts count a volume afresh for every answer";
#endif
  Settle();
  ASSERT_EQ(Used(), 123u);
  sim::KeyValues kept;
  ASSERT_TRUE(sim::ReadKeyValues(keep_, kept));
  kept["bytes"] = "999";
  kept["dir"] = (root_ / "other").string();
  ASSERT_TRUE(sim::WriteKeyValues(keep_, kept));
  EXPECT_EQ(Used(), 123u);
  std::ofstream(keep_, std::ios::trunc) << "bytes=5\n";
  EXPECT_EQ(Used(), 123u);
  EXPECT_EQ(sim::FreeBytes(1000, volume_.string(), keep_), 877u);
  EXPECT_EQ(sim::FreeBytes(100, volume_.string(), keep_), 0u);
}

// The kept count lists its directories by name; names with the characters
// its file uses for itself are found again, and a listed directory that is
// gone makes the tree be counted afresh.
TEST_F(UsedBytesKept, DirectoriesWithAnyNameKeepTheCountAndItsChecks) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows hosts count a volume afresh for every answer";
#endif
  for (const char* d : {"x|y", "50%", "line\nbreak", "k=v", "a/b/%7C"}) fs::create_directories(volume_ / d);
  Put("x|y/1.bin", 1000);
  Put("50%/2.bin", 2000);
  Put("line\nbreak/3.bin", 3000);
  Put("a/b/%7C/4.bin", 4000);
  Settle();
  EXPECT_EQ(Used(), 10123u);
  ASSERT_TRUE(fs::exists(keep_));
  // Grown in place: no name moved, so the kept count is the one answered.
  Put("line\nbreak/3.bin", 3500);
  EXPECT_EQ(Used(), 10123u);
  Put("line\nbreak/more.bin", 10);
  EXPECT_EQ(Used(), 10633u);
  Settle();
  EXPECT_EQ(Used(), 10633u);
  Put("a/b/%7C/4.bin", 4100);
  EXPECT_EQ(Used(), 10633u);
  Put("a/b/%7C/five.bin", 5);
  EXPECT_EQ(Used(), 10738u);
  Settle();
  EXPECT_EQ(Used(), 10738u);
  fs::remove_all(volume_ / "x|y");
  EXPECT_EQ(Used(), 9738u);
}

class SimKeptFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("zel-kept-files-" + std::string(
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
};

// What the file times tell: every write, replacement and removal after a call
// shows at the next, however soon it comes; files left alone, once they have
// rested, show as untouched, so the view made from them is kept.
TEST_F(SimKeptFiles, EveryChangeToTheFilesShowsAtTheNextCall) {
#ifndef __linux__
  GTEST_SKIP() << "other hosts check a view in full at every call";
#else
  const std::string dir = dir_.string();
  const std::vector<std::string> names = {"a.state", "b.img"};
  auto put = [&](const std::string& name, const std::string& text) {
    std::fstream f((dir_ / name).string(), std::ios::in | std::ios::out | std::ios::binary);
    f.write(text.data(), static_cast<std::streamsize>(text.size()));
  };
  auto touched = [](const sim::FileChanges& c, const std::string& name) {
    return std::find(c.touched.begin(), c.touched.end(), name) != c.touched.end();
  };
  std::ofstream(dir_ / "a.state") << "x=0\n";
  std::ofstream(dir_ / "b.img") << std::string(512, '\0');
  EXPECT_TRUE(sim::ChangesSince(dir, names).unknown);  // the first call
  std::this_thread::sleep_for(std::chrono::milliseconds(60));
  sim::ChangesSince(dir, names);
  const sim::FileChanges rested = sim::ChangesSince(dir, names);
  if (rested.unknown) GTEST_SKIP() << "the file times of this host's temporary directory are not trusted";
  EXPECT_TRUE(rested.touched.empty());

  // Written in place with the same length, at once after each call.
  for (int i = 0; i < 50; ++i) {
    put("a.state", i % 2 == 0 ? "x=1\n" : "x=0\n");
    const sim::FileChanges c = sim::ChangesSince(dir, names);
    ASSERT_FALSE(c.unknown) << i;
    ASSERT_TRUE(touched(c, "a.state")) << i;
  }
  // Replaced by another file of the same length.
  std::ofstream(dir_ / "b.new") << std::string(512, '\1');
  fs::rename(dir_ / "b.new", dir_ / "b.img");
  EXPECT_TRUE(touched(sim::ChangesSince(dir, names), "b.img"));
  // Removed, and back: nothing can be vouched for.
  fs::remove(dir_ / "a.state");
  EXPECT_TRUE(sim::ChangesSince(dir, names).unknown);
  std::ofstream(dir_ / "a.state") << "x=0\n";
  EXPECT_TRUE(sim::ChangesSince(dir, names).unknown);
  // Asked about other files.
  EXPECT_TRUE(sim::ChangesSince(dir, {"a.state"}).unknown);

  // A name that is a link: the file it leads to replaced in its own directory.
  fs::create_directories(dir_ / "elsewhere");
  std::ofstream(dir_ / "elsewhere" / "c.img") << std::string(512, '\0');
  fs::create_symlink(dir_ / "elsewhere" / "c.img", dir_ / "c.img");
  const std::vector<std::string> linked = {"a.state", "c.img"};
  EXPECT_TRUE(sim::ChangesSince(dir, linked).unknown);
  std::this_thread::sleep_for(std::chrono::milliseconds(60));
  sim::ChangesSince(dir, linked);
  std::ofstream(dir_ / "elsewhere" / "c.new") << std::string(512, '\2');
  fs::rename(dir_ / "elsewhere" / "c.new", dir_ / "elsewhere" / "c.img");
  EXPECT_TRUE(touched(sim::ChangesSince(dir, linked), "c.img"));

  // The whole directory replaced by another with files alike.
  const fs::path old = dir_.string() + "-old";
  fs::remove_all(old);
  std::this_thread::sleep_for(std::chrono::milliseconds(60));
  sim::ChangesSince(dir, names);
  sim::ChangesSince(dir, names);
  EXPECT_TRUE(sim::ChangesSince(dir, names).touched.empty());
  fs::rename(dir_, old);
  fs::create_directories(dir_);
  std::ofstream(dir_ / "a.state") << "x=1\n";
  std::ofstream(dir_ / "b.img") << std::string(512, '\0');
  const sim::FileChanges other = sim::ChangesSince(dir, names);
  EXPECT_TRUE(other.unknown || (touched(other, "a.state") && touched(other, "b.img")));
  fs::remove_all(old);
#endif
}

// A machine without faults is not asked for its faults file again while no
// name has been made in its directory; a faults file made or removed at once
// after a call shows at the next.
TEST_F(SimKeptFiles, FaultsMadeOrRemovedShowAtTheNextCall) {
#ifndef __linux__
  GTEST_SKIP() << "other hosts look for the faults at every call";
#else
  sim::Machine m;
  m.dir = dir_.string();
  const std::vector<std::string> names = {"machine.txt"};
  std::ofstream(dir_ / "machine.txt") << "# machine\n";
  std::this_thread::sleep_for(std::chrono::milliseconds(60));
  sim::ChangesSince(m.dir, names);
  sim::ChangesSince(m.dir, names);
  if (sim::NamesEpoch(m.dir) == 0) GTEST_SKIP() << "the file times of this host's temporary directory are not trusted";
  EXPECT_FALSE(sim::LoadFaults(m).busy);
  EXPECT_FALSE(sim::LoadFaults(m).busy);
  for (int i = 0; i < 50; ++i) {
    ASSERT_TRUE(sim::WriteKeyValues(sim::FaultsPath(m), {{"busy", "1"}}));
    sim::ChangesSince(m.dir, names);
    ASSERT_TRUE(sim::LoadFaults(m).busy) << i;
    fs::remove(sim::FaultsPath(m));
    sim::ChangesSince(m.dir, names);
    ASSERT_FALSE(sim::LoadFaults(m).busy) << i;
    ASSERT_FALSE(sim::LoadFaults(m).busy) << i;
  }
  // Made by a link from elsewhere, which only a change of names shows.
  ASSERT_TRUE(sim::WriteKeyValues((dir_ / "kept").string(), {{"busy", "1"}}));
  sim::ChangesSince(m.dir, names);
  EXPECT_FALSE(sim::LoadFaults(m).busy);
  fs::create_hard_link(dir_ / "kept", sim::FaultsPath(m));
  sim::ChangesSince(m.dir, names);
  EXPECT_TRUE(sim::LoadFaults(m).busy);
#endif
}

// The kernels that are trusted to tell every change without a try on a
// nameless file, by their release as uname gives it.
TEST(MachineWatch, KernelsFrom6Point13AreTrustedWithoutATry) {
  for (const char* release : {"6.13.0", "6.13.0-1-amd64", "6.18.44-fc-v1478", "7.0", "10.1.2"}) {
    EXPECT_TRUE(sim::KernelGivesFineTimesAfterAsking(release)) << release;
  }
  for (const char* release : {"6.12.9-amd64", "6.1.0-28-amd64", "5.19", "6", "6.", ".13", "", "x6.13", "6.x13",
                              "4294967302.13"}) {
    EXPECT_FALSE(sim::KernelGivesFineTimesAfterAsking(release)) << release;
  }
}

// A state file read once it stood still is kept; replacing it by renaming,
// or rewriting it in place with text of the same length, is still seen.
TEST_F(SimKeptFiles, AStateFileIsReadAgainAfterEveryChange) {
  const std::string path = (dir_ / "enc1.state").string();
  ASSERT_TRUE(sim::WriteKeyValues(path, {{"button", "0xFF"}}));
  std::this_thread::sleep_for(std::chrono::milliseconds(250));
  sim::KeyValues kv;
  ASSERT_TRUE(sim::ReadKeyValues(path, kv));
  EXPECT_EQ(kv["button"], "0xFF");
  ASSERT_TRUE(sim::ReadKeyValues(path, kv));
  EXPECT_EQ(kv["button"], "0xFF");

  ASSERT_TRUE(sim::WriteKeyValues(path, {{"button", "0xFD"}}));
  ASSERT_TRUE(sim::ReadKeyValues(path, kv));
  EXPECT_EQ(kv["button"], "0xFD");

  std::this_thread::sleep_for(std::chrono::milliseconds(250));
  ASSERT_TRUE(sim::ReadKeyValues(path, kv));
  std::ofstream(path, std::ios::trunc) << "button=0xFB\n";
  ASSERT_TRUE(sim::ReadKeyValues(path, kv));
  EXPECT_EQ(kv["button"], "0xFB");

  // Rewritten in place at once after each read, the same length each time:
  // every text shows, however soon it comes.
  for (int i = 0; i < 50; ++i) {
    ASSERT_TRUE(sim::ReadKeyValues(path, kv));
    const std::string value = i % 2 != 0 ? "0xA1" : "0xA2";
    std::ofstream(path, std::ios::trunc) << "button=" << value << "\n";
    ASSERT_TRUE(sim::ReadKeyValues(path, kv));
    EXPECT_EQ(kv["button"], value) << i;
  }

  fs::remove(path);
  kv.clear();
  ASSERT_TRUE(sim::ReadKeyValues(path, kv));  // a missing file reads as empty
  EXPECT_TRUE(kv.empty());
}

// An image made afresh under the same name is the one read and written, not
// the file held open before.
TEST_F(SimKeptFiles, AnImageMadeAfreshIsOpenedAgain) {
  const std::string path = (dir_ / "enc1.img").string();
  std::ofstream(path, std::ios::binary) << std::string(4096, '\0');
  const std::vector<uint8_t> ones(512, 0x11);
  ASSERT_EQ(sim::WriteImageFile(path, 1024, ones.data(), 512), 0);
  std::vector<uint8_t> back(1024, 0xEE);
  ASSERT_EQ(sim::ReadImageFile(path, 1024, back.data(), 1024), 0);
  EXPECT_EQ(back[0], 0x11);
  EXPECT_EQ(back[511], 0x11);
  EXPECT_EQ(back[512], 0x00);
  // Past the end of the file: zeros, as the sparse tail of a disk.
  ASSERT_EQ(sim::ReadImageFile(path, 8192, back.data(), 512), 0);
  EXPECT_EQ(back[0], 0x00);

  fs::remove(path);
  EXPECT_EQ(sim::ReadImageFile(path, 0, back.data(), 512), 21);
  std::ofstream(path, std::ios::binary) << std::string(4096, '\x22');
  ASSERT_EQ(sim::ReadImageFile(path, 1024, back.data(), 512), 0);
  EXPECT_EQ(back[0], 0x22);
  EXPECT_EQ(back[511], 0x22);
}

// Writes to a sparse image read back byte for byte whatever lay there
// before: zeros over written bytes replace them, bytes amid zeros over a hole
// land where they were meant to, a write past the end makes the file longer.
// Zeros meant for a hole leave it a hole.
TEST_F(SimKeptFiles, WritesToASparseImageReadBackAsWritten) {
  const std::string path = (dir_ / "enc1.img").string();
  constexpr uint64_t kSize = 1 << 20;
  fs::resize_file((std::ofstream(path, std::ios::binary), path), kSize);
  std::vector<uint8_t> mirror(kSize + 65536, 0);
  const auto put = [&](uint64_t at, std::vector<uint8_t> bytes) {
    ASSERT_EQ(sim::WriteImageFile(path, at, bytes.data(), static_cast<uint32_t>(bytes.size())), 0) << at;
    std::copy(bytes.begin(), bytes.end(), mirror.begin() + static_cast<std::ptrdiff_t>(at));
  };
  // The room the file takes on the host; Windows hosts write every byte.
  const auto blocks = [&] {
#ifdef _WIN32
    return 0;
#else
    struct stat st {};
    stat(path.c_str(), &st);
    return static_cast<int>(st.st_blocks);
#endif
  };
  put(0, std::vector<uint8_t>(512, 0x5A));
  const auto afterOneSector = blocks();
  put(65536, std::vector<uint8_t>(262144, 0));  // zeros into a hole
  EXPECT_EQ(blocks(), afterOneSector);
  // Zeros from inside the written block on into the hole: the block's bytes
  // are cleared, the hole stays one.
  put(256, std::vector<uint8_t>(131072, 0));
  EXPECT_EQ(blocks(), afterOneSector);
  std::vector<uint8_t> sprinkled(40000, 0);
  sprinkled[3] = 1;
  sprinkled[20000] = 2;
  sprinkled[39998] = 3;
  put(200000, sprinkled);  // a few bytes amid zeros, over a hole
  put(8000, std::vector<uint8_t>(100, 0x77));
  put(7900, std::vector<uint8_t>(300, 0));  // zeros over part of that
  std::vector<uint8_t> tail(4096, 0x33);
  tail[0] = 0;
  put(kSize - 1024, tail);  // across the end
  EXPECT_EQ(fs::file_size(path), kSize - 1024 + 4096);
  put(kSize + 2048, std::vector<uint8_t>(8192, 0));  // zeros alone past the end
  EXPECT_EQ(fs::file_size(path), kSize + 2048 + 8192);

  std::vector<uint8_t> back(mirror.size(), 0xEE);
  for (uint64_t at = 0; at < back.size(); at += 65536) {
    ASSERT_EQ(sim::ReadImageFile(path, at, back.data() + at, 65536), 0);
  }
  EXPECT_TRUE(back == mirror);
}

// The machine's parse is kept with its text: a changed or broken file is
// parsed again, never answered from the parse before.
TEST_F(SimKeptFiles, TheMachineIsParsedAgainWhenItsFileChanges) {
  sim::Machine m;
  m.dir = dir_.string();
  sim::SimVolume v;
  v.id = "vol1";
  v.disk = "disk0";
  v.letter = 'E';
  v.label = L"FIRST";
  m.disks.push_back(sim::SimDisk{});
  m.disks.back().id = "disk0";
  m.volumes.push_back(v);
  std::string error;
  ASSERT_TRUE(sim::SaveMachine(m, error)) << error;
  std::this_thread::sleep_for(std::chrono::milliseconds(250));
  sim::Machine back;
  ASSERT_TRUE(sim::LoadMachine(dir_.string(), back, error)) << error;
  ASSERT_EQ(back.volumes.size(), 1u);
  EXPECT_EQ(back.volumes[0].label, L"FIRST");
  ASSERT_TRUE(sim::LoadMachine(dir_.string(), back, error)) << error;
  EXPECT_EQ(back.volumes[0].label, L"FIRST");
  EXPECT_EQ(back.dir, dir_.string());

  m.volumes[0].label = L"OTHER";
  ASSERT_TRUE(sim::SaveMachine(m, error)) << error;
  ASSERT_TRUE(sim::LoadMachine(dir_.string(), back, error)) << error;
  EXPECT_EQ(back.volumes[0].label, L"OTHER");

  std::ofstream(dir_ / sim::kMachineFile, std::ios::app) << "gadget g1\n";
  error.clear();
  EXPECT_FALSE(sim::LoadMachine(dir_.string(), back, error));
  EXPECT_NE(error.find("gadget"), std::string::npos) << error;
}

// Commands are answered from the state as last written and a change is made
// again under the lock: writers on several threads at once lose nothing, and
// a command that leaves the state as it was does not write it.
TEST_F(SimKeptFiles, ChangesFromSeveralWritersAreAllKept) {
  const std::string dir = (dir_ / "machine").string();
  std::string error;
  ASSERT_TRUE(sim::CreateMachine(dir, {}, error)) << error;
  sim::Machine m;
  ASSERT_TRUE(sim::LoadMachine(dir, m, error)) << error;
  ASSERT_FALSE(m.enclosures.empty());
  const sim::SimEnclosure e = m.enclosures[0];
  auto writeRegister = [&](uint16_t address, uint8_t value) {
    sim::BridgeRequest q;
    q.cdb[0] = kOpWriteBridgeRegister;
    q.cdb[2] = static_cast<uint8_t>(address >> 8);
    q.cdb[3] = static_cast<uint8_t>(address);
    q.direction = DataDirection::Out;
    q.dataOut = {value};
    return sim::ExecuteBridgeCommand(m, e, q).status;
  };
  constexpr int kWriters = 3, kEach = 20;
  std::vector<std::thread> writers;
  for (int w = 0; w < kWriters; ++w) {
    writers.emplace_back([&, w] {
      for (int i = 0; i < kEach; ++i) {
        EXPECT_EQ(writeRegister(static_cast<uint16_t>(0x100 + w * kEach + i), static_cast<uint8_t>(i + 1)),
                  kScsiStatusGood);
      }
    });
  }
  for (std::thread& t : writers) t.join();
  const sim::BridgeState state = sim::LoadBridgeState(m, e);
  for (int w = 0; w < kWriters; ++w) {
    for (int i = 0; i < kEach; ++i) {
      EXPECT_EQ(state.Register(0, static_cast<uint16_t>(0x100 + w * kEach + i)), i + 1) << w << " " << i;
    }
  }

#ifndef _WIN32
  // Every write replaces the file, so its inode tells whether it was written.
  const fs::path statePath = sim::StatePath(m, e);
  const auto inode = [&] {
    struct stat st {};
    stat(statePath.c_str(), &st);
    return st.st_ino;
  };
  const auto before = inode();
  EXPECT_EQ(writeRegister(0x100, 1), kScsiStatusGood);  // the value it already has
  EXPECT_EQ(inode(), before);
  EXPECT_EQ(writeRegister(0x100, 9), kScsiStatusGood);
  EXPECT_NE(inode(), before);
#endif
  EXPECT_EQ(writeRegister(0x100, 9), kScsiStatusGood);
  EXPECT_EQ(sim::LoadBridgeState(m, e).Register(0, 0x100), 9);
}

// The view of the machine is handed out again only while machine.txt and the
// sectors its tables came from read the same and the bridge's state gives the
// same units: each change shows at the very next call, however soon it comes,
// and a write elsewhere on the disk or to a register keeps the view.
TEST_F(SimKeptFiles, TheViewIsKeptUntilWhatItCameFromChanges) {
  const std::string dir = (dir_ / "machine").string();
  std::string error;
  ASSERT_TRUE(sim::CreateMachine(dir, {}, error)) << error;
  std::this_thread::sleep_for(std::chrono::milliseconds(250));
  const auto first = sim::CurrentView(dir, error);
  ASSERT_NE(first, nullptr) << error;
  EXPECT_EQ(sim::CurrentView(dir, error), first);

  auto unitDisk = [](const sim::View& v) -> const sim::ViewDisk* {
    for (const sim::ViewDisk& d : v.disks) {
      if (d.enclosure != nullptr && d.disk->partitions.empty() && d.disk->part == 0) return &d;
    }
    return nullptr;
  };
  const sim::ViewDisk* disk = unitDisk(*first);
  ASSERT_NE(disk, nullptr);
  const sim::Machine machine = first->machine;
  const sim::SimEnclosure enclosure = *disk->enclosure;
  const uint64_t tableAt = disk->unit.firstSector * sim::kSectorSize;

  // A new table in the first sector.
  std::vector<uint8_t> sector(sim::kSectorSize, 0);
  ASSERT_EQ(sim::ReadImage(machine, enclosure, tableAt, sector.data(), sim::kSectorSize), 0);
  uint8_t* entry = sector.data() + 446;
  std::fill(entry, entry + 64, 0);
  entry[4] = 0x0C;
  const uint32_t start = 4096, length = 8192;
  for (int i = 0; i < 4; ++i) {
    entry[8 + i] = static_cast<uint8_t>(start >> (8 * i));
    entry[12 + i] = static_cast<uint8_t>(length >> (8 * i));
  }
  sector[510] = 0x55;
  sector[511] = 0xAA;
  ASSERT_EQ(sim::WriteImage(machine, enclosure, tableAt, sector.data(), sim::kSectorSize), 0);
  const auto retabled = sim::CurrentView(dir, error);
  ASSERT_NE(retabled, nullptr);
  EXPECT_NE(retabled, first);
  disk = unitDisk(*retabled);
  ASSERT_NE(disk, nullptr);
  ASSERT_FALSE(disk->layout.partitions.empty());
  EXPECT_EQ(disk->layout.partitions[0].startingOffset, int64_t{start} * sim::kSectorSize);
  EXPECT_EQ(disk->layout.partitions[0].partitionLength, int64_t{length} * sim::kSectorSize);
  EXPECT_EQ(disk->layout.partitions[0].partitionType, 0x0C);

  // Another sector of the disk: the view stands.
  ASSERT_EQ(sim::WriteImage(machine, enclosure, tableAt + 100 * sim::kSectorSize, sector.data(), sim::kSectorSize), 0);
  EXPECT_EQ(sim::CurrentView(dir, error), retabled);

  // The latch and a register rewritten (the busy indication of a copy run):
  // the units are as they were, and so is the view.
  sim::BridgeState state = sim::LoadBridgeState(machine, enclosure);
  state.button = 0xFE;
  state.SetRegister(0, 0x100, 0x55);
  ASSERT_TRUE(sim::SaveBridgeState(machine, enclosure, state));
  EXPECT_EQ(sim::CurrentView(dir, error), retabled);

  // A register rewritten and the table changed between two calls: the new
  // table shows, although the units are as they were.
  state.SetRegister(0, 0x100, 0x56);
  ASSERT_TRUE(sim::SaveBridgeState(machine, enclosure, state));
  entry[4] = 0x0B;
  ASSERT_EQ(sim::WriteImage(machine, enclosure, tableAt, sector.data(), sim::kSectorSize), 0);
  const auto retyped = sim::CurrentView(dir, error);
  ASSERT_NE(retyped, nullptr);
  ASSERT_NE(unitDisk(*retyped), nullptr);
  ASSERT_FALSE(unitDisk(*retyped)->layout.partitions.empty());
  EXPECT_EQ(unitDisk(*retyped)->layout.partitions[0].partitionType, 0x0B);

  // The disk split, then its private part locked: each shows at once.
  auto privateUnit = [](const sim::View& v) -> const sim::ViewDisk* {
    for (const sim::ViewDisk& d : v.disks) {
      if (d.enclosure != nullptr && d.disk->part == 1) return &d;
    }
    return nullptr;
  };
  ASSERT_EQ(privateUnit(*retabled), nullptr);
  state.partitioned = true;
  state.publicSectors = static_cast<uint32_t>(enclosure.sectors / 2);
  ASSERT_TRUE(sim::SaveBridgeState(machine, enclosure, state));
  const auto split = sim::CurrentView(dir, error);
  ASSERT_NE(split, nullptr);
  ASSERT_NE(privateUnit(*split), nullptr);
  EXPECT_FALSE(privateUnit(*split)->unit.locked);
  EXPECT_EQ(privateUnit(*split)->unit.firstSector, enclosure.sectors / 2);
  EXPECT_EQ(unitDisk(*split)->bytes, enclosure.sectors / 2 * sim::kSectorSize);
  state.locked = true;
  ASSERT_TRUE(sim::SaveBridgeState(machine, enclosure, state));
  const auto locked = sim::CurrentView(dir, error);
  ASSERT_NE(locked, nullptr);
  ASSERT_NE(privateUnit(*locked), nullptr);
  EXPECT_TRUE(privateUnit(*locked)->unit.locked);

  // The enclosure pulled out: its state file changes, and its disks go.
  state.plugged = false;
  ASSERT_TRUE(sim::SaveBridgeState(machine, enclosure, state));
  const auto unplugged = sim::CurrentView(dir, error);
  ASSERT_NE(unplugged, nullptr);
  EXPECT_EQ(unitDisk(*unplugged), nullptr);

  // machine.txt changed: a new label shows.
  sim::Machine renamed = machine;
  ASSERT_FALSE(renamed.volumes.empty());
  renamed.volumes[0].label = L"RENAMED";
  ASSERT_TRUE(sim::SaveMachine(renamed, error)) << error;
  const auto relabelled = sim::CurrentView(dir, error);
  ASSERT_NE(relabelled, nullptr);
  EXPECT_EQ(relabelled->machine.volumes[0].label, L"RENAMED");

  // A machine that can no longer be read gives no view, not the last one.
  fs::remove(fs::path(dir) / sim::kMachineFile);
  EXPECT_EQ(sim::CurrentView(dir, error), nullptr);
}

// Changes made behind the simulator's back, by rewriting a file in place or
// making the machine anew, show at the very next call however the machine's
// directory is named; files the view is not made from leave it standing.
TEST_F(SimKeptFiles, AViewSeesChangesMadeInPlaceAtOnce) {
  const std::string dir = (dir_ / "machine").string(), alias = dir + "/";
  std::string error;
  ASSERT_TRUE(sim::CreateMachine(dir, {}, error)) << error;
  std::this_thread::sleep_for(std::chrono::milliseconds(250));
  auto plugged = [&](const std::string& name) {
    const auto view = sim::CurrentView(name, error);
    EXPECT_NE(view, nullptr) << error;
    return view != nullptr && view->usb.size() == view->machine.usb.size();
  };
  ASSERT_TRUE(plugged(dir));
  ASSERT_TRUE(plugged(alias));
  const auto first = sim::CurrentView(dir, error);
  ASSERT_NE(first, nullptr);
  ASSERT_FALSE(first->machine.enclosures.empty());
  const std::string statePath = sim::StatePath(first->machine, first->machine.enclosures[0]);

  // Files beside the machine's own: the same view.
  std::ofstream(fs::path(dir) / "state.lock") << "x";
  std::ofstream(fs::path(dir) / "used-E.txt") << "bytes=1\n";
  EXPECT_EQ(sim::CurrentView(dir, error), first);

  // The state rewritten in place, its length kept, at once after a look.
  std::string text;
  ASSERT_TRUE(sim::ReadTextFile(statePath, text));
  const size_t at = text.find("plugged=1");
  ASSERT_NE(at, std::string::npos) << text;
  text[at + 8] = '0';
  {
    std::fstream f(statePath, std::ios::in | std::ios::out | std::ios::binary);
    f.write(text.data(), static_cast<std::streamsize>(text.size()));
  }
  EXPECT_FALSE(plugged(dir));
  EXPECT_FALSE(plugged(alias));

  // The machine made anew in the same place.
  fs::remove_all(dir);
  ASSERT_TRUE(sim::CreateMachine(dir, {}, error)) << error;
  EXPECT_TRUE(plugged(dir));
  EXPECT_TRUE(plugged(alias));
}

}  // namespace
}  // namespace zel
