// The command-line tools on recorded machines: holding the enclosure, run
// without CAP_SYS_RAWIO, they say what to do, end with a failure status, and
// the disk is left as it was; a USB stick's volume is listed with its letter.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "platform/linux/sg_io_request.h"
#include "tests/platform/sysfs_fixture.h"

namespace zel {
namespace {

namespace fs = std::filesystem;

struct Outcome {
  int status = -1;
  std::string output;
};

// Runs `command` with the machine's roots, without the capability.
Outcome RunWithoutRawIo(const testing_sysfs::SysfsMachine& m, const std::string& command) {
  std::string line = "ZEL_LINUX_ROOT='" + m.Root().string() + "' HOME='" + m.Root().string() + "' " + command;
  if (linux_adapters::ProcessHasRawIo()) line = "capsh --drop=cap_sys_rawio -- -c \"" + line + "\"";
  Outcome out;
  FILE* p = ::popen((line + " 2>&1 </dev/null").c_str(), "r");
  if (p == nullptr) return out;
  char buf[512];
  while (std::fgets(buf, sizeof buf, p) != nullptr) out.output += buf;
  const int status = ::pclose(p);
  out.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return out;
}

std::string Bytes(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class ToolsWithoutRawIo : public ::testing::Test {
 protected:
  void SetUp() override {
    if (linux_adapters::ProcessHasRawIo() && std::system("command -v capsh >/dev/null 2>&1") != 0) {
      GTEST_SKIP() << "running with CAP_SYS_RAWIO and without capsh to drop it";
    }
  }
};

TEST_F(ToolsWithoutRawIo, SayWhatToDoFailAndWriteNothing) {
  testing_sysfs::SysfsMachine m({"enclosure.tree"});
  const std::string before = Bytes(m.DevFile("sdb"));

  const Outcome status = RunWithoutRawIo(m, ZEL_TESSARY " status");
  EXPECT_NE(status.status, 0);
  EXPECT_NE(status.output.find("/dev/sdb: the enclosure's commands need the CAP_SYS_RAWIO capability"),
            std::string::npos)
      << status.output;
  EXPECT_NE(status.output.find("sudo"), std::string::npos);

  const Outcome partition = RunWithoutRawIo(m, ZEL_TESSARY " partition --private-mb 10 --yes");
  EXPECT_NE(partition.status, 0);
  EXPECT_NE(partition.output.find("CAP_SYS_RAWIO"), std::string::npos) << partition.output;

  const Outcome watch = RunWithoutRawIo(m, ZEL_CORVEX " watch --seconds 5");
  EXPECT_EQ(watch.status, 77);
  EXPECT_NE(watch.output.find("CAP_SYS_RAWIO"), std::string::npos) << watch.output;
  EXPECT_TRUE(Bytes(m.DevFile("sdb")) == before) << "the disk changed";
}

TEST(LinuxTools, CorvexDisksListsAUsbStickWithItsLetter) {
  testing_sysfs::SysfsMachine m({"internal-disk.tree", "usb-stick.tree"});
  const std::string dir = m.Mount("sde1");
  const std::string env = "ZEL_LINUX_ROOT='" + m.Root().string() + "' HOME='" + m.Root().string() + "' ";
  auto run = [&](const std::string& command) {
    Outcome out;
    FILE* p = ::popen((env + command + " 2>&1 </dev/null").c_str(), "r");
    char buf[512];
    while (p != nullptr && std::fgets(buf, sizeof buf, p) != nullptr) out.output += buf;
    const int status = p != nullptr ? ::pclose(p) : -1;
    out.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return out;
  };
  const Outcome disks = run("env -u ZEL_DRIVES " ZEL_CORVEX " disks");
  ASSERT_EQ(disks.status, 0) << disks.output;
  // The first run gave the stick's directory the first free letter and kept it.
  EXPECT_NE(Bytes((m.Root() / ".config/zel/drives").string()).find("D=" + dir), std::string::npos);
  EXPECT_NE(disks.output.find("DataTraveler 3.0 USB Device\n      D:  \"\"  FAT32"), std::string::npos)
      << disks.output;
  const Outcome json = run("env -u ZEL_DRIVES " ZEL_CORVEX " disks --json");
  EXPECT_NE(json.output.find("\"letter\": \"D\""), std::string::npos) << json.output;
}

// tessary on a recorded machine whose enclosure is answered by a simulated
// bridge behind SG_IO: the hint set by one run is shown by the next, kept in
// the registry file, and removed by erase.
TEST(LinuxTools, TessaryKeepsTheHintForTheNextRunAndEraseRemovesIt) {
  if (!linux_adapters::ProcessHasRawIo()) GTEST_SKIP() << "vendor commands need CAP_SYS_RAWIO";
  testing_sysfs::SysfsMachine m({"enclosure.tree"});
  const std::string sim = (m.Root() / "sim").string();
  ASSERT_EQ(std::system((std::string(ZEL_ZELSIM " create '") + sim + "' >/dev/null").c_str()), 0);
  ASSERT_EQ(std::system((std::string(ZEL_ZELSIM " set '") + sim + "' partitioned 1").c_str()), 0);
  const std::string env = "ZEL_LINUX_ROOT='" + m.Root().string() + "' HOME='" + m.Root().string() +
                          "' ZEL_SG_BRIDGE_DISK='" + m.DevFile("sdb") + "' ZEL_SG_BRIDGE_MACHINE='" + sim +
                          "' ZEL_SG_BRIDGE_ZELSIM='" ZEL_ZELSIM "' ASAN_OPTIONS=verify_asan_link_order=0"
                          " LD_PRELOAD='" ZEL_SG_BRIDGE_SHIM "' ";
  auto run = [&](const std::string& command, const std::string& input = "") {
    Outcome out;
    const std::string line = "printf '" + input + "' | " + env + command + " 2>&1";
    FILE* p = ::popen(line.c_str(), "r");
    char buf[512];
    while (p != nullptr && std::fgets(buf, sizeof buf, p) != nullptr) out.output += buf;
    const int status = p != nullptr ? ::pclose(p) : -1;
    out.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return out;
  };
  const std::string registry = (m.Root() / ".config/zel/registry").string();

  const Outcome set = run(ZEL_TESSARY " passwd", "secret\\nsecret\\nblue door\\n");
  ASSERT_EQ(set.status, 0) << set.output;
  EXPECT_NE(Bytes(registry).find("PwPrompt\t1\t"), std::string::npos) << Bytes(registry);
  EXPECT_NE(run(ZEL_ZELSIM " show '" + sim + "'").output.find("password-set 1"), std::string::npos);

  const Outcome shown = run(ZEL_TESSARY " status");
  EXPECT_EQ(shown.status, 0) << shown.output;
  EXPECT_NE(shown.output.find("Password Hint: blue door"), std::string::npos) << shown.output;
  const Outcome json = run(ZEL_TESSARY " status --json");
  EXPECT_NE(json.output.find("\"hint\": \"blue door\""), std::string::npos) << json.output;

  const Outcome erased = run(ZEL_TESSARY " erase --yes");
  ASSERT_EQ(erased.status, 0) << erased.output;
  EXPECT_EQ(Bytes(registry).find("PwPrompt"), std::string::npos) << Bytes(registry);
  const Outcome after = run(ZEL_ZELSIM " show '" + sim + "'");
  EXPECT_NE(after.output.find("password-set 0"), std::string::npos) << after.output;
}

}  // namespace
}  // namespace zel
