// `tessary partition` against mkfs.fat, each a whole process the way a user
// runs it: on a simulated enclosure of 64 MiB, 4 GiB and 32 GiB the disk is
// divided in two halves and both are formatted; against it, two mkfs.fat runs
// make images of the same part sizes with the same FAT variant and cluster
// size. Both sides end with their images flushed to the disk (`sync FILE`).
// Every program is started directly, with no shell in between. The
// simulated machine and the images are made before each format, outside the
// timing, and both sides rest alike before their runs.
// The runs take turns and the medians count; the machine may be busy, so
// only the ratios are worth comparing. Usage:
//   format_bench [--runs N] [--dir WORK]
// FORMAT_BENCH_TESSARY names another tessary to measure in place of this build's.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "installed_copy.h"
#include "program_run.h"
#include "rest.h"

#include "security/fat_layout.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr uint32_t kSpt = 63;

std::string Quote(const std::string& s) { return "'" + s + "'"; }

bool Run(const std::string& command) {
  const int status = std::system(command.c_str());
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The wall seconds of programs run one after the other, each started
// directly (see program_run.h) in `cwd`, up to the first that fails; `cpu`
// gets the CPU seconds (user + system) they took.
double Timed(const std::vector<std::vector<std::string>>& programs, const std::string& cwd, bool& ok,
             std::vector<double>& cpu) {
  double used = 0;
  const auto start = Clock::now();
  for (const std::vector<std::string>& argv : programs) {
    struct rusage usage {};
    const bool ran = ok && bench::RunProgram(argv, cwd, nullptr, usage);
    used += bench::CpuSeconds(usage);
    if (ok && !ran) std::fprintf(stderr, "format_bench: failed: %s\n", bench::CommandLine(argv).c_str());
    ok = ok && ran;
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  cpu.push_back(used);
  return seconds;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// mkfs.fat on a sparse image of one part: the volume is the part less its
// hidden sectors, as the security tool lays it out.
std::vector<std::string> MkfsCommand(const std::string& image, uint32_t partSectors) {
  const zel::FatLayout l = zel::ChooseFatLayout(partSectors - kSpt);
  const char* bits = l.variant == zel::FatVariant::Fat32 ? "32" : l.variant == zel::FatVariant::Fat16 ? "16" : "12";
  return {"mkfs.fat", "-F", bits, "-s", std::to_string(l.sectorsPerCluster), "-h", std::to_string(kSpt),
          "-f", "2", "-S", "512", "-n", "BENCH", image};
}

bool MakeImage(const std::string& image, uint32_t partSectors) {
  std::error_code ec;
  fs::remove(image, ec);
  if (std::FILE* f = std::fopen(image.c_str(), "wb")) std::fclose(f);
  fs::resize_file(image, uint64_t{partSectors - kSpt} * 512, ec);
  return !ec;
}

// The tessary under test: this build's, or the one FORMAT_BENCH_TESSARY
// names, installed into the work directory at the start (see
// installed_copy.h).
std::string installedTessary;

std::string BuiltTessary() {
  const char* other = std::getenv("FORMAT_BENCH_TESSARY");
  return other != nullptr && *other != 0 ? other : ZEL_TESSARY;
}

const std::string& TessaryPath() { return installedTessary; }

// Before each timed run its files are flushed and left alone for a moment.
// A user's enclosure has been there long before the format; the simulated
// one is given the moment its files need to count as standing still, so that
// it is read as such a machine is. The images for mkfs.fat rest as long, for
// a processor that has idled as long before either side starts.
void Rest() { RestBeforeRun(); }

struct Case {
  const char* name;
  uint32_t diskMb;
};

}  // namespace

int main(int argc, char** argv) {
  int runs = 5;
  std::string dir;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--runs" && i + 1 < argc) runs = std::max(1, std::atoi(argv[++i]));
    else if (a == "--dir" && i + 1 < argc) dir = argv[++i];
    else {
      std::fprintf(stderr, "usage: format_bench [--runs N] [--dir WORK]\n");
      return 2;
    }
  }
  const fs::path work = dir.empty() ? fs::temp_directory_path() / ("zel-format-bench-" + std::to_string(getpid()))
                                    : fs::path(dir);
  fs::remove_all(work);
  fs::create_directories(work / "cwd");
  installedTessary = bench::InstalledCopy(BuiltTessary(), work / "program");
  if (installedTessary.empty()) {
    std::fprintf(stderr, "format_bench: cannot install tessary into the work directory\n");
    return 1;
  }
  const std::string machine = (work / "machine").string(), image = machine + "/enc1.img";
  const std::string a = (work / "public.img").string(), b = (work / "private.img").string();
  const Case cases[] = {{"64 MiB", 64}, {"4 GiB", 4096}, {"32 GiB", 32768}};
  std::printf("tessary partition (both halves) against two mkfs.fat runs, each flushed; medians of %d\n", runs);
  std::printf("%-8s %16s %16s %8s %14s %14s %10s\n", "disk", "tessary (ms)", "mkfs.fat (ms)", "ratio", "tessary cpu",
              "mkfs.fat cpu", "cpu ratio");
  bool ok = true;
  for (const Case& c : cases) {
    // The enclosure reports one sector short of its count; the private
    // half is whole megabytes, the public part the rest.
    const uint32_t total = c.diskMb * 2048u - 1;
    const uint32_t privateMb = c.diskMb / 2;
    const uint32_t privateSize = privateMb * 2048u, publicSize = total - privateSize;
    std::vector<double> ours, theirs, oursCpu, theirsCpu;
    for (int r = 0; r < runs && ok; ++r) {
      const auto tessary = [&] {
        fs::remove_all(machine);
        ok = ok && Run(Quote(ZEL_ZELSIM) + " create " + Quote(machine) + " --disk-mb " + std::to_string(c.diskMb) +
                       " >/dev/null");
        Rest();
        ours.push_back(Timed({{TessaryPath(), "partition", "--private-mb", std::to_string(privateMb), "--machine",
                               machine, "--yes"},
                              {"sync", image}},
                             (work / "cwd").string(), ok, oursCpu));
      };
      const auto mkfs = [&] {
        ok = ok && MakeImage(a, publicSize) && MakeImage(b, privateSize);
        Rest();
        theirs.push_back(Timed({MkfsCommand(a, publicSize), MkfsCommand(b, privateSize), {"sync", a, b}},
                               work.string(), ok, theirsCpu));
      };
      if (r % 2 == 0) {
        tessary();
        mkfs();
      } else {
        mkfs();
        tessary();
      }
    }
    if (!ok) break;
    const double o = Median(ours), t = Median(theirs), oc = Median(oursCpu), tc = Median(theirsCpu);
    std::printf("%-8s %16.1f %16.1f %8.2f %14.1f %14.1f %10.2f\n", c.name, o * 1000, t * 1000, o / t, oc * 1000,
                tc * 1000, tc > 0 ? oc / tc : 0);
    std::fflush(stdout);
  }
  fs::remove_all(work);
  if (!ok) {
    std::fprintf(stderr, "format_bench: a run failed\n");
    return 1;
  }
  return 0;
}
