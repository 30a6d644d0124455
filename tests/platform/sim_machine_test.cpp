// The simulated machine's own rules: its description file, registry file,
// fault knobs, volumes and the states a bridge can put its units in.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <thread>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "tests/support/sim_machine.h"
#include "common/text.h"
#include "platform/sim/bridge.h"
#include "platform/sim/machine_watch.h"
#include "platform/sim/state_file.h"
#include "platform/sim/view.h"

namespace zel {
namespace {

using test::SimMachineTest;

class SimMachine : public SimMachineTest {};

TEST_F(SimMachine, DescriptionRoundTripsThroughItsFile) {
  Create();
  sim::Machine m = Machine();
  m.disks[0].friendly = L"Disk \"with\" blanks";  // quotes are not kept inside values
  m.disks[0].partitions.push_back({5000, 6000, 0x05, false, false});
  m.volumes[0].label = L"TWO WORDS";
  Save(m);
  sim::Machine again = Machine();
  EXPECT_EQ(again.disks[0].friendly, L"Disk with blanks");
  ASSERT_EQ(again.disks[0].partitions.size(), 2u);
  EXPECT_EQ(again.disks[0].partitions[1].type, 0x05);
  EXPECT_FALSE(again.disks[0].partitions[1].recognized);
  EXPECT_EQ(again.volumes[0].label, L"TWO WORDS");
  EXPECT_EQ(again.usb[0].hardwareId, L"USB\\VID_3F1A&PID_0C35&REV_0100");
  EXPECT_EQ(again.enclosures[0].sectors, 131072u);

  // A file edited by hand: Windows line ends, blank lines, no end after the
  // last line. Every line counts for the line number of an error.
  std::string text;
  ASSERT_TRUE(sim::ReadTextFile(dir + "/machine.txt", text));
  std::string edited;
  for (char c : text) edited += c == '\n' ? std::string("\r\n\r\n") : std::string(1, c);
  std::ofstream(dir + "/machine.txt", std::ios::binary | std::ios::trunc) << edited << "volume  extra\tdisk=hd0 letter=Y label=\"\" letter=X";
  std::string error;
  ASSERT_TRUE(sim::LoadMachine(dir, again, error)) << error;
  ASSERT_EQ(again.volumes.size(), m.volumes.size() + 1);
  EXPECT_EQ(again.volumes.back().letter, 'X');  // the last of a key given twice
  EXPECT_EQ(again.volumes.back().label, L"");
  EXPECT_EQ(again.volumes[0].label, L"TWO WORDS");
  const size_t lines = static_cast<size_t>(std::count(edited.begin(), edited.end(), '\n'));
  std::ofstream(dir + "/machine.txt", std::ios::app) << "\ngadget g1";
  EXPECT_FALSE(sim::LoadMachine(dir, again, error));
  EXPECT_NE(error.find("line " + std::to_string(lines + 2) + ": unknown item 'gadget'"), std::string::npos) << error;
  EXPECT_FALSE(sim::CreateMachine(dir, {}, error));  // never over an existing machine
}

// Machine files are named below the machine's directory as the host's own
// paths would join them.
TEST(SimPaths, JoinAsTheHostsPathsDo) {
  namespace fs = std::filesystem;
  const std::pair<std::string, std::string> cases[] = {
      {"/tmp/m", "enc1.state"}, {"/tmp/m/", "enc1.state"}, {"m", "drives/E"}, {"", "machine.txt"},
      {"/", "x"},               {"/tmp/m", "/elsewhere/enc1.img"}, {"a//", "b"}, {"/tmp/m", "a b/c"}};
  for (const auto& [dir, name] : cases) {
    EXPECT_EQ(sim::JoinPath(dir, name), (fs::path(dir) / name).string()) << dir << " + " << name;
  }
}

TEST_F(SimMachine, RegistryFileKeepsOrderAndTrees) {
  Create();
  sim::SimRegistry& reg = simPorts->registry;
  const std::wstring key = L"Software\\Zel\\Tessary";
  EXPECT_EQ(reg.WriteValue(RegRoot::CurrentUser, key, RegString(L"Hint", L"x")), 2);
  ASSERT_EQ(reg.CreateKey(RegRoot::CurrentUser, key), 0);
  ASSERT_EQ(reg.CreateKey(RegRoot::CurrentUser, key + L"\\Sub"), 0);
  ASSERT_EQ(reg.WriteValue(RegRoot::CurrentUser, key, RegString(L"B", L"2")), 0);
  ASSERT_EQ(reg.WriteValue(RegRoot::CurrentUser, key, RegString(L"A", L"1")), 0);
  ASSERT_EQ(reg.WriteValue(RegRoot::CurrentUser, key, RegString(L"b", L"3")), 0);  // names ignore case
  std::vector<RegValue> values;
  ASSERT_EQ(reg.EnumValues(RegRoot::CurrentUser, L"SOFTWARE\\zel\\tessary", values), 0);
  ASSERT_EQ(values.size(), 2u);
  EXPECT_EQ(RegValueText(values[0]), L"3");
  EXPECT_EQ(values[1].name, L"A");
  RegValue v;
  EXPECT_EQ(reg.ReadValue(RegRoot::CurrentUser, key, L"A", 2, v), 234);
  EXPECT_EQ(reg.ReadValue(RegRoot::LocalMachine, key, L"A", 64, v), 2);
  // A value of no bytes is kept as one.
  ASSERT_EQ(reg.WriteValue(RegRoot::CurrentUser, key, RegValue{L"Empty", kRegBinary, {}}), 0);
  v.data.assign(3, 0xAA);
  ASSERT_EQ(reg.ReadValue(RegRoot::CurrentUser, key, L"empty", 64, v), 0);
  EXPECT_EQ(v.type, kRegBinary);
  EXPECT_TRUE(v.data.empty());
  ASSERT_EQ(reg.DeleteTree(RegRoot::CurrentUser, L"Software\\Zel"), 0);
  EXPECT_EQ(reg.KeyExists(RegRoot::CurrentUser, key + L"\\Sub"), 2);
  EXPECT_EQ(reg.KeyExists(RegRoot::LocalMachine, L"SYSTEM\\MountedDevices"), 0);
}

TEST_F(SimMachine, DriveMapCarriesCapacityFullnessAndPresence) {
  Create();
  Fault("full", "E");
  const std::vector<DriveMapping> map = simPorts->DriveMap();
  ASSERT_EQ(map.size(), 4u);  // C, D, E and the private disk's F
  for (const DriveMapping& d : map) {
    if (d.letter == L'E') {
      EXPECT_TRUE(d.full);
      EXPECT_TRUE(d.mounted);
      EXPECT_EQ(d.capacityBytes, 63ull << 20);
      EXPECT_EQ(std::filesystem::path(d.hostDirectory).lexically_normal(),
                (std::filesystem::path(dir) / "drives" / "E").lexically_normal());
    }
    if (d.letter == L'F') {
      EXPECT_FALSE(d.mounted);  // not partitioned
    }
    if (d.letter == L'C') {
      EXPECT_FALSE(d.full);
    }
  }
}

TEST_F(SimMachine, FreeSpaceFollowsTheHostDirectory) {
  Create();
  uint64_t total = 0, free = 0;
  ASSERT_EQ(simPorts->storage.DiskFreeSpaceEx(L"E:\\", total, free), 0);
  EXPECT_EQ(free, total);
  std::ofstream(dir + "/drives/E/big.bin", std::ios::binary) << std::string(3 << 20, 'x');
  ASSERT_EQ(simPorts->storage.DiskFreeSpaceEx(L"E:\\", total, free), 0);
  EXPECT_EQ(total - free, 3u << 20);
  Fault("not-ready", ",E:2,,C:1,");  // empty items between the commas are passed over
  FreeSpace space;
  EXPECT_EQ(simPorts->storage.DiskFreeSpace(L"E:\\", space), 21);
  EXPECT_EQ(simPorts->storage.DiskFreeSpace(L"C:\\", space), 21);
  EXPECT_EQ(simPorts->storage.DiskFreeSpace(L"E:\\", space), 21);
  EXPECT_EQ(simPorts->storage.DiskFreeSpace(L"E:\\", space), 0);
  EXPECT_EQ(simPorts->storage.DiskFreeSpace(L"C:\\", space), 0);
  EXPECT_EQ(simPorts->storage.DiskFreeSpace(L"Q:\\", space), 3);
  EXPECT_EQ(simPorts->storage.DriveType(L"D:\\"), kDriveCdrom);
  EXPECT_EQ(simPorts->storage.DriveType(L"Q:\\"), kDriveNoRootDir);
}

// The bytes of a volume are those of its files at every depth; a link to a
// file counts as the file, a linked directory is not entered.
TEST_F(SimMachine, UsedBytesCountEveryFileBelowTheVolume) {
  Create();
  namespace fs = std::filesystem;
  const fs::path e = fs::path(dir) / "drives" / "E";
  uint64_t expected = 0;
  for (int a = 0; a < 6; ++a) {
    for (int b = 0; b < 5; ++b) {
      const fs::path leaf = e / ("d" + std::to_string(a)) / ("s" + std::to_string(b));
      fs::create_directories(leaf);
      const size_t size = static_cast<size_t>(100 * a + 7 * b + 1);
      std::ofstream(leaf / "f.bin", std::ios::binary) << std::string(size, 'x');
      expected += size;
    }
  }
  fs::create_directories(e / "empty");
  EXPECT_EQ(sim::DirectoryBytes(e.string()), expected);
#ifndef _WIN32
  fs::create_symlink(e / "d1" / "s1" / "f.bin", e / "link.bin");
  fs::create_directory_symlink(e / "d5", e / "linked");
  EXPECT_EQ(sim::DirectoryBytes(e.string()), expected + 108);
#endif
  EXPECT_EQ(sim::DirectoryBytes((e / "none").string()), 0u);
}

// Every path asked at once gets what it gets asked alone: a number, not
// ready (a locked part), not found, or invalid (a disk, not a volume).
void ExpectVolumeNumbersAsAlone(StoragePort& storage) {
  const std::vector<std::wstring> paths = {L"\\\\.\\C:", L"\\\\.\\E:", L"\\\\.\\F:", L"\\\\.\\Q:",
                                           L"\\\\.\\PhysicalDrive2"};
  std::vector<long> errors;
  std::vector<uint32_t> numbers;
  storage.VolumeNumbers(paths, errors, numbers);
  ASSERT_EQ(errors.size(), paths.size());
  ASSERT_EQ(numbers.size(), paths.size());
  for (size_t i = 0; i < paths.size(); ++i) {
    uint32_t number = 0;
    EXPECT_EQ(errors[i], storage.VolumeNumber(paths[i], number)) << WideToUtf8(paths[i]);
    if (errors[i] == 0) {
      EXPECT_EQ(numbers[i], number) << WideToUtf8(paths[i]);
    }
  }
}

TEST_F(SimMachine, LockedPrivateDiskHasNoMediaUntilUnlocked) {
  Create();
  std::string error;
  for (auto [key, value] : {std::pair<const char*, const char*>{"partitioned", "1"}, {"public-sectors", "65536"}}) {
    ASSERT_TRUE(sim::SetBridgeValue(dir, 1, key, value, error)) << error;
  }
  ASSERT_TRUE(sim::WriteFatPartition(dir, "enc1", 65536, 65536, 0x99, 0x1234, error)) << error;
  uint32_t number = 0;
  EXPECT_EQ(simPorts->storage.VolumeNumber(L"\\\\.\\F:", number), 0);
  EXPECT_EQ(number, 3u);
  ExpectVolumeNumbersAsAlone(simPorts->storage);
  ASSERT_TRUE(sim::SetBridgeValue(dir, 1, "locked", "1", error)) << error;
  EXPECT_EQ(simPorts->storage.VolumeNumber(L"\\\\.\\F:", number), 2);
  ExpectVolumeNumbersAsAlone(simPorts->storage);
  std::vector<long> errors;
  std::vector<uint32_t> numbers;
  simPorts->storage.VolumeNumbers({L"\\\\.\\E:", L"\\\\.\\F:"}, errors, numbers);
  EXPECT_EQ(errors, (std::vector<long>{0, 2}));
  long openError = 0;
  EXPECT_EQ(simPorts->storage.OpenRaw(L"\\\\.\\PhysicalDrive2", openError), nullptr);
  EXPECT_EQ(openError, 21);
  DriveLayout layout;
  EXPECT_EQ(simPorts->storage.Layout(L"\\\\.\\PhysicalDrive2", layout), 21);
  EXPECT_FALSE(sim::SetBridgeValue(dir, 1, "colour", "red", error));
  EXPECT_FALSE(sim::PressButton(dir, 2, 1, error));  // only one enclosure
}

TEST_F(SimMachine, PulledOutEnclosureTakesItsDevicesAlongAndComesBack) {
  Create();
  std::string error;
  auto seen = [&](size_t& usb, size_t& disks, bool& letterE) {
    sim::View view;
    ASSERT_TRUE(view.Load(dir, error)) << error;
    usb = view.usb.size();
    disks = view.disks.size();
    letterE = view.VolumeByLetter(L'E') != nullptr;
  };
  size_t usb = 0, disks = 0, unpluggedUsb = 0, unpluggedDisks = 0;
  bool letterE = false;
  seen(usb, disks, letterE);
  ASSERT_TRUE(letterE);
  ASSERT_TRUE(sim::SetBridgeValue(dir, 1, "plugged", "0", error)) << error;
  seen(unpluggedUsb, unpluggedDisks, letterE);
  EXPECT_EQ(unpluggedUsb, usb - 1);
  EXPECT_EQ(unpluggedDisks, disks - 1);
  EXPECT_FALSE(letterE);
  uint32_t number = 0;
  EXPECT_NE(simPorts->storage.VolumeNumber(L"\\\\.\\E:", number), 0);
  ASSERT_TRUE(sim::SetBridgeValue(dir, 1, "plugged", "1", error)) << error;
  seen(unpluggedUsb, unpluggedDisks, letterE);
  EXPECT_EQ(unpluggedUsb, usb);
  EXPECT_EQ(unpluggedDisks, disks);
  EXPECT_TRUE(letterE);
  EXPECT_EQ(simPorts->storage.VolumeNumber(L"\\\\.\\E:", number), 0);
}

TEST_F(SimMachine, StateFilesAreReplacedWhole) {
  Create();
  const std::string path = dir + "/enc1.state";
  sim::KeyValues kv;
  ASSERT_TRUE(sim::ReadKeyValues(path, kv));
  EXPECT_EQ(kv["button"], "0xFF");
  kv["button"] = "0xFB";
  ASSERT_TRUE(sim::WriteKeyValues(path, kv));
  size_t leftovers = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    leftovers += entry.path().string().find(".tmp") != std::string::npos;
  }
  EXPECT_EQ(leftovers, 0u);
  EXPECT_EQ(sim::LoadBridgeState(Machine(), Machine().enclosures[0]).button, 0xFB);
  EXPECT_TRUE(sim::ReadKeyValues(dir + "/no-such-file", kv));
  EXPECT_TRUE(kv.empty());
  EXPECT_EQ(sim::ParseNumber("0x1A", 0), 0x1Au);
  EXPECT_EQ(sim::ParseNumber("12z", 7), 7u);
  EXPECT_EQ(sim::ParseNumber("010", 0), 8u);
  EXPECT_EQ(sim::ParseNumber("-1", 0), UINT64_MAX);
  EXPECT_EQ(sim::ParseNumber("zz", 5), 5u);
  EXPECT_EQ(sim::ParseNumber("99999999999999999999", 5), 5u);  // too large
  // At the edges of the forms read without the C library, as it reads them.
  EXPECT_EQ(sim::ParseNumber("9999999999999999999", 5), 9999999999999999999u);
  EXPECT_EQ(sim::ParseNumber("18446744073709551615", 5), UINT64_MAX);
  EXPECT_EQ(sim::ParseNumber("0xFFFFFFFFFFFFFFFF", 5), UINT64_MAX);
  EXPECT_EQ(sim::ParseNumber("0x1FFFFFFFFFFFFFFFF", 5), 5u);
  EXPECT_EQ(sim::ParseNumber("0X1a", 5), 0x1Au);
  EXPECT_EQ(sim::ParseNumber("0x", 5), 5u);
  EXPECT_EQ(sim::ParseNumber("0", 5), 0u);
  EXPECT_EQ(sim::ParseNumber("00", 5), 0u);
  EXPECT_EQ(sim::ParseNumber("08", 5), 5u);
  EXPECT_EQ(sim::ParseNumber(" 7", 5), 7u);
  EXPECT_EQ(sim::ParseNumber("+7", 5), 7u);
  EXPECT_EQ(sim::ParseNumber("7 ", 5), 5u);
  EXPECT_EQ(sim::ParseNumber("0x1g", 5), 5u);
  // A version ("5.1.2600") and a register's name ("reg.00.0002") are read
  // as dotted numbers, as far as they run.
  unsigned parts[3] = {};
  EXPECT_EQ(sim::ReadDottedNumbers("5.1.2600", 10, parts, 3), 3u);
  EXPECT_EQ(parts[2], 2600u);
  EXPECT_EQ(sim::ReadDottedNumbers("4.10", 10, parts, 3), 2u);
  EXPECT_EQ(parts[1], 10u);
  EXPECT_EQ(sim::ReadDottedNumbers("1F.00A2", 16, parts, 2), 2u);
  EXPECT_EQ(parts[0], 0x1Fu);
  EXPECT_EQ(parts[1], 0xA2u);
  EXPECT_EQ(sim::ReadDottedNumbers("1.2.3.4", 10, parts, 2), 2u);
  EXPECT_EQ(sim::ReadDottedNumbers("7..1", 10, parts, 3), 1u);
  EXPECT_EQ(sim::ReadDottedNumbers("7x.1", 10, parts, 3), 1u);
  EXPECT_EQ(sim::ReadDottedNumbers("", 10, parts, 3), 0u);
  EXPECT_EQ(sim::ReadDottedNumbers("99999999999.1", 10, parts, 3), 0u);  // too large
}

// A bridge's state is read again whenever its file says something else, and
// written only when its values change: a file edited by hand that holds the
// same values (in another order, with a comment) is left as it is.
TEST_F(SimMachine, AStateIsWrittenOnlyWhenItsValuesChange) {
  Create();
  const sim::Machine m = Machine();
  const sim::SimEnclosure& e = m.enclosures.at(0);
  const std::string path = dir + "/enc1.state";
  sim::BridgeState state = sim::LoadBridgeState(m, e);
  state.SetRegister(0, 0x100, 7);
  ASSERT_TRUE(sim::SaveBridgeState(m, e, state));
  EXPECT_EQ(sim::LoadBridgeState(m, e), state);

  std::string written;
  ASSERT_TRUE(sim::ReadTextFile(path, written));
  std::string reordered = "# edited by hand\r\n";
  for (size_t at = written.size(); at > 0;) {  // the lines from last to first
    const size_t start = written.rfind('\n', at - 2);
    const size_t from = start == std::string::npos ? 0 : start + 1;
    reordered += written.substr(from, at - from);
    at = from;
  }
  ASSERT_TRUE(sim::WriteTextFileAtomically(path, reordered));
  EXPECT_EQ(sim::LoadBridgeState(m, e), state);
  ASSERT_TRUE(sim::SaveBridgeState(m, e, state));
  std::string now;
  ASSERT_TRUE(sim::ReadTextFile(path, now));
  EXPECT_EQ(now, reordered);

  ASSERT_TRUE(sim::WriteTextFileAtomically(path, written + "reg.00.0100=0x09\n"));
  EXPECT_EQ(sim::LoadBridgeState(m, e).Register(0, 0x100), 9);
  ASSERT_TRUE(sim::SaveBridgeState(m, e, state));
  ASSERT_TRUE(sim::ReadTextFile(path, now));
  EXPECT_EQ(now, written);
  EXPECT_EQ(sim::LoadBridgeState(m, e).Register(0, 0x100), 7);
}

// A state is written with its keys in order, one line each, and reads back
// as it was, whatever its values; registers named twice in a file edited by
// hand count as the last of the names in order gives them.
TEST_F(SimMachine, AStateReadsBackAsWrittenAndItsLinesAreInOrder) {
  Create();
  const sim::Machine m = Machine();
  const sim::SimEnclosure& e = m.enclosures.at(0);
  const std::string path = dir + "/enc1.state";
  sim::BridgeState state;
  state.button = 0xFA;
  state.partitioned = true;
  state.publicSectors = 4000000000u;
  state.locked = true;
  state.passwordSet = true;
  for (size_t i = 0; i < state.password.size(); ++i) state.password[i] = static_cast<uint8_t>(0xF0 + i);
  state.spm = false;
  state.timer = 0xBEEF;
  state.defaultSpm = false;
  state.defaultTimer = 0x0001;
  state.plugged = false;
  state.SetRegister(0xFF, 0xFFFF, 0x80);
  state.SetRegister(0, 0x100, 7);
  state.SetRegister(0x0A, 0x0B, 0);
  for (const sim::BridgeState& s : {sim::BridgeState{}, state}) {
    ASSERT_TRUE(sim::SaveBridgeState(m, e, s));
    EXPECT_EQ(sim::LoadBridgeState(m, e), s);
    std::string text;
    ASSERT_TRUE(sim::ReadTextFile(path, text));
    EXPECT_EQ(sim::KeyValuesText(sim::ParseKeyValues(text)), text);
  }
  std::string text;
  ASSERT_TRUE(sim::ReadTextFile(path, text));
  EXPECT_NE(text.find("reg.00.0100=0x07\nreg.0A.000B=0x00\nreg.FF.FFFF=0x80\n"), std::string::npos) << text;

  ASSERT_TRUE(sim::WriteTextFileAtomically(path, "reg.0.100=0x01\nreg.00.0100=0x02\nreg.0.100=0x03\nbutton=0x7F\n"));
  const sim::BridgeState edited = sim::LoadBridgeState(m, e);
  EXPECT_EQ(edited.Register(0, 0x100), 2);  // "reg.00.0100" comes after "reg.0.100"
  EXPECT_EQ(edited.button, 0x7F);
  EXPECT_EQ(edited.registers.size(), 1u);
}

// Within a pass over the devices every call sees the machine as the pass
// found it, except for what this process writes; a change by another
// process (here the description rewritten behind the simulator's back)
// shows once the pass is over, and other threads never wait for it.
TEST_F(SimMachine, APassSeesTheMachineAsItFoundItAndItsOwnWrites) {
  Create();
  auto label = [&] { return sim::CurrentView(dir)->machine.volumes.at(0).label; };
  auto relabel = [&](const std::string& from, const std::string& to) {
    std::string text;
    ASSERT_TRUE(sim::ReadTextFile(dir + "/machine.txt", text));
    const size_t at = text.find("label=" + from);
    ASSERT_NE(at, std::string::npos);
    text.replace(at, 6 + from.size(), "label=" + to);
    std::ofstream(dir + "/machine.txt", std::ios::binary | std::ios::trunc) << text;
  };
  ASSERT_EQ(label(), L"SYSTEM");
  {
    const sim::ViewPass pass(dir);
    EXPECT_EQ(label(), L"SYSTEM");
    relabel("SYSTEM", "OTHER");
    EXPECT_EQ(label(), L"SYSTEM");
    std::wstring seen;
    std::thread([&] { seen = label(); }).join();
    EXPECT_EQ(seen, L"OTHER") << "another thread is not in the pass";
    {
      const sim::ViewPass inner(dir);
      const sim::ViewPass elsewhere(dir + "-elsewhere");
      EXPECT_EQ(label(), L"SYSTEM");
    }
    EXPECT_EQ(label(), L"SYSTEM") << "the pass stands until its outermost end";
    sim::Machine m = Machine();
    m.volumes.at(0).label = L"OWN";
    Save(m);  // this process's own write
    EXPECT_EQ(label(), L"OWN");
    relabel("OWN", "LATER");
    EXPECT_EQ(label(), L"OWN");
  }
  EXPECT_EQ(label(), L"LATER");
  const sim::ViewPass none("");
  relabel("LATER", "NOW");
  EXPECT_EQ(label(), L"NOW") << "an empty directory makes no pass";
}

// The process's own writes into an image leave the pass's view as it is
// while they miss the sectors it was made from (a format's tables); one
// into a unit's first sector, where its partition table is, makes the next
// call look at the machine again, and so does a bridge state that another
// process changed (the enclosure pulled out while the writes go on).
TEST_F(SimMachine, APassKeepsItsViewThroughImageWritesBesideItsSectors) {
  Create();
  auto label = [&] { return sim::CurrentView(dir)->machine.volumes.at(0).label; };
  auto elsewhere = [&](const std::string& file, const std::string& from, const std::string& to) {
    std::string text;
    ASSERT_TRUE(sim::ReadTextFile(file, text));
    const size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    text.replace(at, from.size(), to);
    std::ofstream(file, std::ios::binary | std::ios::trunc) << text;  // as another process writes it
  };
  const sim::Machine m = Machine();
  ASSERT_FALSE(m.enclosures.empty());
  const sim::SimEnclosure& e = m.enclosures.at(0);
  std::vector<uint8_t> bytes(4096, 0x5A);
  auto writeBeside = [&](uint64_t offset) {
    ASSERT_EQ(sim::WriteImage(m, e, offset, bytes.data(), static_cast<uint32_t>(bytes.size())), 0);
  };
  auto units = [&] { return sim::CurrentView(dir)->disks.size(); };
  {
    const sim::ViewPass pass(dir);
    const auto first = sim::CurrentView(dir);
    ASSERT_EQ(label(), L"SYSTEM");
    elsewhere(dir + "/machine.txt", "label=SYSTEM", "label=OTHER");
    for (uint64_t offset : {uint64_t{512}, uint64_t{1} << 20, uint64_t{40000} * 512}) {
      writeBeside(offset);
      EXPECT_EQ(sim::CurrentView(dir), first) << "a write at " << offset << " left the view";
    }
    EXPECT_EQ(label(), L"SYSTEM");
    ASSERT_EQ(sim::WriteImage(m, e, 0, bytes.data(), 512), 0);  // over the partition table
    EXPECT_EQ(label(), L"OTHER");
  }
  const sim::ViewPass pass(dir);
  const size_t plugged = units();
  elsewhere(dir + "/machine.txt", "label=OTHER", "label=THIRD");
  writeBeside(1 << 20);
  EXPECT_EQ(label(), L"OTHER");
  elsewhere(sim::StatePath(m, e), "plugged=1", "plugged=0");
  writeBeside(2 << 20);
  EXPECT_EQ(label(), L"THIRD");
  EXPECT_LT(units(), plugged) << "the pulled enclosure's unit is still there";
}

// A file is replaced by writing into the text it replaced a while ago (a
// spare): a shorter text leaves nothing of the longer one behind it, and a
// longer one is there whole.
TEST_F(SimMachine, AReplacedTextIsExactlyTheNewOne) {
  Create();
  const std::string path = dir + "/notes.txt";
  const std::string texts[] = {std::string(300, 'a') + "\n", "b\n", "c=1\n", std::string(500, 'd') + "\n", "e\n"};
  for (const std::string& text : texts) {
    ASSERT_TRUE(sim::WriteTextFileAtomically(path, text));
    std::string back;
    ASSERT_TRUE(sim::ReadTextFile(path, back));
    EXPECT_EQ(back, text);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));  // the spares rest
  }
}

