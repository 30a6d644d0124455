// A loop device standing in for the enclosure's disk: while its file system
// is mounted, the storage adapter will not open it for writing, and the image
// stays byte for byte as it was. Needs root, losetup, mkfs.ext2 and a kernel
// that mounts ext2; skipped where any of them is missing.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "common/text.h"
#include "platform/linux/linux_ports.h"

namespace zel {
namespace {

namespace fs = std::filesystem;

std::string Shell(const std::string& command, int& status) {
  std::string out;
  FILE* p = ::popen((command + " 2>/dev/null").c_str(), "r");
  if (p == nullptr) {
    status = -1;
    return out;
  }
  char buf[256];
  while (std::fgets(buf, sizeof buf, p) != nullptr) out += buf;
  status = ::pclose(p);
  while (!out.empty() && out.back() == '\n') out.pop_back();
  return out;
}

std::string Bytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(LoopDevice, MountedDiskIsNotOpenedForWritingAndStaysUnchanged) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root";
  const fs::path dir = fs::path(::testing::TempDir()) / ("zel_loop_" + std::to_string(::getpid()));
  fs::create_directories(dir / "mnt");
  const fs::path image = dir / "disk.img";
  int status = 0;
  Shell("truncate -s 8M '" + image.string() + "' && mkfs.ext2 -q '" + image.string() + "'", status);
  if (status != 0) GTEST_SKIP() << "cannot make an ext2 image";
  const std::string loop = Shell("losetup -f --show '" + image.string() + "'", status);
  if (status != 0 || loop.rfind("/dev/loop", 0) != 0) GTEST_SKIP() << "no loop device";
  // Read-only, so that the file system itself leaves the image as it is.
  Shell("mount -o ro '" + loop + "' '" + (dir / "mnt").string() + "'", status);
  if (status != 0) {
    Shell("losetup -d " + loop, status);
    GTEST_SKIP() << "cannot mount on a loop device here";
  }
  const std::string before = Bytes(image);

  linux_adapters::SysfsNodes nodes;
  nodes.SetDriveLetters({});  // mounted without a drive letter
  linux_adapters::LinuxStorage storage(nodes);
  long error = 0;
  auto disk = storage.OpenRaw(Utf8ToWide(loop), error);
  EXPECT_EQ(disk, nullptr);
  EXPECT_EQ(error, 170);

  Shell("umount '" + (dir / "mnt").string() + "'", status);
  EXPECT_EQ(status, 0);
  EXPECT_TRUE(Bytes(image) == before) << "the image changed";
  // Unmounted, it opens, and exclusively: a mount now is refused.
  disk = storage.OpenRaw(Utf8ToWide(loop), error);
  EXPECT_NE(disk, nullptr);
  Shell("mount -o ro '" + loop + "' '" + (dir / "mnt").string() + "'", status);
  EXPECT_NE(status, 0);
  if (status == 0) Shell("umount '" + (dir / "mnt").string() + "'", status);
  disk.reset();
  Shell("losetup -d " + loop, status);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace zel
