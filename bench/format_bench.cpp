// Formats simulated enclosures of 64 MiB, 4 GiB and 32 GiB split into a
// public and a private part, and mkfs.fat images of the same part sizes with
// the same FAT variant and cluster size, in one run; prints both times and
// the ratio. Machines and images live in a temporary directory (sparse
// files), removed afterwards.
//   format_bench [REPEATS]
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/sim/machine_builder.h"
#include "platform/sim/sim_ports.h"
#include "platform/sim/view.h"
#include "security/part_writer.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr uint32_t kHeads = 255, kSpt = 63;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

bool RunMkfs(const std::string& image, uint64_t partSectors) {
  const uint32_t volume = static_cast<uint32_t>(partSectors - kSpt);
  const zel::FatLayout l = zel::ChooseFatLayout(volume);
  const char* bits = l.variant == zel::FatVariant::Fat32 ? "32" : l.variant == zel::FatVariant::Fat16 ? "16" : "12";
  {
    std::FILE* f = std::fopen(image.c_str(), "wb");
    if (!f) return false;
    std::fclose(f);
    fs::resize_file(image, uint64_t{volume} * 512);
  }
  const std::string spc = std::to_string(l.sectorsPerCluster);
  const std::string hidden = std::to_string(kSpt);
  std::fflush(stdout);
  pid_t pid = fork();
  if (pid == 0) {
    if (std::freopen("/dev/null", "w", stdout) == nullptr) _exit(127);
    execlp("mkfs.fat", "mkfs.fat", "-F", bits, "-s", spc.c_str(), "-h", hidden.c_str(), "-f", "2",
           "-S", "512", "-n", "BENCH", image.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// A fresh simulated machine whose enclosure has `sectors`, and its whole
// disk opened for raw access through the machine's storage port.
std::unique_ptr<zel::RawDevice> OpenEnclosureDisk(const std::string& machineDir, uint64_t sectors) {
  zel::sim::CreateOptions options;
  options.diskMb = static_cast<uint32_t>(sectors / 2048);
  std::string error;
  if (!zel::sim::CreateMachine(machineDir, options, error)) {
    std::fprintf(stderr, "format_bench: %s\n", error.c_str());
    return nullptr;
  }
  zel::sim::View view;
  if (!view.Load(machineDir, error)) return nullptr;
  for (const zel::sim::ViewDisk& d : view.disks) {
    if (d.enclosure == nullptr) continue;
    long code = 0;
    return zel::sim::SimStorage(machineDir).OpenRaw(d.interfacePath, code);
  }
  return nullptr;
}

bool SyncImages(const std::string& machineDir) {
  for (const auto& entry : fs::directory_iterator(machineDir)) {
    if (entry.path().extension() != ".img") continue;
    const int fd = ::open(entry.path().c_str(), O_RDONLY);
    if (fd < 0 || ::fsync(fd) != 0) return false;
    ::close(fd);
  }
  return true;
}

struct Case {
  const char* name;
  uint64_t sectors;
};

}  // namespace

int main(int argc, char** argv) {
  const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  const fs::path dir = fs::temp_directory_path() / ("format_bench." + std::to_string(getpid()));
  fs::create_directories(dir);
  const Case cases[] = {{"64 MiB", 64ull << 11}, {"4 GiB", 4ull << 21}, {"32 GiB", 32ull << 21}};
  std::printf("%-8s %12s %12s %8s\n", "disk", "ours (ms)", "mkfs (ms)", "ratio");
  bool ok = true;
  double worst = 0;
  for (const Case& c : cases) {
    // The enclosure's sizes are one sector short of each disk's count.
    const uint32_t total = static_cast<uint32_t>(c.sectors - 1);
    const uint32_t privateSize = total / 2 / 2048 * 2048;
    const uint32_t publicSize = total - privateSize;
    double ours = 1e9, mkfs = 1e9;
    for (int r = 0; r < repeats && ok; ++r) {
      const std::string machineDir = (dir / "machine").string();
      {
        std::unique_ptr<zel::RawDevice> disk = OpenEnclosureDisk(machineDir, c.sectors);
        zel::Progress progress(nullptr);
        const auto start = Clock::now();
        ok = disk && zel::WritePart(*disk, {0, publicSize, std::string("PUBLIC")}, progress) &&
             zel::WritePart(*disk, {publicSize, privateSize, std::string("PRIVATE")}, progress) &&
             SyncImages(machineDir);  // mkfs.fat syncs its image too
        ours = std::min(ours, Seconds(Clock::now() - start));
      }
      fs::remove_all(machineDir);
      const std::string a = (dir / "public.img").string(), b = (dir / "private.img").string();
      const auto start = Clock::now();
      ok = ok && RunMkfs(a, publicSize) && RunMkfs(b, privateSize);
      mkfs = std::min(mkfs, Seconds(Clock::now() - start));
      fs::remove(a);
      fs::remove(b);
    }
    if (!ok) break;
    const double ratio = ours / mkfs;
    worst = std::max(worst, ratio);
    std::printf("%-8s %12.1f %12.1f %8.2f\n", c.name, ours * 1000, mkfs * 1000, ratio);
  }
  fs::remove_all(dir);
  if (!ok) {
    std::fprintf(stderr, "format_bench: a format failed\n");
    return 1;
  }
  std::printf("slowest ratio (ours / mkfs.fat): %.2f\n", worst);
  return 0;
}