#ifndef _WIN32
// Where the host's file times tell every change after a look, a file
// replaced again and again at once goes on writing into its spares: it
// keeps to three files (itself and two spares) rather than making a new
// one and removing an old one for each write, and reads back each text.
TEST_F(SimMachine, AFileReplacedAgainAtOnceWritesIntoItsSpares) {
  Create();
  if (!sim::LooksTellEveryChange(dir)) GTEST_SKIP() << "this host's file times are coarse";
  const std::string path = dir + "/busy.txt";
  std::set<ino_t> inodes;
  for (int i = 0; i < 12; ++i) {
    const std::string text = "button=0x" + std::to_string(i % 2 ? 7 : 6) + "\nround=" + std::to_string(i) + "\n";
    ASSERT_TRUE(sim::WriteTextFileAtomically(path, text));
    std::string back;
    ASSERT_TRUE(sim::ReadTextFile(path, back));
    EXPECT_EQ(back, text);
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    inodes.insert(st.st_ino);
  }
  EXPECT_LE(inodes.size(), 3u);
}

// A text this process has just written is read back without reading it
// again, yet a change by anyone else right after it, even of the same size
// and within the same tick, is read.
TEST_F(SimMachine, AFileChangedRightAfterThisProcessWroteItIsReadAgain) {
  Create();
  const std::string path = dir + "/latch.txt";
  for (int round = 0; round < 20; ++round) {
    ASSERT_TRUE(sim::WriteTextFileAtomically(path, "button=0x06\n"));
    ASSERT_TRUE(sim::WriteTextFileAtomically(path, "button=0x07\n"));  // into a spare, where there is one
    std::string back;
    ASSERT_TRUE(sim::ReadTextFile(path, back));
    ASSERT_EQ(back, "button=0x07\n");
    {
      std::fstream other(path, std::ios::in | std::ios::out | std::ios::binary);
      other.seekp(10);
      other.put('5');
    }
    ASSERT_TRUE(sim::ReadTextFile(path, back));
    EXPECT_EQ(back, "button=0x05\n") << "round " << round;
  }
}
#endif

}  // namespace
}  // namespace zel
