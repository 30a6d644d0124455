#include "tests/platform/sysfs_fixture.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <vector>

namespace zel::testing_sysfs {
namespace fs = std::filesystem;
namespace {

void Write(const fs::path& file, const std::string& text) {
  fs::create_directories(file.parent_path());
  std::ofstream(file) << text << "\n";
}

void Link(const fs::path& target, const fs::path& link) {
  fs::create_directories(link.parent_path());
  fs::create_directory_symlink(target, link);
}

void PutLe32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

struct Part {
  uint32_t start = 0, size = 0;
};

}  // namespace

SysfsMachine::SysfsMachine(std::initializer_list<const char*> treeFiles) {
  static int made = 0;
  root_ = fs::path(::testing::TempDir()) / ("zel_sysfs_" + std::to_string(::getpid()) + "_" + std::to_string(++made));
  fs::remove_all(root_);
  fs::create_directories(root_ / "dev");
  fs::create_directories(root_ / "sys/block");
  Write(root_ / "mountinfo", "21 26 0:20 / /proc rw,relatime - proc proc rw");
  for (const char* name : treeFiles) Load(fs::path(ZEL_SYSFS_FIXTURES) / name);
}

SysfsMachine::~SysfsMachine() { fs::remove_all(root_); }

linux_adapters::LinuxRoots SysfsMachine::Roots() const {
  return {(root_ / "sys").string(), (root_ / "dev").string(), (root_ / "mountinfo").string()};
}

void SysfsMachine::Load(const fs::path& file) {
  std::ifstream in(file);
  ASSERT_TRUE(in) << file;
  const fs::path sys = root_ / "sys";
  std::map<std::string, std::vector<Part>> parts;
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream f(line);
    std::string kind;
    if (!(f >> kind) || kind[0] == '#') continue;
    if (kind == "usb") {
      std::string path, vid, pid, rev, product;
      f >> path >> vid >> pid >> rev;
      std::getline(f >> std::ws, product);
      const fs::path dir = sys / path;
      Write(dir / "idVendor", vid);
      Write(dir / "idProduct", pid);
      Write(dir / "bcdDevice", rev);
      Write(dir / "busnum", "1");
      Write(dir / "product", product);
      Link(dir, sys / "bus/usb/devices" / dir.filename());
      fs::create_directories(dir / (dir.filename().string() + ":1.0"));
      Link(dir / (dir.filename().string() + ":1.0"), sys / "bus/usb/devices" / (dir.filename().string() + ":1.0"));
    } else if (kind == "disk") {
      std::string name, path, number, size, removable, blockSize, names;
      f >> name >> path >> number >> size >> removable >> blockSize;
      std::getline(f >> std::ws, names);
      const fs::path device = sys / path;
      const fs::path block = device / "block" / name;
      Write(block / "dev", number);
      Write(block / "size", size);
      Write(block / "removable", removable);
      Write(block / "queue/logical_block_size", blockSize);
      const size_t bar = names.find('|');
      if (!names.empty() && bar != std::string::npos) {
        if (bar > 0) Write(device / "vendor", names.substr(0, bar) + "  ");
        if (bar + 1 < names.size()) Write(device / "model", names.substr(bar + 1));
      }
      Link(device, block / "device");
      Link(block, sys / "block" / name);
      Link(block, sys / "class/block" / name);
      Link(block, sys / "dev/block" / number);
      devices_[name] = number;
      parts[name];
      signatures_[name] = 0x5A000000u + static_cast<uint32_t>(signatures_.size());
    } else if (kind == "part") {
      std::string disk, name, number;
      Part p;
      f >> disk >> name >> number >> p.start >> p.size;
      const fs::path block = fs::canonical(sys / "class/block" / disk) / name;
      Write(block / "partition", std::to_string(parts[disk].size() + 1));
      Write(block / "start", std::to_string(p.start));
      Write(block / "size", std::to_string(p.size));
      Write(block / "dev", number);
      Link(block, sys / "class/block" / name);
      Link(block, sys / "dev/block" / number);
      std::ofstream(root_ / "dev" / name) << std::string(512, '\0');
      devices_[name] = number;
      parts[disk].push_back(p);
    }
  }
  // Each disk's node: its first sector, with a table of its partitions.
  for (const auto& [disk, list] : parts) {
    std::vector<uint8_t> sector(512, 0);
    if (!list.empty()) {
      PutLe32(sector, 440, signatures_[disk]);
      for (size_t i = 0; i < list.size() && i < 4; ++i) {
        sector[446 + 16 * i + 4] = 0x0C;  // FAT32 with LBA
        PutLe32(sector, 446 + 16 * i + 8, list[i].start);
        PutLe32(sector, 446 + 16 * i + 12, list[i].size);
      }
      sector[510] = 0x55;
      sector[511] = 0xAA;
    }
    std::ofstream(root_ / "dev" / disk, std::ios::binary).write(reinterpret_cast<const char*>(sector.data()), 512);
  }
}

std::string SysfsMachine::Mount(const std::string& name, const std::string& type) {
  const fs::path dir = root_ / ("mnt" + std::to_string(++mounts_)) / "ONE TOUCH";
  fs::create_directories(dir);
  std::string escaped;
  for (char c : dir.string()) escaped += c == ' ' ? std::string("\\040") : std::string(1, c);
  std::ofstream(root_ / "mountinfo", std::ios::app)
      << 40 + mounts_ << " 26 " << devices_.at(name) << " / " << escaped << " rw,relatime shared:7 - " << type
      << " /dev/" << name << " rw\n";
  return dir.string();
}

}  // namespace zel::testing_sysfs
