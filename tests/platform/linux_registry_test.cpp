// The registry file of the tools on Linux: the mounted-device table made
// from the drive letters (a USB stick's letter), the password hint kept
// across processes and erased, lines it cannot read kept, and a writer
// killed mid-way leaving the old file whole.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "common/discovery.h"
#include "common/hardware_list.h"
#include "platform/linux/linux_ports.h"
#include "platform/posix/posix_profile.h"
#include "security/password_hint.h"
#include "tests/platform/sysfs_fixture.h"

namespace zel {
namespace {

namespace fs = std::filesystem;
using testing_sysfs::SysfsMachine;

std::string Text(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The Linux adapters of one machine, its registry file in the machine's
// directory.
class Adapters {
 public:
  explicit Adapters(SysfsMachine& m, linux_adapters::LetterMap letters)
      : nodes_(m.Roots()), tree_(nodes_), storage_(nodes_), registry_(nodes_) {
    nodes_.SetDriveLetters(std::move(letters));
    registry_.SetFile(File(m));
    Platform p;
    p.profile = &profile_;
    p.deviceTree = &tree_;
    p.storage = &storage_;
    p.registry = &registry_;
    p.family = SystemFamily::Nt;
    scoped_ = std::make_unique<ScopedPorts>(p);
  }
  static std::string File(SysfsMachine& m) { return (m.Root() / "config/zel/registry").string(); }
  linux_adapters::LinuxRegistry& Registry() { return registry_; }

 private:
  linux_adapters::SysfsNodes nodes_;
  linux_adapters::LinuxDeviceTree tree_;
  linux_adapters::LinuxStorage storage_;
  linux_adapters::LinuxRegistry registry_;
  posix::PosixProfile profile_;
  std::unique_ptr<ScopedPorts> scoped_;
};

TEST(LinuxRegistry, AUsbStickTakesItsLetterFromTheMountedDeviceTable) {
  SysfsMachine m({"internal-disk.tree", "usb-stick.tree"});
  const std::string stick = m.Mount("sde1");
  Adapters on(m, {{L'D', "/nothing/mounted/here"}, {L'G', stick}});

  std::vector<RegValue> table;
  ASSERT_EQ(on.Registry().EnumValues(RegRoot::LocalMachine, L"SYSTEM\\MountedDevices", table), 0);
  ASSERT_EQ(table.size(), 1u);  // D: has nothing mounted
  EXPECT_EQ(table[0].name, L"\\DosDevices\\G:");
  EXPECT_EQ(RegValueText(table[0]), L"/dev/sde1");
  // The table is the system's: the tools do not write it.
  EXPECT_EQ(on.Registry().WriteValue(RegRoot::LocalMachine, L"SYSTEM\\MountedDevices", RegString(L"x", L"y")), 5);
  EXPECT_FALSE(fs::exists(Adapters::File(m)));

  DiskList list;
  ASSERT_EQ(DiscoverNt(list), 0);
  ASSERT_EQ(list.count, 2u);
  const DiskRecord& record = list.disks[0];
  ASSERT_EQ(FieldText(record.interfacePath), L"/dev/sde");
  EXPECT_EQ(record.fixedMedia, 0);
  ASSERT_EQ(record.volumeCount, 1u);
  EXPECT_EQ(record.volumes[0].driveLetter, u'G');
  EXPECT_EQ(FieldText(record.volumes[0].fileSystem), L"FAT32");
  EXPECT_GT(record.volumes[0].totalMb, 0u);
}

TEST(LinuxRegistry, TheHintIsKeptForTheNextProcessAndErased) {
  SysfsMachine m({"enclosure.tree"});
  const std::string file = Adapters::File(m);
  {
    Adapters on(m, {});
    EXPECT_EQ(ReadPasswordHint(), "");  // no file yet: the key is there, the value not
    EXPECT_TRUE(HintStoreExists());
  }
  // Another process writes it.
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    Adapters on(m, {});
    ::_exit(WritePasswordHint("blue\\door") ? 0 : 1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

  Adapters on(m, {});
  RegValue stored;
  ASSERT_EQ(on.Registry().ReadValue(RegRoot::LocalMachine, kHintKey, kHintValue, 25, stored), 0);
  EXPECT_EQ(RegValueText(stored), L"blue\\door");
  EXPECT_EQ(ReadPasswordHint(), "blue");  // shown up to its last backslash
  EXPECT_EQ(on.Registry().ReadValue(RegRoot::LocalMachine, kHintKey, kHintValue, 4, stored), 234);

  // A line written by hand that the file's form does not fit survives a change.
  std::ofstream(file, std::ios::app) << "[HKCU\\Software\\Mine]\nnot a value\n";
  ASSERT_TRUE(WritePasswordHint("green"));
  EXPECT_EQ(ReadPasswordHint(), "green");
  EXPECT_NE(Text(file).find("[HKCU\\Software\\Mine]\nnot a value\n"), std::string::npos);

  DeletePasswordHint();
  EXPECT_EQ(on.Registry().ReadValue(RegRoot::LocalMachine, kHintKey, kHintValue, 25, stored), 2);
  EXPECT_EQ(ReadPasswordHint(), "");
  EXPECT_TRUE(HintStoreExists());  // the key stays; a new hint can be written again
  EXPECT_FALSE(fs::exists(file + ".new"));

  // Keys and values other than the hint's: made, listed in order, removed.
  const std::wstring key = L"Software\\Zel\\Tools";
  EXPECT_EQ(on.Registry().WriteValue(RegRoot::CurrentUser, key, RegString(L"a", L"1")), 2);  // not made yet
  ASSERT_EQ(on.Registry().CreateKey(RegRoot::CurrentUser, key), 0);
  ASSERT_EQ(on.Registry().WriteValue(RegRoot::CurrentUser, key, RegString(L"b", L"1")), 0);
  ASSERT_EQ(on.Registry().WriteValue(RegRoot::CurrentUser, key, RegString(L"a", L"2")), 0);
  ASSERT_EQ(on.Registry().WriteValue(RegRoot::CurrentUser, key, RegString(L"B", L"3")), 0);
  std::vector<RegValue> values;
  ASSERT_EQ(on.Registry().EnumValues(RegRoot::CurrentUser, key, values), 0);
  ASSERT_EQ(values.size(), 2u);
  EXPECT_EQ(values[0].name + L"=" + RegValueText(values[0]), L"B=3");
  EXPECT_EQ(values[1].name + L"=" + RegValueText(values[1]), L"a=2");
  EXPECT_EQ(on.Registry().WriteValue(RegRoot::CurrentUser, key, RegString(L"#x", L"1")), 87);
  ASSERT_EQ(on.Registry().DeleteTree(RegRoot::CurrentUser, L"Software\\Zel"), 0);
  EXPECT_EQ(on.Registry().KeyExists(RegRoot::CurrentUser, key), 2);
  EXPECT_EQ(on.Registry().KeyExists(RegRoot::CurrentUser, L"Software\\Mine"), 0);
}

// A process killed while it writes leaves the file as one of its whole
// versions: never a part, never none. Each writer is killed as soon as the
// directory tells (inotify) that a file in it other than a lock was made or
// changed, which is the start of a write.
TEST(LinuxRegistry, AWriterKilledMidWayLeavesTheOldFileWhole) {
  SysfsMachine m({"enclosure.tree"});
  const std::wstring key = L"Software\\Zel\\Big";
  const std::wstring big(1000000, L'x');  // a write long enough to be caught inside
  const fs::path dir = fs::path(Adapters::File(m)).parent_path();
  {
    Adapters on(m, {});
    ASSERT_EQ(on.Registry().CreateKey(RegRoot::CurrentUser, key), 0);
    ASSERT_EQ(on.Registry().WriteValue(RegRoot::CurrentUser, key, RegString(L"v", big + L"0")), 0);
  }
  for (int round = 0; round < 3; ++round) {
    const int watch = ::inotify_init1(IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(::inotify_add_watch(watch, dir.c_str(), IN_CREATE | IN_MODIFY), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      Adapters on(m, {});
      for (int i = 1;; ++i) {
        on.Registry().WriteValue(RegRoot::CurrentUser, key, RegString(L"v", big + std::to_wstring(i % 10)));
      }
    }
    bool started = false;
    alignas(inotify_event) char events[4096];
    while (!started) {
      const ssize_t n = ::read(watch, events, sizeof events);
      if (n <= 0) break;
      for (ssize_t at = 0; at < n && !started;) {
        const auto* e = reinterpret_cast<const inotify_event*>(events + at);
        started = e->len > 0 && !std::string(e->name).ends_with(".lock");
        at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
      }
    }
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    ::close(watch);
    ASSERT_TRUE(started) << "round " << round;

    Adapters on(m, {});
    RegValue v;
    ASSERT_EQ(on.Registry().ReadValue(RegRoot::CurrentUser, key, L"v", 1 << 23, v), 0) << "round " << round;
    const std::wstring text = RegValueText(v);
    ASSERT_EQ(text.size(), big.size() + 1) << "round " << round;
    EXPECT_EQ(text.compare(0, big.size(), big), 0);
  }
}

}  // namespace
}  // namespace zel
